#include "engine.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <thread>

#include "../utils/write_data.h"
#include "engine_core.h"
#include "result.h"

namespace Ptz {

namespace {

// Milliseconds from `now` to `when`, rounded up so that a timer never fires early; 0 when due.
long millis_until(TimePoint when, TimePoint now) {
    if (when <= now) {
        return 0;
    }
    return static_cast<long>(std::chrono::ceil<std::chrono::milliseconds>(when - now).count());
}

long elapsed_ms(TimePoint since, TimePoint now) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now - since).count());
}

// The line of a host's callback or sink that threw, where nothing else can take it.
void say_thrown(const char* operation, const char* what) {
    std::fprintf(stderr, kErrorLineFormat, operation,
                 (std::string("A callback of the host threw: ") + what + ".").c_str());
}

}  // namespace

struct EngineCore::Op {
    Op(std::uint64_t id, CameraLink& link, std::unique_ptr<Command> command)
        : id(id), link(&link), command(std::move(command)), step(link, TimePoint()) {}

    enum class State { New, Queued, InFlight, Waiting, Ended };

    std::uint64_t id;
    CameraLink* link;  // one of its holders
    std::unique_ptr<Command> command;
    Step step;
    State state = State::New;
    bool other_engine = false;  // the camera had operations pending on another engine
    std::multimap<TimePoint, Op*>::iterator timer;

    // The request in flight.
    CURL* easy = nullptr;
    CURLSH* caches = nullptr;  // of a handle of its own, which are closed with it
    curl_slist* headers = nullptr;
    std::string response;
    Utils::ResponseSink sink{&response, 0};
    char error[CURL_ERROR_SIZE] = {};
    TimePoint sent_at{};
    bool retried = false;
};

EngineCore::EngineCore() {
    multi_ = curl_multi_init();  // with a socket pair of its own
    wake_fd_ = multi_ != nullptr ? eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
    if (wake_fd_ < 0) {
        const int error = errno;
        curl_multi_cleanup(multi_);
        throw_out_of_resources(error);
    }
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, on_curl_socket);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, on_curl_timer);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
    hooks_ = {internal_socket, internal_timer, this};
    internal_socket(this, wake_fd_, Engine::Read);
    watched_[wake_fd_] = Engine::Read;
}

EngineCore::~EngineCore() {
    const Utils::CancelDeferred deferred;
    close();
    curl_multi_cleanup(multi_);
    ::close(wake_fd_);
}

// ---- any thread

Operation EngineCore::submit(CameraLink& link, std::unique_ptr<Command> command) {
    link.holders.fetch_add(1, std::memory_order_relaxed);
    bool other_engine = false;
    {
        std::lock_guard<std::mutex> lock(link.engine_mutex);
        const std::shared_ptr<EngineCore> current = link.engine.lock();
        other_engine = current && current.get() != this && link.pending.load() > 0;
        if (!other_engine) {
            link.engine = weak_from_this();
        }
        link.pending.fetch_add(1, std::memory_order_acq_rel);
    }
    std::uint64_t id = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        id = next_id_++;
        submitted_.emplace_back(new Op(id, link, std::move(command)));
        submitted_.back()->other_engine = other_engine;
        live_.emplace(id, Live{&link});
        pending_.fetch_add(1, std::memory_order_acq_rel);
    }
    // The driving thread takes its submissions at its next turn anyway: from inside a turn (a
    // callback), and before run() waits. A host's loop must be woken for the others.
    const bool driving = std::this_thread::get_id() == driver_.load(std::memory_order_relaxed);
    if (!driving || (!in_turn_ && hooked_)) {
        wakeup();
    }
    return Operation(weak_from_this(), id);
}

bool EngineCore::cancel(std::uint64_t id) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = live_.find(id);
        if (found == live_.end() || found->second.cancel != Cancel::No) {
            return false;
        }
        found->second.cancel = Cancel::WithLine;
        cancelled_.push_back(id);
    }
    wakeup();
    return true;
}

void EngineCore::orphan(CameraLink& link) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& entry : live_) {
            if (entry.second.link == &link && entry.second.cancel == Cancel::No) {
                entry.second.cancel = Cancel::Quietly;
                cancelled_.push_back(entry.first);
            }
        }
    }
    wakeup();
}

void EngineCore::wakeup() {
    // One write until the driving thread reads it: a thousand submissions cost one.
    if (!woken_.exchange(true)) {
        const Utils::CancelDeferred deferred;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wake_fd_, &one, sizeof one);
    }
}

// ---- libcurl's callbacks, which must not call libcurl: the hooks do not

