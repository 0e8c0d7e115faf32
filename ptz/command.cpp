#include "command.h"

#include <pugixml.hpp>

#include "../utils/xml_path.h"
#include "answer_reason.h"
#include "result.h"
#include "terminal_text.h"

namespace Ptz {

namespace {

// An HTTP status other than 200, for a reason: " (HTTP 404)", or " (HTTP 302, moved to
// https://...)" with a redirect's target, which tells an operator what to type instead.
std::string http(const Answer& answer) {
    if (answer.status == 200) {
        return "";
    }
    const std::string to =
        answer.location.empty() ? "" : ", moved to " + terminal_text(answer.location, 200);
    return " (HTTP " + std::to_string(answer.status) + to + ")";
}

}  // namespace

void Step::send(Request r) {
    next = Next::Send;
    request = std::move(r);
}

void Step::send(Utils::HttpMethod method, std::string url, std::string body) {
    send(Request{method, std::move(url), std::move(body)});
}

void Step::wait_until(TimePoint t) {
    next = Next::Wait;
    when = t;
}

void Step::finish(int code, std::string message, std::string reason) {
    next = Next::Done;
    outcome.code = code;
    outcome.message = std::move(message);
    outcome.reason = std::move(reason);
}

void Command::read(Step& step, Answer&) {
    step.finish(static_cast<int>(Result::Unexpected), "An answer came that nothing asked for.");
}

void Command::resume(Step& step) {
    step.finish(static_cast<int>(Result::Unexpected), "A wait ended that nothing asked for.");
}

bool parsed(Step& step, const Answer& answer, pugi::xml_document& doc) {
    if (Utils::parse_answer(doc, answer.body)) {
        return true;
    }
    // The answer is the camera's: it reaches a line only through terminal_text().
    step.finish(2, Message::kNotXml + terminal_text(answer.body) + ".",
                "the answer is not XML" + http(answer));
    return false;
}

void refuse_answer(Step& step, const Answer& answer, const pugi::xml_document& doc,
                   const char* otherwise) {
    step.finish(10, Message::kNotOk + terminal_text(answer.body) + ".",
                answer_reason(doc, (otherwise + http(answer)).c_str()));
}

void judge_status(Step& step, const Answer& answer) {
    pugi::xml_document doc;
    if (!parsed(step, answer, doc)) {
        return;
    }
    if (std::string(doc.child("ResponseStatus").child("statusString").text().as_string("")) !=
        "OK") {
        refuse_answer(step, answer, doc, "the answer is not a status of OK");
        return;
    }
    step.finish(0);
}

void Exchange::start(Step& step) {
    if (refusal_ != nullptr) {
        step.finish(10, refusal_);
    } else {
        step.send(std::move(request_));
    }
}

}  // namespace Ptz
