#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "../utils/export.h"

namespace Ptz {

class EngineCore;

/// Called once when an operation on an engine has ended, with its result code.
using Callback = std::function<void(int code)>;
/// Called once when an operation that reads a value has ended, with its result code and what the
/// blocking method would have written (meaningful when the blocking method would have written
/// it: on 0, and wait_for_stop() also on 5, get_info() also on 2).
template <typename Value>
using ValueCallback = std::function<void(int code, const Value& value)>;

/// An operation submitted to an engine: its id, and a way to cancel it. A plain value, copied
/// freely; it may outlive its engine and its camera, and is then inert.
class ZELKO_PTZ_API Operation {
public:
    /// No operation: id() 0, cancel() false.
    Operation() = default;
    Operation(std::weak_ptr<EngineCore> core, std::uint64_t id) : core_(std::move(core)), id_(id) {}

    /// The operation's id, unique within its engine, 1 or more; 0 for none.
    std::uint64_t id() const { return id_; }
    /// Cancels the operation from any thread: its callback then runs once with 6
    /// (Result::Cancelled) and the line "The operation was cancelled.", a request in flight is
    /// aborted, a wait ends, and nothing more is sent for it. Returns false, changing nothing,
    /// when it has ended already (its callback has run or is about to run with its own code).
    bool cancel() const;

private:
    std::weak_ptr<EngineCore> core_;
    std::uint64_t id_ = 0;
};

/// Runs the operations of any number of cameras at once on one thread of the host's, over
/// libcurl's multi interface. It starts no thread of its own: the host drives it, by calling
/// run() in a loop of its own, or from its event loop through set_hooks().
///
/// The camera methods that take an engine first submit an operation: the same requests, bytes,
/// codes, error lines and failure_reason() as the blocking method, the kept session, the hold
/// after refused credentials and the time-outs included, and a callback in place of the result.
/// One camera's requests go out one at a time, in the order they were asked for, on its one
/// connection when it keeps a session (a later move may replace a waiting one: see
/// ZelkoPtzCameraIsapi::set_move_coalescing()); different cameras run at once. A request waits only
/// for the one before it, so the reads of a wait_for_stop() interleave with the camera's other
/// operations.
///
/// Callbacks, error lines to a sink and wait_for_stop()'s watch run only inside run(),
/// on_socket() and on_timeout(), on the thread that calls them, never inside the call that
/// submitted the operation. An exception thrown by any of them is caught: its line goes to
/// stderr with code 23, and the engine goes on.
///
/// Submitting and cancelling are safe from any thread; driving the engine (run(), on_socket(),
/// on_timeout(), set_hooks()) is one thread's at a time. The engine must outlive the calls that
/// submit to it; an Operation outlives it safely. Destroying the engine cancels every operation
/// still pending: each callback runs once with 6, from the destructor, on the destroying thread.
/// Destroying a camera cancels its own: their callbacks run once with 6, without a line, from
/// the engine's next run() or hook call. A callback must not destroy its engine. A thread
/// cancelled inside any of these calls is cancelled after it returns, as a camera's are.
class ZELKO_PTZ_API Engine {
public:
    /// Throws std::bad_alloc when memory or file descriptors ran out: it holds four, its epoll
    /// set, its wake-up and libcurl's pair. For descriptors, its what() says "out of file
    /// descriptors (ulimit -n)" (Python's MemoryError too). Since 1.7.
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    /// Waits at most `timeout_ms` (-1: without end) for something to do, a response, a time
    /// that comes, a submission or wakeup(); does what is ready, runs the callbacks that are
    /// due, and returns how many operations are still pending. Without hooks only.
    int run(int timeout_ms);
    /// Makes a run() in progress, or the next, return early; from any thread.
    void wakeup();

    /// What on_socket() is told, and what a socket hook is asked to watch.
    enum Events : int {
        Read = 1,   ///< readable
        Write = 2,  ///< writable
    };

    /// How an engine asks a host's event loop to watch for it. Called only from inside the
    /// engine's own calls (run(), on_socket(), on_timeout(), set_hooks(), the destructor), never
    /// from another thread, and from inside libcurl's: a hook must only record what it is told,
    /// and must not call the engine.
    struct Hooks {
        /// Watch `fd` for `events` (Read | Write), replacing what was watched; 0: stop watching
        /// it, which comes before the fd is closed.
        void (*socket)(void* user, int fd, int events);
        /// Call on_timeout() once after `ms` milliseconds, replacing the time asked before; 0:
        /// as soon as possible (a timerfd wants a nanosecond then, since 0 disarms it); -1:
        /// never.
        void (*timer)(void* user, long ms);
        void* user;  ///< handed to both
    };

    /// Hands the engine to a host's event loop: the hooks are told at once of every fd to watch
    /// (one of them the engine's own, which submissions from any thread make readable) and of
    /// the time to call on_timeout(). Returns 0, or 10 when an operation is pending or a hook is
    /// null; the engine is then as it was.
    int set_hooks(Hooks hooks);
    /// The host's event loop saw `events` on `fd`, a socket the engine asked it to watch.
    void on_socket(int fd, int events);
    /// The time asked through the timer hook has come.
    void on_timeout();

    /// How many operations are pending.
    int pending() const;
    /// Cancels the operation `id` of this engine, as Operation::cancel() does; from any thread.
    bool cancel(std::uint64_t id);

private:
    friend class ZelkoPtzCameraIsapi;
    std::shared_ptr<EngineCore> core_;
};

}  // namespace Ptz