int EngineCore::on_curl_socket(CURL*, curl_socket_t fd, int what, void* core, void*) {
    EngineCore& self = *static_cast<EngineCore*>(core);
    const int events = what == CURL_POLL_REMOVE
                           ? 0
                           : (what == CURL_POLL_IN    ? Engine::Read
                              : what == CURL_POLL_OUT ? Engine::Write
                                                      : Engine::Read | Engine::Write);
    // At once: libcurl removes a socket before it closes it, and the number may be another's
    // an instant later. The hook first, so that run()'s own sees in `watched_` whether the fd is
    // new to it.
    self.hooks_.socket(self.hooks_.user, fd, events);
    if (events == 0) {
        self.watched_.erase(fd);
    } else {
        self.watched_[fd] = events;
    }
    return 0;
}

int EngineCore::on_curl_timer(CURLM*, long ms, void* core) {
    EngineCore& self = *static_cast<EngineCore*>(core);
    self.curl_timer_ = ms >= 0;
    self.curl_due_ = Clock::now() + std::chrono::milliseconds(ms);
    return 0;
}

// ---- run()'s own watching, through epoll

void EngineCore::internal_socket(void* core, int fd, int events) {
    static_cast<EngineCore*>(core)->epoll_.want(fd, events);
}

void EngineCore::internal_timer(void* core, long ms) {
    EngineCore& self = *static_cast<EngineCore*>(core);
    self.internal_due_ = ms >= 0;
    self.internal_at_ = Clock::now() + std::chrono::milliseconds(ms);
}

int EngineCore::run(int timeout_ms) {
    if (hooked_) {
        return -static_cast<int>(Result::Rejected);
    }
    const Turn turn(*this);
    const std::uint64_t ended_before = ended_;
    settle();
    // A transfer just added is due at once: started here, the wait below is the one for its
    // answer, not an empty turn of its own.
    if (act_when_due()) {
        settle();
    }
    // Callbacks already run: the host hears of them now rather than after a wait.
    long wait = ended_ != ended_before ? 0 : timeout_ms < 0 ? -1 : timeout_ms;
    if (internal_due_) {
        const long due = millis_until(internal_at_, Clock::now());
        wait = wait < 0 ? due : std::min(wait, due);
    }
    EpollSet::Ready ready[256];
    const int count = epoll_.wait(static_cast<int>(std::min(wait, 1L << 30)), ready, 256);
    for (int i = 0; i < count; ++i) {
        act(ready[i].fd, ready[i].events);
    }
    act_when_due();
    settle();
    return pending();
}

bool EngineCore::act_when_due() {
    if (!internal_due_ || internal_at_ > Clock::now()) {
        return false;
    }
    internal_due_ = false;
    act_on_time();
    return true;
}

// ---- a host's event loop

int EngineCore::set_hooks(const Engine::Hooks& hooks) {
    const Utils::CancelDeferred deferred;  // the hooks are called
    if (hooks.socket == nullptr || hooks.timer == nullptr || pending() > 0) {
        return static_cast<int>(Result::Rejected);
    }
    // What run() watched is handed over: the new loop is told of every fd and of the time.
    if (hooked_) {
        for (const auto& fd : watched_) {
            hooks_.socket(hooks_.user, fd.first, 0);
        }
    } else {
        epoll_.clear();
    }
    hooks_ = hooks;
    hooked_ = true;
    for (const auto& fd : watched_) {
        hooks_.socket(hooks_.user, fd.first, fd.second);
    }
    timer_told_ = false;
    tell_hooks();
    return 0;
}

void EngineCore::on_socket(int fd, int events) {
    const Turn turn(*this);
    act(fd, events);
    settle();
}

void EngineCore::on_timeout() {
    const Turn turn(*this);
    act_on_time();
    settle();
}

EngineCore::Turn::Turn(EngineCore& core) : core_(core) {
    core.driver_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    core.in_turn_ = true;
}

EngineCore::Turn::~Turn() {
    core_.in_turn_ = false;
}

// ---- the driving thread's steps

void EngineCore::drain_wakeups() {
    woken_.store(false);
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(wake_fd_, &count, sizeof count);
}

void EngineCore::act(int fd, int events) {
    if (fd == wake_fd_) {
        drain_wakeups();
        return;
    }
    const int mask = ((events & Engine::Read) != 0 ? CURL_CSELECT_IN : 0) |
                     ((events & Engine::Write) != 0 ? CURL_CSELECT_OUT : 0);
    int running = 0;
    curl_multi_socket_action(multi_, fd, mask, &running);
}

