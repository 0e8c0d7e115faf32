#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

struct MHD_Connection;

namespace sim {

// Connections that wait without a thread each: libmicrohttpd's one thread suspends a connection
// that is to answer later, or never, and hands it here; a thread of this class resumes it when
// its time comes, and every one at the stop, since libmicrohttpd must not stop with a connection
// suspended. A thousand slow cameras cost one thread, not a thousand.
class Resumer {
public:
    using Time = std::chrono::steady_clock::time_point;

    Resumer() = default;
    ~Resumer();
    Resumer(const Resumer&) = delete;
    Resumer& operator=(const Resumer&) = delete;

    void start();
    // Resumes every connection it holds and ends its thread. Until start(), a connection handed
    // over is resumed at once.
    void stop();
    // True from stop() to start(): a resumed connection is then to be closed.
    bool stopping() const;

    // `connection`, just suspended, is resumed at `when`.
    void resume_at(MHD_Connection* connection, Time when);
    // `connection`, just suspended, is resumed at the stop only.
    void hold(MHD_Connection* connection);

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = true;
    std::multimap<Time, MHD_Connection*> due_;
    std::vector<MHD_Connection*> held_;
    std::thread thread_;
};

}  // namespace sim
