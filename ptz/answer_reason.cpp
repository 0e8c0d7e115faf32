#include "answer_reason.h"

#include "../utils/xml_path.h"
#include "refusal.h"
#include "terminal_text.h"

namespace Ptz {

namespace {

// A short text of the camera's, safe for a terminal.
std::string shown(const char* text) {
    return terminal_text(text, 120);
}

}  // namespace

std::string answer_reason(pugi::xml_node answer, const char* otherwise) {
    const pugi::xml_node status = Utils::xml_at(answer, "ResponseStatus");
    const char* const status_string = status.child_value("statusString");
    if (status && *status_string != '\0' && std::string(status_string) != "OK") {
        const char* const sub = status.child_value("subStatusCode");
        // The camera's own page tells this refusal from a lack of permission.
        if (std::string(sub) == "ptzOccupiedPriority") {
            return "camera refused: the PTZ is held by a user of higher priority "
                   "(ptzOccupiedPriority)";
        }
        return "camera refused: " + shown(status_string) +
               (*sub != '\0' ? " (" + shown(sub) + ")" : std::string());
    }
    const pugi::xml_node check = Utils::xml_at(answer, "userCheck");
    if (check) {
        const bool locked = std::string(check.child_value("lockStatus")) == "lock";
        return "camera refused: " + shown(check.child_value("statusString")) +
               (locked
                    ? "; the account is locked for " + shown(check.child_value("unlockTime")) + " s"
                    : std::string());
    }
    return otherwise;
}

std::string refusal_reason(const std::string& answer) {
    pugi::xml_document document;
    if (!document.load_buffer(answer.data(), answer.size())) {
        return "";
    }
    return answer_reason(document, "");
}

}  // namespace Ptz