void EngineCore::act_on_time() {
    if (curl_timer_ && curl_due_ <= Clock::now()) {
        curl_timer_ = false;
        int running = 0;
        curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &running);
    }
}

void EngineCore::settle() {
    // The lists are swapped with these and emptied, so that each keeps its room: a command
    // allocates none of them.
    std::vector<std::unique_ptr<Op>>& submitted = taken_submitted_;
    std::vector<std::uint64_t>& cancelled = taken_cancelled_;
    std::vector<std::uint64_t>& fresh = fresh_;
    for (bool again = true; again;) {
        again = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            submitted.swap(submitted_);
            cancelled.swap(cancelled_);
        }
        // Taken first and started after the cancels, so that an operation cancelled at once
        // sends nothing.
        fresh.clear();
        for (auto& op : submitted) {
            fresh.push_back(op->id);
            const std::uint64_t id = op->id;
            ops_.emplace(id, std::move(op));
        }
        submitted.clear();
        for (const std::uint64_t id : cancelled) {
            const auto found = ops_.find(id);
            if (found != ops_.end()) {
                abort(*found->second);
            }
        }
        cancelled.clear();
        for (const std::uint64_t id : fresh) {
            const auto found = ops_.find(id);  // a cancelled one is gone
            if (found != ops_.end() && found->second->state == Op::State::New) {
                begin(*found->second);
            }
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                Op* op = nullptr;
                curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &op);
                complete(*op, message->data.result);
            }
        }
        const TimePoint now = timers_.empty() ? TimePoint() : Clock::now();
        while (!timers_.empty() && timers_.begin()->first <= now) {
            Op& op = *timers_.begin()->second;
            timers_.erase(timers_.begin());
            op.state = Op::State::Queued;
            op.step.now = now;
            guarded(op, [&] { op.command->resume(op.step); });
            advance(op);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            again = !submitted_.empty() || !cancelled_.empty();
        }
        again = again || (!timers_.empty() && timers_.begin()->first <= Clock::now());
    }
    tell_hooks();
}

template <typename Call>
void EngineCore::guarded(Op& op, Call call) {
    try {
        call();
    } catch (const std::invalid_argument& e) {
        // The conversions of the query throw these; its reason stands.
        op.step.finish(static_cast<int>(Result::NotNumbers),
                       std::string(kNotNumbersLine) + e.what() + ").",
                       std::move(op.step.outcome.reason));
    } catch (const std::out_of_range& e) {
        op.step.finish(static_cast<int>(Result::NotNumbers),
                       std::string(kOutOfRangeLine) + e.what() + ").",
                       std::move(op.step.outcome.reason));
    } catch (const std::bad_alloc&) {
        op.step.finish(static_cast<int>(Result::OutOfMemory), "", "out of memory");
    } catch (const std::exception& e) {
        op.step.finish(static_cast<int>(Result::Unexpected),
                       std::string("An exception ended the operation: ") + e.what() + ".");
    } catch (...) {
        op.step.finish(static_cast<int>(Result::Unexpected), "An exception ended the operation.");
    }
}

void EngineCore::begin(Op& op) {
    ++slots_[op.link].ops;
    op.state = Op::State::Queued;
    if (op.other_engine) {
        op.step.finish(10, Message::kOtherEngine);
    } else {
        op.step.now = Clock::now();
        guarded(op, [&] { op.command->start(op.step); });
    }
    advance(op);
}

void EngineCore::advance(Op& op) {
    switch (op.step.next) {
        case Step::Next::Send:
            if (op.command->coalesces != nullptr && op.link->coalesce_moves.load()) {
                replace_waiting(op);
            }
            op.state = Op::State::Queued;
            slots_[op.link].queue.push_back(&op);
            pump(op.link);
            break;
        case Step::Next::Wait:
            op.state = Op::State::Waiting;
            op.timer = timers_.emplace(op.step.when, &op);
            break;
        case Step::Next::Done:
            end(op);
            break;
    }
}

void EngineCore::replace_waiting(const Op& later) {
    std::deque<Op*>& queue = slots_[later.link].queue;
    const auto earlier = std::find_if(queue.begin(), queue.end(), [&later](const Op* op) {
        return op->command->coalesces != nullptr &&
               std::strcmp(op->command->coalesces, later.command->coalesces) == 0;
    });
    if (earlier != queue.end()) {
        Op& replaced = **earlier;
        queue.erase(earlier);
        replaced.step.finish(static_cast<int>(Result::Cancelled), "",
                             std::string("replaced by a later ") + later.command->coalesces);
        end(replaced);
    }
}

