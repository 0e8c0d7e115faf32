// Every method of the camera object against every way a camera answers, with a new connection per
// request and with a kept session: the result code, the error line byte for byte, what the camera
// received, whether it accepted a command, and that the call ended within the time-outs and a
// bound on memory.

#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

#include "capabilities_document.h"
#include "ptz/engine.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"
#include "utils/http_client.h"

namespace {

using namespace testing_support;

// How an operation judges the answer.
enum Kind { kInfo, kQuery, kCommand, kList, kPosition, kCaps };
// The position query threw std::invalid_argument.
const int kThrows = -1;

const Ptz::PtzAbsoluteEx kSentinel{-1.0f, -2.0f, -3.0f, -4, -5, -6.0f, -7.0f};

// What a query hands back; a failed query leaves each as it was.
struct Record {
    Ptz::PtzAbsoluteEx position;
    std::vector<Ptz::PtzPreset> presets;
    Ptz::PtzPosition where;
    Ptz::PtzCapabilities caps;
};

// Runs a method on an engine: its callback keeps the code and what it hands back.
struct Async {
    Ptz::Engine engine;
    int code = INT_MIN;

    Ptz::Callback done() {
        return [this](int k) { code = k; };
    }
    // Writes `out` as the blocking method would: on success, and on wait_for_stop()'s time-out.
    template <typename Value>
    Ptz::ValueCallback<Value> into(Value& out) {
        return [this, &out](int k, const Value& v) {
            code = k;
            if (k == 0 || k == 5) {
                out = v;
            }
        };
    }
    // Turns until the callback has run, 20 s at most: a turn may take one piece of a long answer.
    int wait(const Ptz::Operation&) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (code == INT_MIN && std::chrono::steady_clock::now() < until) {
            engine.run(50);
        }
        return code;
    }
};

// A method in both forms: blocking when `a` is null, on its engine otherwise.
using Call = std::function<int(Camera&, Record&, Async*)>;
#define ACTING(method, ...)                                                           \
    [](Camera& c, Record&, Async* a) {                                                \
        return a ? a->wait(c.method(a->engine __VA_OPT__(, ) __VA_ARGS__, a->done())) \
                 : c.method(__VA_ARGS__);                                             \
    }
#define READING(method, field)                                                         \
    [](Camera& c, Record& r, Async* a) {                                               \
        return a ? a->wait(c.method(a->engine, a->into(r.field))) : c.method(r.field); \
    }

struct Op {
    const char* name;
    Kind kind;
    Call call;
    std::string path;                   // every request goes here, scripted answers come from here
    std::vector<std::string> requests;  // what a camera that accepts receives, "METHOD target"
    std::string body;                   // the body of the last of them
    bool variant = true;                // tried with the accepting camera only
    const char* refusal = nullptr;      // the line of an argument refused, with result 10
    std::string operation = name;       // in the lines
    const char* scripted_method = "";   // the method a scripted answer is for; "": every one
};

std::string body(const char* root, const std::string& children) {
    return kHead + "<" + root + " " + kRootAttributes + ">\n" + children + "</" + root + ">\n";
}

std::string position_body(const char* zoom) {
    return body("PtzAbsoluteEx",
                std::string("\t<absoluteZoom>") + zoom +
                    "</absoluteZoom>\n\t<azimuth>200.250000</azimuth>\n"
                    "\t<elevation>10.500000</elevation>\n\t<focalLen>48</focalLen>\n"
                    "\t<focus>29000</focus>\n\t<horizontalSpeed>0.500000"
                    "</horizontalSpeed>\n\t<verticalSpeed>1.500000</verticalSpeed>\n"
                    "\t<zoomType>absoluteZoom</zoomType>\n");
}

const std::string kInfoPath = "/ISAPI/System/deviceInfo";

Op op(const char* name, Kind kind, Call call, const std::string& path, const char* method,
      std::string sent_body = "") {
    return {name, kind, std::move(call), path, {method + (" " + path)}, std::move(sent_body)};
}

Op command(const char* name, Call call, const std::string& path, std::string sent_body) {
    return op(name, kCommand, std::move(call), path, "PUT", std::move(sent_body));
}

// A method that every answer is tried with.
Op method(Op op) {
    op.variant = false;
    return op;
}

// An argument that `operation` refuses with `line`, sending nothing.
Op refusal(const char* name, const char* operation, const char* line, Call call) {
    Op op = command(name, std::move(call), kAbs, "");
    op.requests.clear();
    op.refusal = line;
    op.operation = operation;
    return op;
}

Op aux(const char* name, std::int32_t device, std::int32_t state, const char* children,
       const char* refusal = nullptr) {
    Op op = command(
        name,
        [device, state](Camera& c, Record&, Async* a) {
            const auto aux = static_cast<Ptz::PtzAux>(device);
            const auto status = static_cast<Ptz::PtzStatus>(state);
            return a ? a->wait(c.set_ptz_aux(a->engine, aux, status, a->done()))
                     : c.set_ptz_aux(aux, status);
        },
        kAux, body("PTZAux", children));
    op.operation = "set_ptz_aux";
    if (refusal != nullptr) {
        op.requests.clear();
        op.refusal = refusal;
    }
    return op;
}

