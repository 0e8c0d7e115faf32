#pragma once

#include <cstdint>
#include <new>
#include <unordered_map>

namespace Ptz {

// The std::bad_alloc that the engine promises when the system gives it no file descriptor,
// saying so, for a host's log and Python's MemoryError; `error` is the failed call's errno.
[[noreturn]] void throw_out_of_resources(int error);

// The sockets that run() waits on. A socket that libcurl stops watching stays in the kernel's
// set: a kept connection is watched again at its next transfer, and taking it out and putting
// it back would be two of a command's seven system calls. What stays behind is dealt with when
// it shows: a socket that closes leaves the set by itself, one that wakes the wait while nobody
// wants it is taken out then, and a registration that outlived its socket (a child forked
// without exec holds the socket open) is noticed by its stamp and the set is made anew.
class EpollSet {
public:
    struct Ready {
        int fd;
        int events;  // Engine::Read | Engine::Write
    };

    // Throws std::bad_alloc when the kernel gives no set (throw_out_of_resources()).
    EpollSet();
    ~EpollSet();
    EpollSet(const EpollSet&) = delete;
    EpollSet& operator=(const EpollSet&) = delete;

    // Wants `events` (Engine::Read | Engine::Write) of `fd`; 0 wants nothing of it. `fd` is a
    // socket that libcurl opened through the option setter, or one that never closes.
    void want(int fd, int events);
    // Waits at most `timeout_ms` (-1: until something is ready) and writes up to `capacity`
    // wanted sockets that are ready; returns how many.
    int wait(int timeout_ms, Ready* ready, int capacity);
    // Takes every socket out: a host's loop watches them from now on.
    void clear();

private:
    struct Registration {
        std::uint32_t events = 0;  // what the kernel watches, as epoll's flags
        int wanted = 0;            // Engine::Read | Engine::Write; 0 lingers
        std::uint32_t stamp = 0;   // of the registration, handed back with each of its events
        std::uint64_t opened = 0;  // sockets libcurl had opened when it was made or confirmed
    };

    bool put(int fd, Registration& registration, int op);
    void rebuild();

    int fd_ = -1;
    std::uint32_t next_stamp_ = 0;
    std::unordered_map<int, Registration> registered_;
};

}  // namespace Ptz