void EngineCore::pump(CameraLink* link) {
    // Looked up anew each time: ending the slot's last operation removes it.
    for (;;) {
        const auto found = slots_.find(link);
        if (closing_ || found == slots_.end() || found->second.in_flight != nullptr ||
            found->second.queue.empty()) {
            return;
        }
        Slot& slot = found->second;
        Op& op = *slot.queue.front();
        slot.queue.pop_front();
        op.step.now = Clock::now();
        if (op.link->refuses(op.step.now, op.step.outcome)) {
            op.step.next = Step::Next::Done;
            end(op);
            continue;
        }
        slot.in_flight = &op;
        op.retried = false;
        op.sent_at = op.step.now;
        if (!send(op, op.step.now)) {
            slot.in_flight = nullptr;
            end(op);
        }
    }
}

bool EngineCore::send(Op& op, TimePoint now) {
    const CameraLink& link = *op.link;
    const Utils::HttpRequest http = link.http_request(op.step.request);
    const long total_ms = link.timeouts().total_ms - elapsed_ms(op.sent_at, now);
    op.response.clear();
    op.sink = Utils::ResponseSink{&op.response, 0};
    if (Utils::HttpSession* session = link.session()) {
        op.easy = session->prepare(http, op.sink, total_ms, op.error);
    } else {
        // A handle and caches of its own, as a blocking request has: a new connection, which the
        // challenge and the answer share and which closes after them, and the name resolved anew.
        op.easy = curl_easy_init();
        op.caches = Utils::camera_caches();
        op.headers = Utils::content_type_header();
        if (op.easy != nullptr && op.caches != nullptr && op.headers != nullptr) {
            Utils::set_request_options(op.easy, http, op.headers, op.sink, total_ms, op.error);
            curl_easy_setopt(op.easy, CURLOPT_SHARE, op.caches);
        } else {
            release_transfer(op);
        }
    }
    if (op.easy != nullptr) {
        curl_easy_setopt(op.easy, CURLOPT_PRIVATE, &op);
        if (curl_multi_add_handle(multi_, op.easy) == CURLM_OK) {
            op.state = Op::State::InFlight;
            return true;
        }
        release_transfer(op);
    }
    op.step.finish(1, op.step.request.transfer_failed, "out of memory");
    return false;
}

void EngineCore::release_transfer(Op& op) {
    if (op.easy != nullptr) {
        curl_easy_setopt(op.easy, CURLOPT_ERRORBUFFER, nullptr);
    }
    if (op.caches != nullptr || op.link->session() == nullptr) {
        curl_easy_cleanup(op.easy);
        curl_share_cleanup(op.caches);
        curl_slist_free_all(op.headers);
    }
    op.easy = nullptr;
    op.caches = nullptr;
    op.headers = nullptr;
}

void EngineCore::complete(Op& op, CURLcode result) {
    curl_multi_remove_handle(multi_, op.easy);
    CameraLink* const link = op.link;
    Slot& slot = slots_[link];
    Utils::TransferInfo info;
    const bool completed = Utils::transfer_info(op.easy, result, op.sink, op.error, &info);
    const TimePoint now = Clock::now();
    if (completed && op.link->session() != nullptr) {
        const long total_ms = op.link->timeouts().total_ms;
        const auto next = op.link->session()->after(info.status, elapsed_ms(op.sent_at, now),
                                                    total_ms, op.retried);
        switch (next) {
            case Utils::HttpSession::Next::Deliver:
                break;
            case Utils::HttpSession::Next::Retry:
            case Utils::HttpSession::Next::Answer:
                op.retried = op.retried || next == Utils::HttpSession::Next::Retry;
                if (send(op, now)) {
                    return;
                }
                slot.in_flight = nullptr;
                end(op);
                pump(link);
                return;
            case Utils::HttpSession::Next::Fail:
                release_transfer(op);
                slot.in_flight = nullptr;
                op.step.finish(1, op.step.request.transfer_failed, op.link->session()->reason());
                end(op);
                pump(link);
                return;
        }
    }
    release_transfer(op);
    slot.in_flight = nullptr;
    op.step.now = now;
    if (!completed) {
        op.step.finish(1, op.step.request.transfer_failed, info.reason);
        end(op);
    } else {
        op.link->answered(info.status, op.response, now);
        Answer answer{info.status, std::move(op.response), std::move(info.location)};
        guarded(op, [&] { op.command->read(op.step, answer); });
        advance(op);
    }
    pump(link);
}