Op set_preset(const char* name, int id, std::string text) {
    const std::string number = std::to_string(id);
    return command(
        name,
        [id, text](Camera& c, Record&, Async* a) {
            return a ? a->wait(c.set_preset(a->engine, id, text, a->done()))
                     : c.set_preset(id, text);
        },
        kPresets + "/" + number,
        body("PTZPreset", "\t<id>" + number +
                              "</id>\n\t<presetName>Dock &amp; &lt;2&gt; by the north gate, lane "
                              "3\t\r\n</presetName>\n"));
}

const char* const kBadPresetId = "Please input a preset id of 1 or more.";

// A command that reads the position first; what goes wrong with its command is the subject.
Op read_then(Op op) {
    op.requests.insert(op.requests.begin(), "GET " + kAbs);
    op.scripted_method = "PUT";
    return op;
}

Op reset_zoom() {
    Op op = read_then(
        method(command("reset_zoom", ACTING(reset_zoom), kAbs, position_body("1.000000"))));
    op.operation = "set_ptz_absoluteEx";
    return op;
}

// A position with the values `present` of a distinct number each, so that a value sent under
// another's name shows.
Ptz::PtzPosition distinct(std::uint32_t present) {
    return {-12.5f, 0.1f, 2.25f, 29000, -48, 0.5f, 1e6f, present};
}

const std::string kAllValues =
    "\t<elevation>-12.500000</elevation>\n\t<azimuth>0.100000</azimuth>\n"
    "\t<absoluteZoom>2.250000</absoluteZoom>\n\t<focus>29000</focus>\n\t<focalLen>-48</focalLen>\n"
    "\t<horizontalSpeed>0.500000</horizontalSpeed>\n"
    "\t<verticalSpeed>1000000.000000</verticalSpeed>\n";

Op set_position(const char* name, std::uint32_t present, const std::string& children) {
    return command(
        name,
        [present](Camera& c, Record&, Async* a) {
            const Ptz::PtzPosition p = distinct(present);
            return a ? a->wait(c.set_position(a->engine, p, a->done())) : c.set_position(p);
        },
        kAbs, body("PTZAbsoluteEx", children));
}

Op position_3d(const char* name, Call call, const std::string& start, const std::string& end) {
    const auto point = [](const char* element, const std::string& xy) {
        return "\t<" + std::string(element) + ">\n\t\t<positionX>" + xy.substr(0, xy.find(' ')) +
               "</positionX>\n\t\t<positionY>" + xy.substr(xy.find(' ') + 1) +
               "</positionY>\n\t</" + element + ">\n";
    };
    Op op = command(name, std::move(call), kChannel + "/position3D",
                    body("Position3D", point("StartPoint", start) + point("EndPoint", end)));
    return op;
}

const Ptz::PtzAbsoluteEx kTarget{10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f},
    kOddTarget{-12.5f, 0.1f, 0.1234567f, -5, INT32_MIN, -0.25f, 1e6f};
const Ptz::PtzCtrl kMove{30, -15, 0};

const char* const kBadCoordinate = "Please input picture coordinates from 0 to 1.";
const char* const kBadTourId = "Please input a patrol or pattern id of 1 or more.";
const std::string kInput = "/ISAPI/System/Video/inputs/channels/1";

// Patrol 2: presets 1 and 7, the second at the slowest pace for an hour.
const Ptz::PtzPatrol kPatrol{2, "Yard & gate", true, {{1, 40, 15}, {7, 1, 3600}}};
const std::string kPatrolBody =
    "\t<enabled>true</enabled>\n\t<id>2</id>\n\t<patrolName>Yard &amp; gate</patrolName>\n"
    "\t<PatrolSequenceList>\n\t\t<PatrolSequence>\n\t\t\t<presetID>1</presetID>\n"
    "\t\t\t<seqSpeed>40</seqSpeed>\n\t\t\t<delay>15</delay>\n\t\t</PatrolSequence>\n"
    "\t\t<PatrolSequence>\n\t\t\t<presetID>7</presetID>\n\t\t\t<seqSpeed>1</seqSpeed>\n"
    "\t\t\t<delay>3600</delay>\n\t\t</PatrolSequence>\n\t</PatrolSequenceList>\n";

Ptz::PtzPatrol patrol_of(std::vector<Ptz::PtzPatrolStep> steps, int id = 1) {
    return {id, "p", false, std::move(steps)};
}

