#include "epoll_set.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "../utils/cancel_deferred.h"
#include "../utils/http_request.h"
#include "engine.h"

namespace Ptz {

namespace {

const int kMostEvents = 256;

std::uint32_t epoll_flags(int events) {
    return ((events & Engine::Read) != 0 ? EPOLLIN : 0u) |
           ((events & Engine::Write) != 0 ? EPOLLOUT : 0u);
}

int engine_events(std::uint32_t flags) {
    return ((flags & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0 ? Engine::Read : 0) |
           ((flags & (EPOLLOUT | EPOLLHUP | EPOLLERR)) != 0 ? Engine::Write : 0);
}

class OutOfDescriptors : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "out of file descriptors (ulimit -n)"; }
};

}  // namespace

void throw_out_of_resources(int error) {
    if (error == EMFILE || error == ENFILE) {
        throw OutOfDescriptors();
    }
    throw std::bad_alloc();
}

EpollSet::EpollSet() : fd_(epoll_create1(EPOLL_CLOEXEC)) {
    if (fd_ < 0) {
        throw_out_of_resources(errno);
    }
}

EpollSet::~EpollSet() {
    const Utils::CancelDeferred deferred;  // the engine's, whose own has ended by now
    ::close(fd_);
}

bool EpollSet::put(int fd, Registration& registration, int op) {
    registration.stamp = ++next_stamp_;
    epoll_event event{};
    event.events = registration.events;
    event.data.u64 =
        static_cast<std::uint32_t>(fd) | (static_cast<std::uint64_t>(registration.stamp) << 32);
    return epoll_ctl(fd_, op, fd, &event) == 0;
}

void EpollSet::want(int fd, int events) {
    const auto found = registered_.find(fd);
    if (events == 0) {
        if (found != registered_.end()) {
            found->second.wanted = 0;
        }
        return;
    }
    const std::uint64_t opened = Utils::sockets_opened();
    const std::uint32_t flags = epoll_flags(events);
    if (found != registered_.end()) {
        Registration& registration = found->second;
        registration.wanted = events;
        // No socket was opened since: the number still names the socket registered.
        if (registration.opened == opened && registration.events == flags) {
            return;
        }
        registration.events = flags;
        registration.opened = opened;
        // Most likely the same socket still; a new one of that number is not in the set yet.
        if (!put(fd, registration, EPOLL_CTL_MOD) && !put(fd, registration, EPOLL_CTL_ADD)) {
            registered_.erase(found);
        }
        return;
    }
    Registration registration;
    registration.events = flags;
    registration.wanted = events;
    registration.opened = opened;
    if (put(fd, registration, EPOLL_CTL_ADD) || put(fd, registration, EPOLL_CTL_MOD)) {
        registered_.emplace(fd, registration);
    }
}

int EpollSet::wait(int timeout_ms, Ready* ready, int capacity) {
    epoll_event events[kMostEvents];
    const int got = epoll_wait(fd_, events, std::min(capacity, kMostEvents), timeout_ms);
    int count = 0;
    bool stale = false;
    for (int i = 0; i < got; ++i) {
        const int fd = static_cast<int>(static_cast<std::uint32_t>(events[i].data.u64));
        const auto stamp = static_cast<std::uint32_t>(events[i].data.u64 >> 32);
        const auto found = registered_.find(fd);
        if (found == registered_.end() || found->second.stamp != stamp) {
            stale = true;
            continue;
        }
        if (found->second.wanted == 0) {
            // Woken while nobody wants it: mostly a camera that closed a kept connection. A
            // number that no longer names the socket registered cannot take it out.
            stale = stale || epoll_ctl(fd_, EPOLL_CTL_DEL, fd, nullptr) != 0;
            registered_.erase(found);
            continue;
        }
        ready[count++] = Ready{fd, engine_events(events[i].events)};
    }
    if (stale) {
        rebuild();
    }
    return count;
}

void EpollSet::rebuild() {
    const int fresh = epoll_create1(EPOLL_CLOEXEC);
    if (fresh < 0) {
        return;  // the set stays as it is, and the next wait tries again
    }
    ::close(fd_);
    fd_ = fresh;
    for (auto it = registered_.begin(); it != registered_.end();) {
        if (it->second.wanted != 0 && put(it->first, it->second, EPOLL_CTL_ADD)) {
            ++it;
        } else {
            it = registered_.erase(it);
        }
    }
}

void EpollSet::clear() {
    registered_.clear();
    rebuild();
}

}  // namespace Ptz
