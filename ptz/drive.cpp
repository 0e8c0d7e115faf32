#include "drive.h"

#include <thread>

namespace Ptz {

namespace {

// One transfer of `request`, blocking; true when it completed, with the answer in `answer`.
bool transfer(const CameraLink& link, const Request& request, Answer& answer,
              Utils::TransferInfo& info) {
    const Utils::HttpRequest http = link.http_request(request);
    const bool completed = link.session() != nullptr
                               ? link.session()->request(http, answer.body, &info)
                               : Utils::request_once(http, answer.body, &info);
    answer.status = info.status;
    return completed;
}

}  // namespace

int drive(CameraLink& link, Command& command) {
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
            if (given != nullptr) {
                given->sleep_until(step.when);
            } else {
                std::this_thread::sleep_until(step.when);
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
        const bool completed = given != nullptr ? given->transfer(link, step.request, answer, info)
                                                : transfer(link, step.request, answer, info);
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