const Op kOps[] = {
    method(op(
        "get_info", kInfo,
        [](Camera& c, Record&, Async* a) {
            std::string answer;
            return a ? a->wait(c.get_info(a->engine, kInfoPath, a->into(answer)))
                     : c.get_info(kInfoPath);
        },
        kInfoPath, "GET")),
    method(op("get_ptz_absoluteEx", kQuery, READING(get_ptz_absoluteEx, position), kAbs, "GET")),
    method(command("set_ptz_absoluteEx", ACTING(set_ptz_absoluteEx, kTarget), kAbs,
                   position_body("4.000000"))),
    reset_zoom(),
    method(command("reset_position", ACTING(reset_position), kChannel + "/homeposition/goto", "")),
    method(aux("set_ptz_aux", 0, 0, "\t<id>1</id>\n\t<status>on</status>\n\t<type>LIGHT</type>\n")),
    method(command("set_ptz_ctrl", ACTING(set_ptz_ctrl, kMove), kCtrl,
                   body("PTZData", "\t<pan>30</pan>\n\t<tilt>-15</tilt>\n\t<zoom>0</zoom>\n"))),
    method(command("goto_preset", ACTING(goto_preset, 1), kPresets + "/1/goto", "")),
    method(set_preset("set_preset", 2, "Dock & <2> by the north gate, lane 3\t\r\n")),
    method(op("remove_preset", kCommand, ACTING(remove_preset, 1), kPresets + "/1", "DELETE")),
    method(op("get_presets", kList, READING(get_presets, presets), kPresets, "GET")),
    method(op("get_position", kPosition, READING(get_position, where), kAbs, "GET")),
    method(op(
        "wait_for_stop", kPosition,
        [](Camera& c, Record& r, Async* a) {
            return a ? a->wait(c.wait_for_stop(a->engine, 5.0, a->into(r.where)))
                     : c.wait_for_stop(r.where, 5.0);
        },
        kAbs, "GET")),
    method(op("get_capabilities", kCaps, READING(get_capabilities, caps),
              kChannel + "/capabilities", "GET")),
    method(set_position("set_position", Ptz::PtzPosition::Elevation | Ptz::PtzPosition::Azimuth,
                        "\t<elevation>-12.500000</elevation>\n\t<azimuth>0.100000</azimuth>\n")),
    method(command("move_for", ACTING(move_for, kMove, 250), kChannel + "/momentary",
                   body("PTZData",
                        "\t<pan>30</pan>\n\t<tilt>-15</tilt>\n\t<zoom>0</zoom>\n\t<Momentary>\n"
                        "\t\t<duration>250</duration>\n\t</Momentary>\n"))),
    method(read_then(command("move_by", ACTING(move_by, 170.0f, -20.5f, 1.0f), kAbs,
                             body("PTZAbsoluteEx",
                                  "\t<elevation>-10.000000</elevation>\n\t<azimuth>10.250000"
                                  "</azimuth>\n\t<absoluteZoom>8.000000</absoluteZoom>\n")))),
    // Halves round away from the centre: 0.5 is 128 on both axes.
    method(position_3d("center_on", ACTING(center_on, 0.5f, 0.5f), "128 128", "128 128")),
    position_3d("ZoomToAreaFromTopLeft", ACTING(zoom_to_area, 0.0f, 0.0f, 1.0f, 0.2f), "0 255",
                "255 204"),
    set_position("SetPositionEveryValueInTheCamerasOrder", Ptz::PtzPosition::All, kAllValues),
    refusal("SetPositionOfNoValue", "set_position",
            "Please input a position with at least one value.", ACTING(set_position, distinct(0))),
    refusal("SetPositionNotFinite", "set_position", "Please input finite position values.",
            ACTING(set_position, Ptz::PtzPosition{0, 0, 0, 0, 0, 0, NAN, Ptz::PtzPosition::All})),
    refusal("MoveForNoTime", "move_for", "Please input a duration of 1 ms or more.",
            ACTING(move_for, kMove, 0)),
    refusal("MoveByNotFinite", "move_by", "Please input finite steps.",
            ACTING(move_by, 0, INFINITY, 0)),
    refusal("CenterOffThePicture", "center_on", kBadCoordinate, ACTING(center_on, 1.01f, 0.5f)),
    refusal("ZoomToAreaNotANumber", "zoom_to_area", kBadCoordinate,
            ACTING(zoom_to_area, 0, 0, 1, NAN)),
    refusal("WaitWithoutTime", "wait_for_stop", "Please input a time-out of more than 0 seconds.",
            [](Camera& c, Record& r, Async* a) {
                return a ? a->wait(c.wait_for_stop(a->engine, 0, a->into(r.where)))
                         : c.wait_for_stop(r.where, 0);
            }),
    // Before its first slash, a path would name the host; a space is no URL: nothing goes out.
    refusal("InfoPathThatIsNoPath", "get_info",
            "Please input a path beginning with /, without spaces or control characters.",
            [](Camera& c, Record&, Async* a) {
                std::string answer;
                return a ? a->wait(c.get_info(a->engine, "/a b", a->into(answer)))
                         : c.get_info(".127.0.0.2/x");
            }),
    refusal("PresetIdZero", "goto_preset", kBadPresetId, ACTING(goto_preset, 0)),
    refusal("PresetIdNegative", "remove_preset", kBadPresetId, ACTING(remove_preset, INT32_MIN)),
    refusal("PresetNameWithControl", "set_preset",
            "Please input a preset name without control characters.",
            ACTING(set_preset, 3, std::string("a\0b", 3))),
    aux("AuxFanOn", 2, 0, "\t<id>1</id>\n\t<status>on</status>\n\t<type>FAN</type>\n"),
    aux("AuxBothOutOfRange", -1, 5, "", "Please input the correct aux type."),
    aux("AuxStateOutOfRange", 2, INT32_MIN, "", "Please input the correct ptz status."),
    method(command("set_focus", ACTING(set_focus, -100), kInput + "/focus",
                   body("FocusData", "\t<focus>-100</focus>\n"))),
    command("set_iris", ACTING(set_iris, 100), kInput + "/iris",
            body("IrisData", "\t<iris>100</iris>\n")),
    command("FocusStops", ACTING(set_focus, 0), kInput + "/focus",
            body("FocusData", "\t<focus>0</focus>\n")),
    command("one_push_focus", ACTING(one_push_focus), kChannel + "/onepushfoucs/start", ""),
    // Its answer is judged as set_focus's, which every answer is tried with.
    command("set_patrol", ACTING(set_patrol, kPatrol), kChannel + "/patrols/2",
            body("PTZPatrol", kPatrolBody)),
    command("start_patrol", ACTING(start_patrol, 1), kChannel + "/patrols/1/start", ""),
    command("stop_patrol", ACTING(stop_patrol, 1), kChannel + "/patrols/1/stop", ""),
    op("remove_patrol", kCommand, ACTING(remove_patrol, 3), kChannel + "/patrols/3", "DELETE"),
    command("stop_pattern", ACTING(stop_pattern, 2), kChannel + "/patterns/2/stop", ""),
    command("start_pattern_recording", ACTING(start_pattern_recording, 2),
            kChannel + "/patterns/2/recordstart", ""),
    command("stop_pattern_recording", ACTING(stop_pattern_recording, 2),
            kChannel + "/patterns/2/recordstop", ""),
    op("remove_pattern", kCommand, ACTING(remove_pattern, 4), kChannel + "/patterns/4", "DELETE"),
    command("set_park_action", ACTING(set_park_action, Ptz::PtzParkAction{true, 720, "patrol", 2}),
            kChannel + "/parkaction",
            body("ParkAction",
                 "\t<enabled>true</enabled>\n\t<Parktime>720</Parktime>\n\t<Action>\n"
                 "\t\t<ActionType>patrol</ActionType>\n\t\t<ActionNum>2</ActionNum>\n"
                 "\t</Action>\n")),
    refusal("FocusPastFar", "set_focus", "Please input a focus speed from -100 to 100.",
            ACTING(set_focus, 101)),
    refusal("IrisPastClose", "set_iris", "Please input an iris speed from -100 to 100.",
            ACTING(set_iris, INT32_MIN)),
    refusal("PatrolIdZero", "start_patrol", kBadTourId, ACTING(start_patrol, 0)),
    refusal("PatternIdNegative", "remove_pattern", kBadTourId, ACTING(remove_pattern, -1)),
    refusal("PatrolOfNoStep", "set_patrol", "Please input a patrol of 1 to 32 steps.",
            ACTING(set_patrol, patrol_of({}))),
    refusal("PatrolOf33Steps", "set_patrol", "Please input a patrol of 1 to 32 steps.",
            ACTING(set_patrol, patrol_of(std::vector<Ptz::PtzPatrolStep>(33, {1, 1, 1})))),
    refusal("PatrolOfPresetZero", "set_patrol",
            "Please input patrol steps of presets of 1 or more, none of them special.",
            ACTING(set_patrol, patrol_of({{1, 1, 1}, {0, 1, 1}}))),
    refusal("PatrolIdOfZero", "set_patrol", kBadTourId,
            ACTING(set_patrol, patrol_of({{1, 1, 1}}, 0))),
    refusal("PatrolStepWithoutSpeed", "set_patrol",
            "Please input patrol steps of a speed of 1 or more and a dwell of 0 s or more.",
            ACTING(set_patrol, patrol_of({{1, 0, 1}}))),
    refusal("PatrolStepOfNegativeDwell", "set_patrol",
            "Please input patrol steps of a speed of 1 or more and a dwell of 0 s or more.",
            ACTING(set_patrol, patrol_of({{1, 1, -1}}))),
    refusal("PatrolNameWithAnEscape", "set_patrol",
            "Please input a patrol name without control characters.",
            ACTING(set_patrol, Ptz::PtzPatrol{1, "Yard\x1b[2J", true, {{1, 1, 1}}})),
    refusal("ParkTimeBelowItsRange", "set_park_action",
            "Please input a park time of 5 to 720 seconds.",
            ACTING(set_park_action, Ptz::PtzParkAction{true, 4, "preset", 1})),
    refusal("ParkActionUnknown", "set_park_action", "Please input a park action the camera takes.",
            ACTING(set_park_action, Ptz::PtzParkAction{true, 5, "spin", 0})),
    refusal("ParkPresetZero", "set_park_action",
            "Please input the number of a preset the camera keeps.",
            ACTING(set_park_action, Ptz::PtzParkAction{true, 5, "preset", 0})),
    command("AbsoluteRoundedAndNegative", ACTING(set_ptz_absoluteEx, kOddTarget), kAbs,
            body("PtzAbsoluteEx",
                 "\t<absoluteZoom>0.123457</absoluteZoom>\n\t<azimuth>0.100000</azimuth>\n"
                 "\t<elevation>-12.500000</elevation>\n\t<focalLen>-2147483648</focalLen>\n"
                 "\t<focus>-5</focus>\n\t<horizontalSpeed>-0.250000</horizontalSpeed>\n"
                 "\t<verticalSpeed>1000000.000000</verticalSpeed>\n\t<zoomType>absoluteZoom</"
                 "zoomType>\n")),
};