void EngineCore::abort(Op& op) {
    CameraLink* const link = op.link;
    Slot& slot = slots_[link];
    switch (op.state) {
        case Op::State::InFlight:
            curl_multi_remove_handle(multi_, op.easy);
            release_transfer(op);
            slot.in_flight = nullptr;
            break;
        case Op::State::Queued:
            slot.queue.erase(std::find(slot.queue.begin(), slot.queue.end(), &op));
            break;
        case Op::State::Waiting:
            timers_.erase(op.timer);
            break;
        case Op::State::New:
            ++slot.ops;  // end() counts it out
            break;
        case Op::State::Ended:
            return;
    }
    op.step.finish(static_cast<int>(Result::Cancelled), Message::kCancelled);
    end(op);
    pump(link);
}

void EngineCore::end(Op& op) {
    if (op.state == Op::State::Ended) {
        return;
    }
    op.state = Op::State::Ended;
    ++ended_;
    Cancel cancel = Cancel::No;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = live_.find(op.id);
        cancel = found->second.cancel;
        live_.erase(found);
    }
    if (cancel != Cancel::No) {
        op.step.finish(static_cast<int>(Result::Cancelled),
                       cancel == Cancel::WithLine ? Message::kCancelled : "");
    }
    const Outcome& outcome = op.step.outcome;
    const char* const operation = op.command->operation;
    if (cancel != Cancel::Quietly) {
        try {
            op.link->ended(operation, outcome);
        } catch (const std::exception& e) {
            say_thrown(operation, e.what());
        } catch (...) {
            say_thrown(operation, "an exception");
        }
    }
    // The camera may take a blocking call from the callback.
    op.link->pending.fetch_sub(1, std::memory_order_acq_rel);
    try {
        op.command->deliver(outcome.code);
    } catch (const std::exception& e) {
        say_thrown(operation, e.what());
    } catch (...) {
        say_thrown(operation, "an exception");
    }
    auto slot = slots_.find(op.link);
    if (--slot->second.ops == 0) {
        slots_.erase(slot);
    }
    pending_.fetch_sub(1, std::memory_order_acq_rel);
    CameraLink* const link = op.link;
    ops_.erase(op.id);  // op is gone
    release(link);
}

void EngineCore::tell_hooks() {
    // The earliest of libcurl's time and the operations' waits.
    bool due = curl_timer_;
    TimePoint at = curl_due_;
    if (!timers_.empty() && (!due || timers_.begin()->first < at)) {
        due = true;
        at = timers_.begin()->first;
    }
    if (due == timer_told_ && (!due || at == timer_due_)) {
        return;
    }
    timer_told_ = due;
    timer_due_ = at;
    if (!hooked_) {
        // run()'s own timer takes the time itself, without a reading of the clock.
        internal_due_ = due;
        internal_at_ = at;
        return;
    }
    hooks_.timer(hooks_.user, due ? millis_until(at, Clock::now()) : -1);
}

void EngineCore::close() {
    const Utils::CancelDeferred deferred;
    closing_ = true;
    for (;;) {
        std::vector<std::unique_ptr<Op>> submitted;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            submitted.swap(submitted_);
            cancelled_.clear();
            if (submitted.empty() && ops_.empty()) {
                break;
            }
        }
        for (auto& op : submitted) {
            const std::uint64_t id = op->id;
            ops_.emplace(id, std::move(op));
        }
        while (!ops_.empty()) {
            abort(*ops_.begin()->second);
        }
    }
    for (const auto& fd : watched_) {
        hooks_.socket(hooks_.user, fd.first, 0);
    }
    watched_.clear();
    if (timer_told_) {
        hooks_.timer(hooks_.user, -1);
        timer_told_ = false;
    }
}

// ---- the public faces

bool Operation::cancel() const {
    const std::shared_ptr<EngineCore> core = core_.lock();
    return core && core->cancel(id_);
}

Engine::Engine() : core_(std::make_shared<EngineCore>()) {}

Engine::~Engine() {
    core_->close();
}

bool Engine::cancel(std::uint64_t id) {
    return core_->cancel(id);
}

int Engine::run(int timeout_ms) {
    return core_->run(timeout_ms);
}

void Engine::wakeup() {
    core_->wakeup();
}

int Engine::set_hooks(Hooks hooks) {
    return core_->set_hooks(hooks);
}

void Engine::on_socket(int fd, int events) {
    core_->on_socket(fd, events);
}

void Engine::on_timeout() {
    core_->on_timeout();
}

int Engine::pending() const {
    return core_->pending();
}

}  // namespace Ptz
