#include "listeners.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

namespace sim {

Listeners::~Listeners() {
    stop();
}

void Listeners::open(in_addr first, int count, std::uint16_t port) {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (epoll_ < 0 || wake_ < 0) {
        const int error = errno;
        stop();
        throw std::system_error(error, std::generic_category(), "cannot wait on a fleet");
    }
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.fd = wake_;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &wake);
    for (int i = 0; i < count; ++i) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(ntohl(first.s_addr) + static_cast<std::uint32_t>(i));
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd >= 0) {
            sockets_.push_back(fd);
        }
        // As libmicrohttpd's own: a camera restarts at once on its port.
        const int on = 1;
        epoll_event ready{};
        ready.events = EPOLLIN;
        ready.data.fd = fd;
        if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
            bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            listen(fd, SOMAXCONN) != 0 || epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ready) != 0) {
            const int error = errno;
            char text[INET_ADDRSTRLEN] = "";
            inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
            stop();
            throw std::system_error(
                error, std::generic_category(),
                "cannot listen on " + std::string(text) + ":" + std::to_string(port));
        }
    }
}

void Listeners::start(MHD_Daemon* daemon) {
    thread_ = std::thread(&Listeners::run, this, daemon);
}

void Listeners::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        while (write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    for (const int fd : sockets_) {
        close(fd);
    }
    sockets_.clear();
    for (int* fd : {&epoll_, &wake_}) {
        if (*fd >= 0) {
            close(*fd);
        }
        *fd = -1;
    }
}

void Listeners::run(MHD_Daemon* daemon) {
    epoll_event ready[64];
    for (;;) {
        const int n = epoll_wait(epoll_, ready, 64, -1);
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.fd == wake_) {
                return;
            }
            for (;;) {
                sockaddr_in peer{};
                socklen_t size = sizeof peer;
                const int fd = accept4(ready[i].data.fd, reinterpret_cast<sockaddr*>(&peer), &size,
                                       SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) {
                    // Out of files, the connection waits in the backlog: a pause, not a spin on
                    // a socket that stays ready.
                    if (errno == EMFILE || errno == ENFILE) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    }
                    break;
                }
                // libmicrohttpd takes the socket, and closes it when it cannot.
                MHD_add_connection(daemon, fd, reinterpret_cast<const sockaddr*>(&peer), size);
            }
        }
    }
}

}  // namespace sim