// What a camera that works would answer to the kind, around `extra` children.
std::string good_answer(Kind kind, const std::string& extra = "") {
    if (kind == kList) {
        return "<PTZPresetList><PTZPreset><id>1</id><presetName>Gate</presetName><enabled>true"
               "</enabled></PTZPreset><PTZPreset><presetName>Dock &amp; 2"
               "</presetName><id> 7\n</id></PTZPreset>" +
               extra + "</PTZPresetList>";
    }
    if (kind == kCaps) {
        std::string caps = sim::capabilities_document(false);
        return caps.insert(caps.rfind("</PTZChanelCap>"), extra);
    }
    if (kind == kQuery || kind == kPosition) {
        return "<PTZAbsoluteEx><elevation>10.5</elevation><azimuth>200.25</azimuth><absoluteZoom>7"
               "</absoluteZoom><focus>100</focus><focalLen>48</focalLen><horizontalSpeed>0.5"
               "</horizontalSpeed><verticalSpeed>1.5</verticalSpeed>" +
               extra + "</PTZAbsoluteEx>";
    }
    return "<ResponseStatus><statusString>OK</statusString>" + extra + "</ResponseStatus>";
}

// What the simulated camera's capabilities say, read.
const Ptz::PtzCapabilities kSimulatedCaps{
    Ptz::PtzRange{0, 360},
    Ptz::PtzRange{-90, 90},
    Ptz::PtzRange{1, 32},
    Ptz::PtzSpeedRange{-100, 100},
    Ptz::PtzSpeedRange{-100, 100},
    Ptz::PtzSpeedRange{-100, 100},
    300,
    32,
    {33, 34, 35, 36, 37, 38, 39, 40, 41,  42,  43,  44,  45,  46, 90,
     92, 93, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103, 104, 105},
    true,
    {"LIGHT", "WIPER", "FAN"}};

