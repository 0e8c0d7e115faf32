// The rest of an operator's console: focus and iris, one-push focus, the patrols (preset tours)
// and patterns (recorded moves) the camera keeps, and its park action.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "../utils/xml_body.h"
#include "camera_calls.h"
#include "camera_link.h"
#include "document_query.h"
#include "limits.h"
#include "position_text.h"
#include "tour_documents.h"
#include "zelko_ptz_camera_isapi.h"

namespace Ptz {

namespace {

using Utils::HttpMethod;

// A command of one request whose arguments are checked against what the link knows of the
// camera when it starts, on the thread that runs it: `check` returns the line of a refusal, or "".
class CheckedExchange final : public Acting {
public:
    using Check = std::function<std::string(const CameraLink&)>;
    CheckedExchange(const char* operation, Request request, Check check)
        : Acting(operation), request_(std::move(request)), check_(std::move(check)) {}
    void start(Step& step) override {
        std::string refusal = check_(step.link);
        if (!refusal.empty()) {
            step.finish(10, std::move(refusal));
        } else {
            step.send(std::move(request_));
        }
    }
    void read(Step& step, Answer& answer) override { judge_status(step, answer); }

private:
    Request request_;
    Check check_;
};

// Focus and iris take a speed from -100 to 100, in a body of one element.
struct Lens {
    const char* operation;
    const char* resource;
    const char* root;
    const char* element;
    const char* refusal;
};
const Lens kFocus{"set_focus", "/focus", "FocusData", "focus",
                  "Please input a focus speed from -100 to 100."};
const Lens kIris{"set_iris", "/iris", "IrisData", "iris",
                 "Please input an iris speed from -100 to 100."};

std::unique_ptr<Exchange> lens_command(const CameraLink& link, const Lens& lens, int speed) {
    if (!kLensSpeeds.hold(speed)) {
        return std::make_unique<Exchange>(lens.operation, lens.refusal);
    }
    Utils::XmlBody body(lens.root);
    return coalescing(std::make_unique<Exchange>(
        lens.operation, Request{HttpMethod::Put, link.input_url(lens.resource),
                                body.add(lens.element, int_text(speed)).finish()}));
}

// A request on a patrol or a pattern: PUT ".../<kind>/<id><action>", or DELETE ".../<kind>/<id>".
std::unique_ptr<Exchange> tour_command(const CameraLink& link, const char* operation,
                                       const char* kind, int id, const char* action = nullptr) {
    if (!kTourIds.hold(id)) {
        return std::make_unique<Exchange>(operation, Message::kBadTourId);
    }
    const std::string url = link.command_url(std::string("/") + kind + "/" + int_text(id) +
                                             (action != nullptr ? action : ""));
    return std::make_unique<Exchange>(
        operation, Request{action != nullptr ? HttpMethod::Put : HttpMethod::Delete, url, ""});
}

// Why the camera would not take `patrol`, or "".
std::string patrol_refusal(const PtzPatrol& patrol, const CameraLink& link) {
    const PtzCapabilitiesEx& caps = link.known_capabilities();
    if (!kTourIds.hold(patrol.id) || (caps.max_patrols && patrol.id > *caps.max_patrols)) {
        return caps.max_patrols
                   ? "Please input a patrol id of 1 to " + int_text(*caps.max_patrols) + "."
                   : Message::kBadTourId;
    }
    if (!kPatrolSteps.hold(static_cast<double>(patrol.steps.size()))) {
        return "Please input a patrol of 1 to 32 steps.";
    }
    if (!Utils::XmlBody::can_carry(patrol.name)) {
        return "Please input a patrol name without control characters.";
    }
    for (const PtzPatrolStep& step : patrol.steps) {
        const auto& special = caps.special_presets;
        if (!kPresetIds.hold(step.preset) ||
            std::find(special.begin(), special.end(), step.preset) != special.end()) {
            return "Please input patrol steps of presets of 1 or more, none of them special.";
        }
        if (!kStepSpeeds.hold(step.speed) || !kDwellSeconds.hold(step.dwell_seconds)) {
            return "Please input patrol steps of a speed of 1 or more and a dwell of 0 s or more.";
        }
    }
    return "";
}

// The park actions cameras take, should the camera not have said its own.
const char* const kParkActionKinds[] = {"autoscan", "framescan", "randomscan",   "patrol",
                                        "pattern",  "preset",    "panoramascan", "tiltscan"};

// Why the camera would not take `action`, or "".
std::string park_refusal(const PtzParkAction& action, const CameraLink& link) {
    const PtzCapabilitiesEx& caps = link.known_capabilities();
    const PtzSpeedRange seconds = caps.park_seconds_range.value_or(
        PtzSpeedRange{static_cast<int>(kParkSeconds.min), static_cast<int>(kParkSeconds.max)});
    if (action.seconds < seconds.min || action.seconds > seconds.max) {
        return "Please input a park time of " + int_text(seconds.min) + " to " +
               int_text(seconds.max) + " seconds.";
    }
    const bool known = caps.park_action_kinds.empty()
                           ? std::find(std::begin(kParkActionKinds), std::end(kParkActionKinds),
                                       action.kind) != std::end(kParkActionKinds)
                           : std::find(caps.park_action_kinds.begin(), caps.park_action_kinds.end(),
                                       action.kind) != caps.park_action_kinds.end();
    if (!known) {
        return "Please input a park action the camera takes.";
    }
    // The actions that run something the camera keeps under a number name one it can keep.
    const std::optional<int> most = action.kind == "preset"    ? caps.max_presets
                                    : action.kind == "patrol"  ? caps.max_patrols
                                    : action.kind == "pattern" ? caps.max_patterns
                                                               : std::optional<int>(INT32_MAX);
    const bool numbered =
        action.kind == "preset" || action.kind == "patrol" || action.kind == "pattern";
    if (numbered && (action.number < 1 || action.number > most.value_or(INT32_MAX))) {
        return "Please input the number of a " + action.kind + " the camera keeps.";
    }
    return "";
}

std::unique_ptr<CheckedExchange> patrol_command(const CameraLink& link, PtzPatrol patrol) {
    Request request{HttpMethod::Put, link.command_url("/patrols/" + int_text(patrol.id)),
                    patrol_body(patrol)};
    return std::make_unique<CheckedExchange>("set_patrol", std::move(request),
                                             [patrol = std::move(patrol)](const CameraLink& known) {
                                                 return patrol_refusal(patrol, known);
                                             });
}

std::unique_ptr<CheckedExchange> park_command(const CameraLink& link, PtzParkAction action) {
    Request request{HttpMethod::Put, link.command_url("/parkaction"), park_action_body(action)};
    return std::make_unique<CheckedExchange>("set_park_action", std::move(request),
                                             [action = std::move(action)](const CameraLink& known) {
                                                 return park_refusal(action, known);
                                             });
}

std::unique_ptr<Exchange> one_push_command(const CameraLink& link) {
    // "foucs": the camera's own spelling of the resource.
    return std::make_unique<Exchange>(
        "one_push_focus", Request{HttpMethod::Put, link.command_url("/onepushfoucs/start"), ""});
}

template <typename Value>
std::unique_ptr<DocumentQuery<Value>> list_query(const CameraLink& link, const char* operation,
                                                 const char* resource,
                                                 typename DocumentQuery<Value>::Reader reader) {
    return std::make_unique<DocumentQuery<Value>>(operation, link.command_url(resource), reader);
}

std::unique_ptr<DocumentQuery<std::vector<PtzPatrol>>> patrols_query(const CameraLink& link) {
    return list_query<std::vector<PtzPatrol>>(link, "get_patrols", "/patrols", patrols_from_answer);
}

std::unique_ptr<DocumentQuery<std::vector<PtzPattern>>> patterns_query(const CameraLink& link) {
    return list_query<std::vector<PtzPattern>>(link, "get_patterns", "/patterns",
                                               patterns_from_answer);
}

std::unique_ptr<DocumentQuery<PtzParkAction>> park_query(const CameraLink& link) {
    return list_query<PtzParkAction>(link, "get_park_action", "/parkaction",
                                     park_action_from_answer);
}

}  // namespace

int ZelkoPtzCameraIsapi::set_focus(int speed) {
    return drive(*lens_command(*link, kFocus, speed));
}

Operation ZelkoPtzCameraIsapi::set_focus(Engine& engine, int speed, Callback done) {
    return submit(engine, with(lens_command(*link, kFocus, speed), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_iris(int speed) {
    return drive(*lens_command(*link, kIris, speed));
}

Operation ZelkoPtzCameraIsapi::set_iris(Engine& engine, int speed, Callback done) {
    return submit(engine, with(lens_command(*link, kIris, speed), std::move(done)));
}

int ZelkoPtzCameraIsapi::one_push_focus() {
    return drive(*one_push_command(*link));
}

Operation ZelkoPtzCameraIsapi::one_push_focus(Engine& engine, Callback done) {
    return submit(engine, with(one_push_command(*link), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_patrol(PtzPatrol patrol) {
    return drive(*patrol_command(*link, std::move(patrol)));
}

Operation ZelkoPtzCameraIsapi::set_patrol(Engine& engine, PtzPatrol patrol, Callback done) {
    return submit(engine, with(patrol_command(*link, std::move(patrol)), std::move(done)));
}

int ZelkoPtzCameraIsapi::start_patrol(int id) {
    return drive(*tour_command(*link, "start_patrol", "patrols", id, "/start"));
}

Operation ZelkoPtzCameraIsapi::start_patrol(Engine& engine, int id, Callback done) {
    return submit(engine, with(tour_command(*link, "start_patrol", "patrols", id, "/start"),
                               std::move(done)));
}

int ZelkoPtzCameraIsapi::stop_patrol(int id) {
    return drive(*tour_command(*link, "stop_patrol", "patrols", id, "/stop"));
}

Operation ZelkoPtzCameraIsapi::stop_patrol(Engine& engine, int id, Callback done) {
    return submit(
        engine, with(tour_command(*link, "stop_patrol", "patrols", id, "/stop"), std::move(done)));
}

int ZelkoPtzCameraIsapi::remove_patrol(int id) {
    return drive(*tour_command(*link, "remove_patrol", "patrols", id));
}

Operation ZelkoPtzCameraIsapi::remove_patrol(Engine& engine, int id, Callback done) {
    return submit(engine,
                  with(tour_command(*link, "remove_patrol", "patrols", id), std::move(done)));
}

int ZelkoPtzCameraIsapi::start_pattern(int id) {
    return drive(*tour_command(*link, "start_pattern", "patterns", id, "/start"));
}

Operation ZelkoPtzCameraIsapi::start_pattern(Engine& engine, int id, Callback done) {
    return submit(engine, with(tour_command(*link, "start_pattern", "patterns", id, "/start"),
                               std::move(done)));
}

int ZelkoPtzCameraIsapi::stop_pattern(int id) {
    return drive(*tour_command(*link, "stop_pattern", "patterns", id, "/stop"));
}

Operation ZelkoPtzCameraIsapi::stop_pattern(Engine& engine, int id, Callback done) {
    return submit(engine, with(tour_command(*link, "stop_pattern", "patterns", id, "/stop"),
                               std::move(done)));
}

int ZelkoPtzCameraIsapi::start_pattern_recording(int id) {
    return drive(*tour_command(*link, "start_pattern_recording", "patterns", id, "/recordstart"));
}

Operation ZelkoPtzCameraIsapi::start_pattern_recording(Engine& engine, int id, Callback done) {
    return submit(
        engine, with(tour_command(*link, "start_pattern_recording", "patterns", id, "/recordstart"),
                     std::move(done)));
}

int ZelkoPtzCameraIsapi::stop_pattern_recording(int id) {
    return drive(*tour_command(*link, "stop_pattern_recording", "patterns", id, "/recordstop"));
}

Operation ZelkoPtzCameraIsapi::stop_pattern_recording(Engine& engine, int id, Callback done) {
    return submit(engine,
                  with(tour_command(*link, "stop_pattern_recording", "patterns", id, "/recordstop"),
                       std::move(done)));
}

int ZelkoPtzCameraIsapi::remove_pattern(int id) {
    return drive(*tour_command(*link, "remove_pattern", "patterns", id));
}

Operation ZelkoPtzCameraIsapi::remove_pattern(Engine& engine, int id, Callback done) {
    return submit(engine,
                  with(tour_command(*link, "remove_pattern", "patterns", id), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_park_action(PtzParkAction action) {
    return drive(*park_command(*link, std::move(action)));
}

Operation ZelkoPtzCameraIsapi::set_park_action(Engine& engine, PtzParkAction action,
                                               Callback done) {
    return submit(engine, with(park_command(*link, std::move(action)), std::move(done)));
}

int ZelkoPtzCameraIsapi::get_patrols(std::vector<PtzPatrol>& patrols) {
    const auto command = patrols_query(*link);
    return written(drive(*command), *command, patrols);
}

Operation ZelkoPtzCameraIsapi::get_patrols(Engine& engine,
                                           ValueCallback<std::vector<PtzPatrol>> done) {
    return submit(engine, with(patrols_query(*link), std::move(done)));
}

int ZelkoPtzCameraIsapi::get_patterns(std::vector<PtzPattern>& patterns) {
    const auto command = patterns_query(*link);
    return written(drive(*command), *command, patterns);
}

Operation ZelkoPtzCameraIsapi::get_patterns(Engine& engine,
                                            ValueCallback<std::vector<PtzPattern>> done) {
    return submit(engine, with(patterns_query(*link), std::move(done)));
}

int ZelkoPtzCameraIsapi::get_park_action(PtzParkAction& action) {
    const auto command = park_query(*link);
    return written(drive(*command), *command, action);
}

Operation ZelkoPtzCameraIsapi::get_park_action(Engine& engine, ValueCallback<PtzParkAction> done) {
    return submit(engine, with(park_query(*link), std::move(done)));
}

}  // namespace Ptz
