#pragma once

// A camera command as steps without I/O: each step decides to send a request, to wait until a
// time, or to end with a code, a line and a reason. The blocking methods and an engine drive the
// same commands; neither knows what a command does, and a command never knows which drives it.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "../utils/http_request.h"
#include "messages.h"

namespace pugi {
class xml_document;
}

namespace Ptz {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

class CameraLink;

// One request of a command, owned by it until its answer comes.
struct Request {
    Utils::HttpMethod method = Utils::HttpMethod::Get;
    std::string url;
    std::string body;
    // The line's message when the transfer does not complete (the command then ends with 1).
    const char* transfer_failed = Message::kHttpRequestFailed;
};

// The answer to a request whose transfer completed.
struct Answer {
    Answer() = default;
    Answer(long http_status, std::string text, std::string redirect = "")
        : status(http_status), body(std::move(text)), location(std::move(redirect)) {}

    long status = 0;  // HTTP
    std::string body;
    std::string location;  // where a redirect sends the request; "" for none
};

// How a command ended: its code, the message of its line ("": none) and why, for a person (""
// when the message says it).
struct Outcome {
    int code = 0;
    std::string message;
    std::string reason;
};

// What a command decides at a step, and what it knows then: its camera's link and the time.
class Step {
public:
    enum class Next { Send, Wait, Done };

    Step(CameraLink& link, TimePoint now) : link(link), now(now) {}

    // Send `request`; its answer comes to Command::read().
    void send(Request request);
    void send(Utils::HttpMethod method, std::string url, std::string body = std::string());
    // Call Command::resume() at `when`.
    void wait_until(TimePoint when);
    // End with `code` and a line of `message` (none when empty); `reason` defaults to it.
    void finish(int code, std::string message = std::string(), std::string reason = std::string());

    CameraLink& link;
    TimePoint now;
    Next next = Next::Done;
    Request request;
    TimePoint when{};
    Outcome outcome;
};

// One command of the camera object. Its steps run one at a time; each ends in a decision on
// the step.
class Command {
public:
    explicit Command(const char* operation) : operation(operation) {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // The first step: a request, or an outcome at once (an argument refused).
    virtual void start(Step& step) = 0;
    // The answer to the request last sent, whose transfer completed.
    virtual void read(Step& step, Answer& answer);
    // The time waited for has come.
    virtual void resume(Step& step);
    // Hands the outcome, and the value of a command that reads one, to an engine's caller.
    virtual void deliver(int code) = 0;

    // The name of the lines, the method's own; a command made of two changes it between them.
    const char* operation;
    // A move that sets the camera's motion outright, a speed or a target: its method, whose
    // later moves make it moot. On an engine whose camera coalesces moves, a later one replaces
    // it while it waits for its turn. Null for the others, and kept when `operation` changes.
    const char* coalesces = nullptr;
};

// A command that changes the camera, judged by its answer's "statusString".
class Acting : public Command {
public:
    using Command::Command;
    void deliver(int code) override { done(code); }
    std::function<void(int)> done;
};

// A command that reads a `Value`; `written` once the value is what the method hands back.
template <typename Value>
class Reading : public Command {
public:
    using Command::Command;
    void deliver(int code) override { done(code, value); }
    void write(Value v) {
        value = std::move(v);
        written = true;
    }
    Value value{};
    bool written = false;
    std::function<void(int, const Value&)> done;
};

// The answer loaded into `doc`; otherwise the step ends with 2, the "parse" line with the answer,
// and false.
bool parsed(Step& step, const Answer& answer, pugi::xml_document& doc);

// Ends the step with 10, the "node name" line with the answer, and the answer's reason
// ("camera refused: ..."), or `otherwise` with the HTTP status when the answer gives none.
void refuse_answer(Step& step, const Answer& answer, const pugi::xml_document& doc,
                   const char* otherwise);

// Judges a command's answer: 0 when its "statusString" under "ResponseStatus" is "OK".
void judge_status(Step& step, const Answer& answer);

// A command of one request judged by judge_status(), or refused at once with `refusal`.
class Exchange final : public Acting {
public:
    Exchange(const char* operation, Request request)
        : Acting(operation), request_(std::move(request)) {}
    Exchange(const char* operation, const char* refusal) : Acting(operation), refusal_(refusal) {}
    void start(Step& step) override;
    void read(Step& step, Answer& answer) override { judge_status(step, answer); }

private:
    Request request_;
    const char* refusal_ = nullptr;
};

// `command`, marked as a move that a later one of its method replaces (Command::coalesces).
inline std::unique_ptr<Exchange> coalescing(std::unique_ptr<Exchange> command) {
    command->coalesces = command->operation;
    return command;
}

}  // namespace Ptz