using Scripted = std::function<sim::Script(Kind)>;

using Odd = void (*)(sim::Script&);

// The answer `text`, delivered as `odd` says. Shared: every case holds its answer, and one is a
// megabyte, which each test process would otherwise copy some hundred times before it starts.
Scripted scripted(
    std::string text, Odd odd = [](sim::Script&) {}) {
    auto body = std::make_shared<const std::string>(std::move(text));
    return [body, odd](Kind) {
        sim::Script s;
        s.body = *body;
        odd(s);
        return s;
    };
}

// The camera's good answer, delivered as `odd` says.
Scripted good(Odd odd) {
    return [odd](Kind kind) {
        sim::Script s;
        s.body = good_answer(kind);
        odd(s);
        return s;
    };
}

// A good answer of exactly HttpClient::kMaxResponseBytes, plus `extra` bytes.
Scripted padded(std::size_t extra) {
    return [extra](Kind kind) {
        const std::size_t frame = good_answer(kind, "<pad></pad>").size();
        sim::Script s;
        s.body =
            good_answer(kind, "<pad>" + std::string((16u << 20) - frame + extra, 'p') + "</pad>");
        return s;
    };
}

const std::string kLongText = "<ResponseStatus><statusString>" + std::string(1 << 20, 'A') +
                              "</statusString></ResponseStatus>";
// "OK", compressed; the library asks for no encoding and takes these bytes as the answer.
void gzipped(sim::Script& s) {
    s.headers = {{"Content-Encoding", "gzip"}};
}
const std::string kGzip(
    "\x1f\x8b\x08\0\0\0\0\0\0\x03\xf3\xf7\x06\0-\xd9"
    "6\xd7\x02\0\0\0",
    22);

// Which operations an answer is tried with: faults of the address or the credentials reach
// reset_zoom's query rather than its command, and the slow faults one operation of a kind each.
enum Applies { kAll, kNotResetZoom, kGetOnly, kPutOnly, kListOnly };

// What every method answers: its code by Kind, and the message of its line ("{}": the answer as
// shown), `info_message` in place of it for get_info when that differs.
struct Expect {
    std::array<int, 6> codes;
    const char* message = nullptr;
    const char* info_message = nullptr;
};

struct Answer {
    const char* name;
    Scripted scripted;  // null: the camera's own answer
    Expect expect;
    std::string shown = "=";  // the answer as a line shows it; "=": as sent
    const char* address = "127.0.0.1";
    const char* userpwd = kUserPwd;
    Applies applies = kAll;
};

// Why the call failed, as failure_reason() says it, for the answers where every method says
// the same.
const std::map<std::string, std::string> kReasons = {
    {"NotXml", "the answer is not XML"},
    {"RedirectedToHttps", "the answer is not XML (HTTP 302, moved to https://127.0.0.1/)"},
    {"AnswerPastTheLimit", "the answer passed 16 MiB"},
    {"StatusLowerCase", "camera refused: ok"},
    {"WrongCredentials", "camera refused: Invalid Operation (badAuthorization)"},
};

