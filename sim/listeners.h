#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <thread>
#include <vector>

struct MHD_Daemon;

namespace sim {

// A fleet's listening sockets, one on each camera's address, and the thread that accepts on them
// and hands each connection to libmicrohttpd, which then listens on none itself. A connection to
// an address outside the fleet is refused, as where no camera is, and a fleet at loopback
// addresses takes no connection from the host's networks, as one listening on every address
// would.
class Listeners {
public:
    Listeners() = default;
    ~Listeners();
    Listeners(const Listeners&) = delete;
    Listeners& operator=(const Listeners&) = delete;

    // Listens at `port` on `count` consecutive addresses from `first`; throws std::system_error
    // naming the first address that cannot be bound, holding none.
    void open(in_addr first, int count, std::uint16_t port);
    // Accepts until stop(), handing each connection to `daemon`.
    void start(MHD_Daemon* daemon);
    // Ends the thread and closes every listening socket; the connections handed over stay.
    void stop();

private:
    void run(MHD_Daemon* daemon);

    std::vector<int> sockets_;
    int epoll_ = -1;
    int wake_ = -1;
    std::thread thread_;
};

}  // namespace sim
