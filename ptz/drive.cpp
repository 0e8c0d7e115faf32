#include "drive.h"

#include <algorithm>
#include <thread>

#include "../utils/cancel_deferred.h"
#include "result.h"

namespace Ptz {

namespace {

// One transfer of `request`, blocking; true when it completed, with the answer in `answer`.
bool transfer(const CameraLink& link, const Request& request, Answer& answer,
              Utils::TransferInfo& info, Utils::Abandon& abandon) {
    Utils::HttpRequest http = link.http_request(request);
    http.abandon = &abandon;
    const bool completed = link.session() != nullptr
                               ? link.session()->request(http, answer.body, &info)
                               : Utils::request_once(http, answer.body, &info);
    answer.status = info.status;
    answer.location = std::move(info.location);
    return completed;
}

// Sleeps until `when`; with an interrupt check, in slices of the transfers' interval with the
// question after each. False when the check said to give up.
bool sleep_until(const CameraLink& link, TimePoint when) {
    Transport* const given = link.transport;
    const auto sleep = [given](TimePoint until) {
        if (given != nullptr) {
            given->sleep_until(until);
        } else {
            std::this_thread::sleep_until(until);
        }
    };
    if (!link.interrupt_check) {
        sleep(when);
        return true;
    }
    for (;;) {
        const TimePoint now = given != nullptr ? given->now() : Clock::now();
        if (now >= when) {
            return true;
        }
        sleep(std::min(when, now + Utils::kAskToAbandonEvery));
        try {
            if (link.interrupt_check()) {
                return false;
            }
        } catch (...) {
            return false;  // as a transfer takes it
        }
    }
}

}  // namespace

int drive(CameraLink& link, Command& command) {
    const Utils::CancelDeferred deferred;
    if (link.pending.load(std::memory_order_acquire) > 0) {
        const Outcome busy{10, Message::kPendingOnEngine, ""};
        link.ended(command.operation, busy);
        return busy.code;
    }
    Transport* const given = link.transport;
    const auto now = [given] { return given != nullptr ? given->now() : Clock::now(); };
    Step step(link, now());
    command.start(step);
    for (;;) {
        if (step.next == Step::Next::Done) {
            link.ended(command.operation, step.outcome);
            return step.outcome.code;
        }
        if (step.next == Step::Next::Wait) {
            if (!sleep_until(link, step.when)) {
                step.finish(static_cast<int>(Result::Cancelled), Message::kCancelled);
                continue;
            }
            step.now = now();
            command.resume(step);
            continue;
        }
        if (link.refuses(step.now, step.outcome)) {
            step.next = Step::Next::Done;
            continue;
        }
        Answer answer;
        Utils::TransferInfo info;
        Utils::Abandon abandon{link.interrupt_check ? &link.interrupt_check : nullptr};
        const bool completed = given != nullptr
                                   ? given->transfer(link, step.request, answer, info)
                                   : transfer(link, step.request, answer, info, abandon);
        if (abandon.abandoned) {
            step.finish(static_cast<int>(Result::Cancelled), Message::kCancelled);
            continue;
        }
        if (!completed) {
            step.finish(1, step.request.transfer_failed, info.reason);
            continue;
        }
        step.now = now();
        link.answered(answer.status, answer.body, step.now);
        command.read(step, answer);
    }
}

}  // namespace Ptz