const char kNodeName[] = "Fail to get node name in xml, response data: {}.";
const Expect kOnlyInfo{{0, kThrows, 10, 10, 10, 10}, kNodeName},
    kNotXml{{2, 2, 2, 2, 2, 2}, "Fail to parse reponse data, response data: {}."},
    kFails{{1, 1, 1, 1, 1, 1}, "Fail to complete http request.", "Fail to complete http get."},
    kGood{{0, 0, 0, 0, 0, 0}};

const Answer kAnswers[] = {
    {"CameraAccepts", nullptr, kGood},
    {"StatusAsCharacterReference",
     scripted("<ResponseStatus><statusString>&#79;K</statusString></ResponseStatus>"),
     {{0, kThrows, 0, 10, 10, 10}, kNodeName}},
    {"StatusLowerCase", scripted(status_answer("ok")), kOnlyInfo},
    {"StatusPadded", scripted(status_answer("OK ")), kOnlyInfo},
    {"NotXml", scripted("<html>busy"), kNotXml},
    {"Empty", scripted(""), kNotXml},
    {"Refused", nullptr, kFails, "", kDeadAddress, kUserPwd, kNotResetZoom},
    {"Silent", good([](sim::Script& s) { s.mode = sim::Script::Mode::NeverAnswer; }), kFails, "",
     "127.0.0.1", kUserPwd, kGetOnly},
    {"DripsPastTheTimeout", good([](sim::Script& s) {
         s.mode = sim::Script::Mode::Drip;
         s.delay = std::chrono::milliseconds(400);
     }),
     kFails, "", "127.0.0.1", kUserPwd, kPutOnly},
    {"ClosedMidBody", good([](sim::Script& s) { s.mode = sim::Script::Mode::CloseMidBody; }),
     kFails, ""},
    {"ControlBytesShownEscaped",
     scripted(std::string("%s%n\x1b]0;x\x07\x1b[2J\x1b[8m\ta\rb\r\nc\x08\x7f\0\xc3\xa9\n", 31)),
     kNotXml, "%s%n\\x1b]0;x\\x07\\x1b[2J\\x1b[8m\ta\\x0db\r\nc\\x08\\x7f\\x00\xc3\xa9\n"},
    {"GzipBody", scripted(kGzip, gzipped), kNotXml,
     "\\x1f\\x8b\\x08\\x00\\x00\\x00\\x00\\x00\\x00\\x03\\xf3\\xf7\\x06\\x00-\\xd9"
     "6\\xd7\\x02\\x00\\x00\\x00"},
    {"LongAnswerShownCut", scripted(kLongText), kOnlyInfo,
     kLongText.substr(0, 4096) + "[cut: 1048638 bytes in all]"},
    {"AnswerAtTheLimit", padded(0), kGood},
    {"AnswerPastTheLimit", padded(1), kFails, ""},
    {"EndlessAnswer",
     scripted("<ResponseStatus>", [](sim::Script& s) { s.mode = sim::Script::Mode::Endless; }),
     kFails, ""},
    {"DoctypeEntitiesNotExpanded",
     scripted("<!DOCTYPE ResponseStatus [<!ENTITY ok \"OK\"><!ENTITY file SYSTEM "
              "\"file:///etc/hostname\">]><ResponseStatus><statusString>&ok;&file;</statusString>"
              "</ResponseStatus>"),
     kOnlyInfo},
    {"RedirectNotFollowed", good([](sim::Script& s) {
         s.status = 302;
         s.headers = {{"Location", "/elsewhere"}};
     }),
     kGood},
    {"RedirectedToHttps",
     scripted("<html>moved",
              [](sim::Script& s) {
                  s.status = 302;
                  s.headers = {{"Location", "https://127.0.0.1/"}};
              }),
     kNotXml},
    {"BasicOnly",
     scripted(status_answer("Unauthorized"),
              [](sim::Script& s) { s.mode = sim::Script::Mode::BasicOnly; }),
     kOnlyInfo},
    {"WrongCredentials", nullptr, kOnlyInfo, "", "127.0.0.1", "admin:wrong", kNotResetZoom},
    {"Chunked", good([](sim::Script& s) { s.transfer = sim::Script::Transfer::Chunked; }), kGood},
    {"PresetIdPastTheIntRange",
     scripted("<PTZPresetList><PTZPreset><id>1</id></PTZPreset><PTZPreset><id>2147483648</id>"
              "</PTZPreset></PTZPresetList>"),
     kOnlyInfo, "=", "127.0.0.1", kUserPwd, kListOnly},
    {"PresetIdNegative",
     scripted("<PTZPresetList><PTZPreset><id>-1</id></PTZPreset></PTZPresetList>"), kOnlyInfo, "=",
     "127.0.0.1", kUserPwd, kListOnly},
    {"PresetWithoutId",
     scripted("<PTZPresetList><PTZPreset><presetName>Gate</presetName></PTZPreset>"
              "</PTZPresetList>"),
     kOnlyInfo, "=", "127.0.0.1", kUserPwd, kListOnly},
};

