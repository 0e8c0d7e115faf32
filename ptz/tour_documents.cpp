#include "tour_documents.h"

#include <cstring>

#include "../utils/xml_body.h"
#include "../utils/xml_path.h"
#include "position_text.h"

namespace Ptz {

namespace {

bool whole(pugi::xml_node at, int& out) {
    return read_whole(at.text().get(), out);
}

bool flag(pugi::xml_node at) {
    return std::strcmp(at.text().get(), "true") == 0;
}

const char* bool_text(bool value) {
    return value ? "true" : "false";
}

// The root `list` of the answer into `root`; false when the answer's root is another.
bool list_of(const pugi::xml_document& answer, const char* list, pugi::xml_node& root) {
    root = Utils::xml_at(answer, list);
    return static_cast<bool>(root);
}

}  // namespace

const char* patrols_from_answer(const pugi::xml_document& answer, std::vector<PtzPatrol>& patrols) {
    pugi::xml_node root;
    if (!list_of(answer, "PTZPatrolList", root)) {
        return "the answer is not a patrol list";
    }
    std::vector<PtzPatrol> read;
    for (const pugi::xml_node entry : root.children("PTZPatrol")) {
        PtzPatrol patrol{0, entry.child_value("patrolName"), flag(entry.child("enabled")), {}};
        if (!whole(entry.child("id"), patrol.id)) {
            return "a patrol of the list has no number";
        }
        for (const pugi::xml_node slot :
             entry.child("PatrolSequenceList").children("PatrolSequence")) {
            PtzPatrolStep step{0, 0, 0};
            if (!whole(slot.child("presetID"), step.preset) ||
                !whole(slot.child("seqSpeed"), step.speed) ||
                !whole(slot.child("delay"), step.dwell_seconds)) {
                return "a patrol's step is not numbers";
            }
            if (step.preset != 0) {
                patrol.steps.push_back(step);
            }
        }
        read.push_back(std::move(patrol));
    }
    patrols.swap(read);
    return nullptr;
}

const char* patterns_from_answer(const pugi::xml_document& answer,
                                 std::vector<PtzPattern>& patterns) {
    pugi::xml_node root;
    if (!list_of(answer, "PTZPatternList", root)) {
        return "the answer is not a pattern list";
    }
    std::vector<PtzPattern> read;
    for (const pugi::xml_node entry : root.children("PTZPattern")) {
        PtzPattern pattern{0, flag(entry.child("enabled"))};
        if (!whole(entry.child("id"), pattern.id)) {
            return "a pattern of the list has no number";
        }
        read.push_back(pattern);
    }
    patterns.swap(read);
    return nullptr;
}

const char* park_action_from_answer(const pugi::xml_document& answer, PtzParkAction& action) {
    pugi::xml_node root;
    if (!list_of(answer, "ParkAction", root)) {
        return "the answer is not a park action";
    }
    const pugi::xml_node act = root.child("Action");
    PtzParkAction read{flag(root.child("enabled")), 0, act.child_value("ActionType"), 0};
    if (!whole(root.child("Parktime"), read.seconds) ||
        (act.child("ActionNum") && !whole(act.child("ActionNum"), read.number))) {
        return "the park action's time or number is not a number";
    }
    action = std::move(read);
    return nullptr;
}

std::string patrol_body(const PtzPatrol& patrol) {
    Utils::XmlBody body("PTZPatrol", 256 + 96 * patrol.steps.size());
    body.add("enabled", bool_text(patrol.enabled))
        .add("id", int_text(patrol.id))
        .add("patrolName", patrol.name)
        .open("PatrolSequenceList");
    for (const PtzPatrolStep& step : patrol.steps) {
        body.open("PatrolSequence")
            .add("presetID", int_text(step.preset))
            .add("seqSpeed", int_text(step.speed))
            .add("delay", int_text(step.dwell_seconds))
            .close();
    }
    return body.finish();
}

std::string park_action_body(const PtzParkAction& action) {
    Utils::XmlBody body("ParkAction");
    return body.add("enabled", bool_text(action.enabled))
        .add("Parktime", int_text(action.seconds))
        .open("Action")
        .add("ActionType", action.kind)
        .add("ActionNum", int_text(action.number))
        .finish();
}

}  // namespace Ptz
