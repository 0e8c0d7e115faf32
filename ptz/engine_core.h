#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "../utils/cancel_deferred.h"
#include "camera_link.h"
#include "command.h"
#include "engine.h"
#include "epoll_set.h"

namespace Ptz {

// What an Engine is, shared with the Operations and links that refer to it, so that they can
// tell when it is gone. Entry points for any thread: submit(), cancel(), orphan(), wakeup(). The
// rest is the driving thread's.
class EngineCore : public std::enable_shared_from_this<EngineCore> {
public:
    EngineCore();
    ~EngineCore();
    EngineCore(const EngineCore&) = delete;
    EngineCore& operator=(const EngineCore&) = delete;

    // Takes `command` for `link`'s camera; it starts at the driving thread's next turn.
    Operation submit(CameraLink& link, std::unique_ptr<Command> command);
    bool cancel(std::uint64_t id);
    // The camera of `link` is gone: its operations end with 6, without a line.
    void orphan(CameraLink& link);
    void wakeup();

    int run(int timeout_ms);
    int set_hooks(const Engine::Hooks& hooks);
    void on_socket(int fd, int events);
    void on_timeout();
    int pending() const { return pending_.load(std::memory_order_acquire); }
    // Ends every operation, each callback once with 6; the engine takes none after it.
    void close();

private:
    struct Op;
    // One camera's requests: one in flight, the others waiting in the order asked.
    struct Slot {
        std::deque<Op*> queue;
        Op* in_flight = nullptr;
        int ops = 0;
    };
    // An operation not yet ended, as any thread sees it.
    enum class Cancel : std::uint8_t { No, WithLine, Quietly };
    struct Live {
        CameraLink* link;
        Cancel cancel = Cancel::No;
    };

    static int on_curl_socket(CURL* easy, curl_socket_t fd, int what, void* core, void*);
    static int on_curl_timer(CURLM* multi, long ms, void* core);
    static void internal_socket(void* core, int fd, int events);
    static void internal_timer(void* core, long ms);

    // One call of the driving thread into the engine, whose submissions need no wakeup.
    class Turn {
    public:
        explicit Turn(EngineCore& core);
        ~Turn();

    private:
        const Utils::CancelDeferred deferred_;
        EngineCore& core_;
    };

    // Steps of the driving thread.
    void act(int fd, int events);
    void act_on_time();
    // run()'s own timer: acts on libcurl's time when it is due; true when it was.
    bool act_when_due();
    void settle();
    void begin(Op& op);
    void advance(Op& op);
    // Ends, with 6 and no line, the waiting operation that `later` replaces, when there is one.
    void replace_waiting(const Op& later);
    void pump(CameraLink* link);
    // False, with the step finished, when the request cannot be sent (memory ran out); `now` is
    // the time it goes out.
    bool send(Op& op, TimePoint now);
    void complete(Op& op, CURLcode result);
    void abort(Op& op);
    void end(Op& op);
    void release_transfer(Op& op);
    template <typename Call>
    void guarded(Op& op, Call call);
    // Tells the timer hook of the earliest time the engine must act, when it changed.
    void tell_hooks();
    void drain_wakeups();

    // Any thread, under mutex_.
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Op>> submitted_;
    std::vector<std::uint64_t> cancelled_;
    std::unordered_map<std::uint64_t, Live> live_;
    std::uint64_t next_id_ = 1;
    std::atomic<bool> woken_{false};
    std::atomic<int> pending_{0};
    int wake_fd_ = -1;

    // The driving thread's.
    std::vector<std::unique_ptr<Op>> taken_submitted_;
    std::vector<std::uint64_t> taken_cancelled_;
    std::vector<std::uint64_t> fresh_;
    CURLM* multi_ = nullptr;
    std::map<std::uint64_t, std::unique_ptr<Op>> ops_;  // by id, the order they came in
    std::unordered_map<CameraLink*, Slot> slots_;
    std::multimap<TimePoint, Op*> timers_;
    std::map<int, int> watched_;  // fd: events, as the hooks were told
    bool curl_timer_ = false;
    TimePoint curl_due_{};
    bool timer_told_ = false;
    TimePoint timer_due_{};
    Engine::Hooks hooks_{};
    std::atomic<std::thread::id> driver_{};  // the thread that drove the engine last
    bool in_turn_ = false;
    bool closing_ = false;  // nothing more is sent
    bool hooked_ = false;   // by the host; otherwise run() watches through epoll_
    EpollSet epoll_;
    bool internal_due_ = false;
    TimePoint internal_at_{};
    std::uint64_t ended_ = 0;  // operations ended, for run() to tell whether a turn did any
};

}  // namespace Ptz