// The line that `expect` gives `op`, with the answer as `shown`.
std::string expected_line(const Op& op, const Expect& expect, const std::string& shown) {
    const int code = expect.codes[op.kind];
    if (code == 0 || code == kThrows) {
        return "";
    }
    std::string message =
        op.kind == kInfo && expect.info_message != nullptr ? expect.info_message : expect.message;
    const std::size_t at = message.find("{}");
    if (at != std::string::npos) {
        message.replace(at, 2, shown);
    }
    return error_line(op.operation.c_str(), message);
}

// The peak resident set since reset_peak(), in KiB.
long peak_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line) && line.rfind("VmHWM:", 0) != 0) {
    }
    return std::atol(line.c_str() + 6);
}

void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// How the camera object reaches the camera: the two-argument constructor, a kept session,
// channel 3 of a camera with three, and the first two through an engine.
enum Mode { kNewConnections, kKeptSession, kChannel3, kEngine, kEngineSession };
const char* const kModeNames[] = {"", "_KeptSession", "_Channel3", "_Engine", "_EngineSession"};

// `path` as it is under channel 3.
// The PTZ channel's path, and its video input's, numbered 3.
std::string on_channel3(std::string path) {
    for (const std::string& channel : {kChannel, kInput}) {
        if (path.compare(0, channel.size() + 1, channel + "/") == 0) {
            path[channel.size() - 1] = '3';
        }
    }
    return path;
}

using Case = std::tuple<Answer, Op, Mode>;

class OperationTest : public SimTest, public ::testing::WithParamInterface<Case> {
protected:
    OperationTest() : SimTest(three_channels()) {}
    static sim::Options three_channels() {
        sim::Options options;
        options.channels = 3;
        return options;
    }
};

TEST_P(OperationTest, AnswersWithItsCodeAndLineAndSendsItsRequests) {
    const Answer& a = std::get<0>(GetParam());
    Op op = std::get<1>(GetParam());
    const Mode mode = std::get<2>(GetParam());
    const int channel = mode == kChannel3 ? 3 : 1;
    if (mode == kChannel3) {
        op.path = on_channel3(op.path);
        for (std::string& r : op.requests) {
            r = r.substr(0, r.find(' ') + 1) + on_channel3(r.substr(r.find(' ') + 1));
        }
    }
    sim::CameraState state = camera_sim->state(channel);
    state.position = {10.5f, 200.25f, 7.0f, 100, 48, 0.5f, 1.5f};
    state.presets[1] = {"Gate", {}};
    camera_sim->set_state(state, channel);
    std::string shown = a.shown;
    if (a.scripted) {
        sim::Script s = a.scripted(op.kind);
        s.method = op.scripted_method;
        shown = shown == "=" ? s.body : shown;
        camera_sim->script(op.path, s);
    } else if (std::string(a.userpwd) != kUserPwd) {
        shown = sim::response_status(op.path, 4, "Invalid Operation", "badAuthorization");
    }
    const bool accepting = a.scripted == nullptr && a.expect.codes == kGood.codes;
    const bool on_engine = mode == kEngine || mode == kEngineSession;
    const bool sunk_lines = mode == kKeptSession || mode == kEngineSession;
    int expected = accepting ? (op.refusal != nullptr ? 10 : 0) : a.expect.codes[op.kind];
    // What the query throws, an engine reports.
    std::string line = op.refusal != nullptr ? error_line(op.operation, op.refusal)
                                             : expected_line(op, a.expect, shown);
    if (on_engine && expected == kThrows) {
        expected = static_cast<int>(Ptz::Result::NotNumbers);
        line = error_line(op.operation, "The camera's position answer is not numbers (stof).");
    }
    const unsigned long accepted_before = camera_sim->state(channel).commands_accepted;
    Ptz::CameraOptions options;
    options.keep_session = mode == kKeptSession || mode == kEngineSession;
    options.channel = channel;
    // The kept session also hands its lines to a sink, which rebuilds them as stderr had them.
    struct Sunk {
        std::string lines;
        std::vector<int> codes;
    } sunk;
    if (sunk_lines) {
        options.error_sink = [](void* user, const char* operation, int code, const char* message) {
            static_cast<Sunk*>(user)->lines += error_line(operation, message);
            static_cast<Sunk*>(user)->codes.push_back(code);
        };
        options.error_sink_user = &sunk;
    }
    Camera camera(a.address, a.userpwd, options);
    const Record kept{kSentinel, {{99, "kept", false}}, distinct(Ptz::PtzPosition::Focus), {}};
    Record record = kept;

    reset_peak();
    [[maybe_unused]] const long peak_before = peak_kib();
    const auto start = std::chrono::steady_clock::now();
    int code = kThrows;
    const std::unique_ptr<Async> async(on_engine ? new Async : nullptr);
    const std::string written = stderr_of([&] {
        try {
            code = op.call(camera, record, async.get());
        } catch (const std::invalid_argument&) {
        }
    });
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(code, expected);
    if (code > 0 && op.refusal == nullptr && kReasons.count(a.name) != 0) {
        EXPECT_EQ(camera.failure_reason(), kReasons.at(a.name));
    }
    if (sunk_lines) {
        EXPECT_EQ(written, "");
        EXPECT_EQ(sunk.lines, line);
        EXPECT_EQ(sunk.codes, line.empty() ? std::vector<int>{} : std::vector<int>{code});
    } else {
        EXPECT_EQ(written, line);
    }
    EXPECT_LT(elapsed, std::chrono::seconds(8)) << "past the time-outs";
    if (a.applies == kGetOnly || a.applies == kPutOnly) {
        EXPECT_GE(elapsed, std::chrono::milliseconds(4500)) << "gave up before the time-out";
    }
#ifndef __SANITIZE_ADDRESS__  // whose quarantine keeps freed buffers resident
    EXPECT_LT(peak_kib() - peak_before, 100 * 1024) << "peak resident memory, KiB";
#endif
    const Ptz::PtzAbsoluteEx read{10.5f, 200.25f, 7.0f, 100, 48, 0.5f, 1.5f};
    EXPECT_EQ(std::memcmp(&record.position, expected == 0 && op.kind == kQuery ? &read : &kSentinel,
                          sizeof read),
              0);
    // The camera's own list holds one preset.
    std::vector<Ptz::PtzPreset> listed{{1, "Gate", true}, {7, "Dock & 2", false}};
    listed.resize(a.scripted ? 2 : 1);
    EXPECT_EQ(record.presets, expected == 0 && op.kind == kList ? listed : kept.presets);
    EXPECT_EQ(record.where,
              expected == 0 && op.kind == kPosition ? Ptz::to_position(read) : kept.where);
    EXPECT_EQ(record.caps, expected == 0 && op.kind == kCaps ? kSimulatedCaps : kept.caps);
    const bool took = accepting && op.kind == kCommand && op.refusal == nullptr;
    EXPECT_EQ(camera_sim->state(channel).commands_accepted - accepted_before, took ? 1u : 0u);
    for (const auto& r : camera_sim->requests()) {
        EXPECT_EQ(r.target, op.path) << "a redirect was followed";
        EXPECT_NE(r.header("Authorization").rfind("Basic", 0), 0u) << "the password in clear";
    }
    if (accepting) {
        std::vector<std::string> bodies;
        std::vector<std::string> requests = sent(&bodies);
        if (op.name == std::string("wait_for_stop")) {  // reads until the camera is still
            EXPECT_GE(requests.size(), 5u) << "0.5 s still, read every 0.1 s";
            requests.resize(std::min<std::size_t>(requests.size(), 1));
        }
        EXPECT_EQ(requests, op.requests);
        if (!bodies.empty()) {
            EXPECT_EQ(bodies.back(), op.body);
            EXPECT_EQ(camera_sim->requests().back().header("Content-Type"),
                      op.requests.back().rfind("PUT", 0) == 0 ? "application/xml; charset=\"UTF-8\""
                                                              : "");
        }
    }
}

// Every answer with every method, in both transports; the variants with the accepting camera,
// blocking and on the engine; channel 3 with every method.
std::vector<Case> cases() {
    std::vector<Case> result;
    for (const Mode mode : {kNewConnections, kKeptSession, kChannel3, kEngine, kEngineSession}) {
        for (const Answer& a : kAnswers) {
            const bool accepting = a.scripted == nullptr && a.expect.codes == kGood.codes;
            for (const Op& op : kOps) {
                const std::string name = op.name;
                const bool reads_first = op.scripted_method == std::string("PUT");
                const bool applies = a.applies == kAll ||
                                     (a.applies == kNotResetZoom && !reads_first) ||
                                     (a.applies == kGetOnly && name == "get_ptz_absoluteEx") ||
                                     (a.applies == kPutOnly && name == "set_ptz_ctrl") ||
                                     (a.applies == kListOnly && name == "get_presets");
                const bool tried = op.variant
                                       ? accepting && (mode == kNewConnections || mode == kEngine)
                                       : mode != kChannel3 || accepting;
                if (tried && applies) {
                    result.emplace_back(a, op, mode);
                }
            }
        }
    }
    return result;
}

INSTANTIATE_TEST_SUITE_P(Matrix, OperationTest, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name +
                                    kModeNames[std::get<2>(info.param)];
                         });

// What the camera's methods never send: a body with a zero byte, and a POST.
TEST_F(SimTest, HttpClientSendsEveryByteOfABodyAndKeepsWhatTheResponseHeld) {
    camera_sim->script("/upload", answer("<new/>"));
    Utils::HttpClient client;
    const std::string body("x\0y\xff", 4);
    std::string response = "<old/>";
    ASSERT_TRUE(client.post("http://127.0.0.1:80/upload", kUserPwd, body, response));
    ASSERT_TRUE(client.put("http://127.0.0.1:80/upload", kUserPwd, body, response));
    EXPECT_EQ(response, "<old/><new/><new/>");
    const auto all = camera_sim->requests();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1].method, "POST");
    EXPECT_EQ(all[3].method, "PUT");
    for (const auto& r : {all[1], all[3]}) {
        EXPECT_TRUE(r.authenticated);
        EXPECT_EQ(r.body, body);
        EXPECT_EQ(r.header("Content-Type"), "application/xml; charset=\"UTF-8\"");
    }
}

}  // namespace
