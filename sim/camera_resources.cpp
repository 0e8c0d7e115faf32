#include "camera_resources.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <pugixml.hpp>

#include "capabilities_document.h"

namespace sim {

namespace {

const char* const kNamespace = "http://www.isapi.org/ver20/XMLSchema";

std::string xml_head(const std::string& root) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<") + root +
           " version=\"2.0\" xmlns=\"" + kNamespace + "\">\n";
}

std::string element(const std::string& name, const std::string& text) {
    return "<" + name + ">" + text + "</" + name + ">\n";
}

// A text that came from a client, made safe for an element.
std::string escaped(std::string text) {
    for (std::size_t at = 0; (at = text.find_first_of("&<>", at)) != std::string::npos;) {
        const char* entity = text[at] == '&' ? "&amp;" : text[at] == '<' ? "&lt;" : "&gt;";
        text.replace(at, 1, entity);
        at += std::char_traits<char>::length(entity);
    }
    return text;
}

// The shortest text that reads back as the same float: 359.99997 is never written as 360.
std::string number(float value) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The camera accepts only whole, finite decimal numbers: no padding, no units.
bool parse_float(const char* text, float& out) {
    if (*text == '\0' || std::isspace(static_cast<unsigned char>(*text))) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(text, &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

bool parse_int(const char* text, int& out) {
    if (*text == '\0' || std::isspace(static_cast<unsigned char>(*text))) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

std::string position_document(const std::string& root, const Position& p) {
    return xml_head(root) + element("elevation", number(p.elevation)) +
           element("azimuth", number(p.azimuth)) + element("absoluteZoom", number(p.absoluteZoom)) +
           element("focus", std::to_string(p.focus)) +
           element("focalLen", std::to_string(p.focalLen)) +
           element("horizontalSpeed", number(p.horizontalSpeed)) +
           element("verticalSpeed", number(p.verticalSpeed)) + "</" + root + ">\n";
}

// The four values a current camera reports, as it reports them.
std::string lean_position_document(const Position& p) {
    return xml_head("PTZAbsoluteEx") + element("elevation", number(p.elevation)) +
           element("azimuth", number(p.azimuth)) + element("absoluteZoom", number(p.absoluteZoom)) +
           element("focus", std::to_string(p.focus)) + element("zoomCtrlType", "adaption") +
           "</PTZAbsoluteEx>\n";
}

// Elevation, azimuth and zoom in tenths, as ".../status" and preset lists carry them.
std::string absolute_high(const Position& p) {
    const auto tenths = [](float value) { return std::to_string(std::lround(value * 10.0)); };
    return "<AbsoluteHigh>\n" + element("elevation", tenths(p.elevation)) +
           element("azimuth", tenths(p.azimuth)) + element("absoluteZoom", tenths(p.absoluteZoom)) +
           "</AbsoluteHigh>\n";
}

// What firmware without a resource answers: its web server's page, not XML.
Answer page_not_found() {
    return {404,
            "<!DOCTYPE html>\n<html><head><title>Document Error: Page not found</title></head>\n"
            "<body><h2>Access Error: Page not found</h2><p>Bad request type</p></body></html>\n",
            "text/html"};
}

std::string aux_entry(const char* type, bool on) {
    return "<PTZAux>\n" + element("id", "1") + element("type", type) +
           element("status", on ? "on" : "off") + "</PTZAux>\n";
}

std::string aux_document(const CameraState& state) {
    return xml_head("PTZAuxList") + aux_entry("LIGHT", state.light) +
           aux_entry("WIPER", state.wiper) + aux_entry("FAN", state.fan) + "</PTZAuxList>\n";
}

std::string motion_document(const Motion& m) {
    return xml_head("PTZData") + element("pan", std::to_string(m.pan)) +
           element("tilt", std::to_string(m.tilt)) + element("zoom", std::to_string(m.zoom)) +
           "</PTZData>\n";
}

Answer ok(const std::string& target) {
    return {200, response_status(target, 1, "OK", "ok")};
}

Answer invalid_content(const std::string& target) {
    return {400, response_status(target, 6, "Invalid XML Content", "badXmlContent")};
}

Answer not_allowed(const std::string& target) {
    return {405, response_status(target, 4, "Invalid Operation", "methodNotAllowed")};
}

// Loads a command body and returns its root if it has one of the expected names.
pugi::xml_node command_root(pugi::xml_document& doc, const std::string& body,
                            std::initializer_list<const char*> names) {
    if (!doc.load_buffer(body.data(), body.size())) {
        return pugi::xml_node();
    }
    const pugi::xml_node root = doc.document_element();
    for (const char* name : names) {
        if (std::string(root.name()) == name) {
            return root;
        }
    }
    return pugi::xml_node();
}

// Moves the three axes to `target` at top speed and sets the rest at once, as a camera does for
// absolute moves and presets.
void move_to(CameraState& state, const Position& target) {
    state.position.focus = target.focus;
    state.position.focalLen = target.focalLen;
    state.position.horizontalSpeed = target.horizontalSpeed;
    state.position.verticalSpeed = target.verticalSpeed;
    state.movement = travel_to(target);
}

// A value the body may hold: left as it is when the element is missing, false when it is there
// but not a number.
template <typename Value>
bool optional_value(pugi::xml_node root, const char* name, Value& out, int& given,
                    bool (*parse)(const char*, Value&)) {
    if (!root.child(name)) {
        return true;
    }
    ++given;
    return parse(root.child_value(name), out);
}

// Takes the whole body of the older root as well as a partial one of the camera's own: the
// values left out keep theirs.
Answer put_absolute(CameraState& state, const std::string& target, const std::string& body) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, body, {"PtzAbsoluteEx", "PTZAbsoluteEx"});
    Position p = state.position;
    int given = 0;
    const bool valid =
        root && optional_value(root, "elevation", p.elevation, given, parse_float) &&
        optional_value(root, "azimuth", p.azimuth, given, parse_float) &&
        optional_value(root, "absoluteZoom", p.absoluteZoom, given, parse_float) &&
        optional_value(root, "focus", p.focus, given, parse_int) &&
        optional_value(root, "focalLen", p.focalLen, given, parse_int) &&
        optional_value(root, "horizontalSpeed", p.horizontalSpeed, given, parse_float) &&
        optional_value(root, "verticalSpeed", p.verticalSpeed, given, parse_float) &&
        (!root.child("zoomType") || std::string(root.child_value("zoomType")) == "absoluteZoom");
    if (!valid || given == 0) {
        return invalid_content(target);
    }
    move_to(state, p);
    return ok(target);
}

Answer put_aux(CameraState& state, const std::string& target, const std::string& body) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, body, {"PTZAux"});
    if (!root || std::string(root.child_value("id")) != "1") {
        return invalid_content(target);
    }
    const std::string type = root.child_value("type");
    const std::string status = root.child_value("status");
    if (status != "on" && status != "off") {
        return invalid_content(target);
    }
    bool* device = type == "LIGHT"   ? &state.light
                   : type == "WIPER" ? &state.wiper
                   : type == "FAN"   ? &state.fan
                                     : nullptr;
    if (device == nullptr) {
        return invalid_content(target);
    }
    *device = status == "on";
    return ok(target);
}

// ".../continuous", and ".../momentary", whose "Momentary" holds the milliseconds the camera
// moves before it stops by itself.
Answer put_continuous(CameraState& state, const std::string& target, const std::string& body,
                      bool momentary) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, body, {"PTZData"});
    Motion m;
    int duration_ms = 0;
    if (!root || !parse_int(root.child_value("pan"), m.pan) ||
        !parse_int(root.child_value("tilt"), m.tilt) ||
        !parse_int(root.child_value("zoom"), m.zoom) ||
        (momentary && (!parse_int(root.child("Momentary").child_value("duration"), duration_ms) ||
                       duration_ms < 1))) {
        return invalid_content(target);
    }
    if (!momentary) {
        state.motion = m;
        if (state.recording != 0) {
            state.patterns[state.recording].moves.emplace_back(state.recording_seconds, m);
        }
    }
    state.movement = continuous(m, duration_ms / 1000.0);
    return ok(target);
}

// A point of the picture in the camera's frame, 0 to 255 from the bottom-left, as a fraction
// from the top-left.
bool frame_point(pugi::xml_node point, double& x, double& y) {
    int frame_x = 0;
    int frame_y = 0;
    if (!parse_int(point.child_value("positionX"), frame_x) ||
        !parse_int(point.child_value("positionY"), frame_y) || frame_x < 0 || frame_x > 255 ||
        frame_y < 0 || frame_y > 255) {
        return false;
    }
    x = frame_x / 255.0;
    y = 1.0 - frame_y / 255.0;
    return true;
}

Answer put_position3d(CameraState& state, const std::string& target, const std::string& body) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, body, {"Position3D"});
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!root || !frame_point(root.child("StartPoint"), x0, y0) ||
        !frame_point(root.child("EndPoint"), x1, y1)) {
        return invalid_content(target);
    }
    state.movement = travel_to(framed(state.position, x0, y0, x1, y1));
    return ok(target);
}

Answer no_such_preset(const std::string& target) {
    return {404, response_status(target, 4, "Invalid Operation", "presetNotExist")};
}

Answer not_supported(const std::string& target) {
    return {404, response_status(target, 4, "Invalid Operation", "notSupport")};
}

std::string preset_list(const CameraState& state) {
    std::string list = xml_head("PTZPresetList");
    for (const auto& preset : state.presets) {
        list += "<PTZPreset>\n" + element("id", std::to_string(preset.first)) +
                element("presetName", escaped(preset.second.name)) + element("enabled", "true") +
                absolute_high(preset.second.position) + "</PTZPreset>\n";
    }
    return list + "</PTZPresetList>\n";
}

// One request as a resource's handler takes it: the channel's state, and the number in its path
// after the channel's (a preset's), or 0.
struct Call {
    CameraState& state;
    const Firmware& firmware;
    const std::string& target;
    const std::string& body;
    int id;
};

Answer put_preset(Call& c) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, c.body, {"PTZPreset"});
    if (!root || root.child_value("id") != std::to_string(c.id) || !root.child("presetName")) {
        return invalid_content(c.target);
    }
    c.state.presets[c.id] = {root.child_value("presetName"), c.state.position};
    return ok(c.target);
}

Answer goto_preset(Call& c) {
    const auto found = c.state.presets.find(c.id);
    if (found == c.state.presets.end()) {
        return no_such_preset(c.target);
    }
    move_to(c.state, found->second.position);
    return ok(c.target);
}

Answer remove_preset(Call& c) {
    if (c.state.presets.erase(c.id) == 0) {
        return no_such_preset(c.target);
    }
    return ok(c.target);
}

// ".../absoluteEx" as the firmware has it: older firmware has none.
Answer get_absolute(Call& c) {
    using PositionAnswer = Firmware::PositionAnswer;
    switch (c.firmware.position_answer) {
        case PositionAnswer::Legacy:
            return page_not_found();
        case PositionAnswer::Lean:
            return {200, lean_position_document(c.state.position)};
        case PositionAnswer::Full:
            break;
    }
    return {200, position_document("PTZAbsoluteEx", c.state.position)};
}

Answer set_absolute(Call& c) {
    if (c.firmware.position_answer == Firmware::PositionAnswer::Legacy) {
        return page_not_found();
    }
    return put_absolute(c.state, c.target, c.body);
}

Answer goto_home(Call& c) {
    // Home keeps the speeds.
    c.state.position.focus = c.state.home.focus;
    c.state.position.focalLen = c.state.home.focalLen;
    c.state.movement = travel_to(c.state.home);
    return ok(c.target);
}

Answer device_info(Call&) {
    return {200, xml_head("DeviceInfo") + element("deviceName", "PTZ Camera") +
                     element("model", "ZELKO-SIM-1") + element("firmwareVersion", "V1.0.0") +
                     "</DeviceInfo>\n"};
}

// Focus and iris: "FocusData" or "IrisData" holding a speed from -100 to 100.
Answer put_lens(Call& c, const char* root_name, const char* element, int& speed) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, c.body, {root_name});
    int value = 0;
    if (!root || !parse_int(root.child_value(element), value) || value < -100 || value > 100) {
        return invalid_content(c.target);
    }
    if (&speed == &c.state.focus_speed && speed == 0) {
        c.state.focus = c.state.position.focus;  // an absolute move may have set it since
    }
    speed = value;
    return ok(c.target);
}

// A GET of a resource that takes commands alone, as the camera answers it.
Answer forbidden_get(Call& c) {
    return {403, response_status(c.target, 4, "Invalid Operation", "methodNotAllowed")};
}

std::string patrol_entry(int id, const Patrol& patrol) {
    std::string entry = "<PTZPatrol>\n" + element("enabled", patrol.enabled ? "true" : "false") +
                        element("id", std::to_string(id)) +
                        element("patrolName", escaped(patrol.name)) + "<PatrolSequenceList>\n";
    for (const PatrolStop& stop : patrol.slots) {
        entry += "<PatrolSequence>\n" + element("presetID", std::to_string(stop.preset)) +
                 element("seqSpeed", std::to_string(stop.speed)) +
                 element("delay", std::to_string(stop.dwell_seconds)) + "</PatrolSequence>\n";
    }
    return entry + "</PatrolSequenceList>\n</PTZPatrol>\n";
}

Answer get_patrols(Call& c) {
    std::string list = xml_head("PTZPatrolList");
    for (const auto& patrol : c.state.patrols) {
        list += patrol_entry(patrol.first, patrol.second);
    }
    return {200, list + "</PTZPatrolList>\n"};
}

Answer no_such(Call& c, const char* what) {
    return {400, response_status(c.target, 4, "Invalid Operation", what)};
}

Answer put_patrol(Call& c) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, c.body, {"PTZPatrol"});
    if (!root || root.child_value("id") != std::to_string(c.id) || c.id > kMaxPatrols) {
        return invalid_content(c.target);
    }
    Patrol patrol;
    patrol.enabled = std::string(root.child_value("enabled")) == "true";
    patrol.name = root.child_value("patrolName");
    std::size_t slot = 0;
    for (const pugi::xml_node seq : root.child("PatrolSequenceList").children("PatrolSequence")) {
        PatrolStop stop;
        if (slot == patrol.slots.size() || !parse_int(seq.child_value("presetID"), stop.preset) ||
            !parse_int(seq.child_value("seqSpeed"), stop.speed) ||
            !parse_int(seq.child_value("delay"), stop.dwell_seconds) || stop.preset < 0 ||
            stop.speed < 1 || stop.dwell_seconds < 0) {
            return invalid_content(c.target);
        }
        patrol.slots[slot++] = stop;
    }
    c.state.patrols[c.id] = patrol;
    return ok(c.target);
}

Answer start_patrol(Call& c) {
    const auto found = c.state.patrols.find(c.id);
    if (found == c.state.patrols.end()) {
        return no_such(c, "patrolNotExist");
    }
    c.state.program = Program{Program::Kind::Patrol, c.id, found->second.slots.size() - 1, true, 0};
    return ok(c.target);
}

// Stops the patrol or the pattern `kind` `id` if it runs.
Answer stop_program(Call& c, Program::Kind kind) {
    if (c.state.program.kind == kind && c.state.program.id == c.id) {
        c.state.program = Program();
        c.state.movement = Movement();
    }
    return ok(c.target);
}

Answer remove_patrol(Call& c) {
    if (c.id > kMaxPatrols) {
        return no_such(c, "patrolNotExist");
    }
    stop_program(c, Program::Kind::Patrol);
    c.state.patrols[c.id] = Patrol{false, std::to_string(c.id), {}};
    c.state.patrols[c.id].slots.resize(32);
    return ok(c.target);
}

Answer get_patterns(Call& c) {
    std::string list = xml_head("PTZPatternList");
    for (const auto& pattern : c.state.patterns) {
        list += "<PTZPattern>\n" + element("enabled", pattern.second.recorded ? "true" : "false") +
                element("id", std::to_string(pattern.first)) + "</PTZPattern>\n";
    }
    return {200, list + "</PTZPatternList>\n"};
}

Answer start_pattern(Call& c) {
    const auto found = c.state.patterns.find(c.id);
    if (found == c.state.patterns.end() || !found->second.recorded) {
        return no_such(c, "patternNotExist");
    }
    c.state.program = Program{Program::Kind::Pattern, c.id, 0, false, 0};
    c.state.movement = travel_to(found->second.start);
    return ok(c.target);
}

Answer record_pattern(Call& c, bool start) {
    if (c.id > kMaxPatterns) {
        return no_such(c, "patternNotExist");
    }
    Pattern& pattern = c.state.patterns[c.id];
    if (start) {
        pattern = Pattern{false, c.state.position, {}, 0.0};
        c.state.recording = c.id;
        c.state.recording_seconds = 0.0;
    } else if (c.state.recording == c.id) {
        pattern.recorded = true;
        pattern.seconds = c.state.recording_seconds;
        c.state.recording = 0;
    }
    return ok(c.target);
}

Answer remove_pattern(Call& c) {
    if (c.id > kMaxPatterns) {
        return no_such(c, "patternNotExist");
    }
    stop_program(c, Program::Kind::Pattern);
    c.state.patterns[c.id] = Pattern();
    return ok(c.target);
}

Answer get_park(Call& c) {
    const ParkAction& p = c.state.park;
    return {200, xml_head("ParkAction") + element("enabled", p.enabled ? "true" : "false") +
                     element("Parktime", std::to_string(p.seconds)) + "<Action>\n" +
                     element("ActionType", p.kind) +
                     element("ActionNum", std::to_string(p.number)) + "</Action>\n</ParkAction>\n"};
}

Answer put_park(Call& c) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, c.body, {"ParkAction"});
    ParkAction park;
    const std::string enabled = root.child_value("enabled");
    park.kind = root.child("Action").child_value("ActionType");
    if (!root || (enabled != "true" && enabled != "false") ||
        !parse_int(root.child_value("Parktime"), park.seconds) ||
        !parse_int(root.child("Action").child_value("ActionNum"), park.number) ||
        park.seconds < kParkSecondsMin || park.seconds > kParkSecondsMax ||
        (std::string(",") + kParkActionKinds + ",").find("," + park.kind + ",") ==
            std::string::npos) {
        return invalid_content(c.target);
    }
    park.enabled = enabled == "true";
    c.state.park = park;
    return ok(c.target);
}

// The resources a camera has: a path with "#" for a number (the PTZ channel first), a method,
// and what the camera does.
struct Route {
    const char* path;
    const char* method;
    Answer (*handle)(Call&);
    bool manual = false;  // a move of the operator's, which ends a patrol or a pattern
};

#define PTZ "/ISAPI/PTZCtrl/channels/#"
#define INPUT "/ISAPI/System/Video/inputs/channels/#"
const Route kRoutes[] = {
    {"/ISAPI/System/deviceInfo", "GET", device_info},
    {PTZ "/absoluteEx", "GET", get_absolute},
    {PTZ "/absoluteEx", "PUT", set_absolute, true},
    {PTZ "/homeposition/goto", "PUT", goto_home, true},
    {PTZ "/homeposition", "GET",
     [](Call& c) {
         return Answer{200, position_document("PTZHomePosition", c.state.home)};
     }},
    {PTZ "/auxcontrols/1", "PUT", [](Call& c) { return put_aux(c.state, c.target, c.body); }},
    {PTZ "/auxcontrols/1", "GET",
     [](Call& c) {
         return Answer{200, aux_document(c.state)};
     }},
    {PTZ "/continuous", "PUT",
     [](Call& c) { return put_continuous(c.state, c.target, c.body, false); }, true},
    {PTZ "/continuous", "GET",
     [](Call& c) {
         return Answer{200, motion_document(c.state.motion)};
     }},
    {PTZ "/momentary", "PUT",
     [](Call& c) { return put_continuous(c.state, c.target, c.body, true); }, true},
    {PTZ "/position3D", "PUT", [](Call& c) { return put_position3d(c.state, c.target, c.body); },
     true},
    {PTZ "/status", "GET",
     [](Call& c) {
         return Answer{200,
                       xml_head("PTZStatus") + absolute_high(c.state.position) + "</PTZStatus>\n"};
     }},
    {PTZ "/capabilities", "GET",
     [](Call& c) {
         return Answer{200, capabilities_document(c.firmware.sparse_capabilities)};
     }},
    {PTZ "/presets", "GET",
     [](Call& c) {
         return Answer{200, preset_list(c.state)};
     }},
    {PTZ "/presets/#", "PUT", put_preset},
    {PTZ "/presets/#", "DELETE", remove_preset},
    {PTZ "/presets/#/goto", "PUT", goto_preset, true},
    {INPUT "/focus", "PUT",
     [](Call& c) { return put_lens(c, "FocusData", "focus", c.state.focus_speed); }},
    {INPUT "/focus", "GET", forbidden_get},
    {INPUT "/iris", "PUT",
     [](Call& c) { return put_lens(c, "IrisData", "iris", c.state.iris_speed); }},
    {INPUT "/iris", "GET", forbidden_get},
    // "foucs": the camera's own spelling.
    {PTZ "/onepushfoucs/start", "PUT",
     [](Call& c) {
         c.state.focus_speed = 0;
         c.state.focus = c.state.home.focus;
         c.state.position.focus = c.state.home.focus;
         return ok(c.target);
     }},
    {PTZ "/patrols", "GET", get_patrols},
    {PTZ "/patrols/#", "PUT", put_patrol},
    {PTZ "/patrols/#", "DELETE", remove_patrol},
    {PTZ "/patrols/#/start", "PUT", start_patrol},
    {PTZ "/patrols/#/stop", "PUT", [](Call& c) { return stop_program(c, Program::Kind::Patrol); }},
    {PTZ "/patterns", "GET", get_patterns},
    {PTZ "/patterns/#", "DELETE", remove_pattern},
    {PTZ "/patterns/#/start", "PUT", start_pattern},
    {PTZ "/patterns/#/stop", "PUT",
     [](Call& c) { return stop_program(c, Program::Kind::Pattern); }},
    {PTZ "/patterns/#/recordstart", "PUT", [](Call& c) { return record_pattern(c, true); }},
    {PTZ "/patterns/#/recordstop", "PUT", [](Call& c) { return record_pattern(c, false); }},
    {PTZ "/parkaction", "GET", get_park},
    {PTZ "/parkaction", "PUT", put_park},
};
#undef PTZ
#undef INPUT

// Whether `path` fits `pattern`, each "#" a run of anything but "/", whose texts go to `numbers`.
bool fits(const char* pattern, const std::string& path, std::vector<std::string>& numbers) {
    numbers.clear();
    std::size_t at = 0;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p == '#') {
            const std::size_t end = std::min(path.find('/', at), path.size());
            if (end == at) {
                return false;
            }
            numbers.push_back(path.substr(at, end - at));
            at = end;
        } else if (at >= path.size() || path[at++] != *p) {
            return false;
        }
    }
    return at == path.size();
}

// A number of a path, from 1 to `most`, written as a camera writes it; 0 for anything else.
int path_number(const std::string& text, int most) {
    int number = 0;
    return !text.empty() && text[0] != '0' && parse_int(text.c_str(), number) && number >= 1 &&
                   number <= most
               ? number
               : 0;
}

}  // namespace

std::string response_status(const std::string& target, int code, const std::string& status,
                            const std::string& sub_status) {
    // The echoed URL comes from the client; keep the document well-formed whatever it holds.
    return xml_head("ResponseStatus") + element("requestURL", escaped(target)) +
           element("statusCode", std::to_string(code)) + element("statusString", status) +
           element("subStatusCode", sub_status) + "</ResponseStatus>\n";
}

CameraState::CameraState() {
    for (int id = 1; id <= 4; ++id) {
        patrols[id].name = std::to_string(id);
        patterns[id];
    }
}

namespace {

// The patrol's next stop after the one it is at, travelled to; the patrol ends when it has none.
void next_stop(CameraState& state) {
    Program& p = state.program;
    const Patrol& patrol = state.patrols[p.id];
    for (std::size_t tried = 0; tried < patrol.slots.size(); ++tried) {
        p.stop = (p.stop + 1) % patrol.slots.size();
        const PatrolStop& stop = patrol.slots[p.stop];
        const auto preset = state.presets.find(stop.preset);
        if (stop.preset != 0 && preset != state.presets.end()) {
            // Speeds run from 1 to 40, 40 the top.
            state.movement = travel_to(preset->second.position, stop.speed / 40.0);
            p.arrived = false;
            p.seconds = stop.dwell_seconds;
            return;
        }
    }
    p = Program();
}

void run_program(CameraState& state, double seconds) {
    Program& p = state.program;
    if (p.kind == Program::Kind::Patrol) {
        if (!p.arrived && state.movement.kind == Movement::Kind::Still) {
            p.arrived = true;
        } else if (p.arrived && (p.seconds -= seconds) <= 0) {
            next_stop(state);
        }
    } else if (p.kind == Program::Kind::Pattern) {
        const Pattern& pattern = state.patterns[p.id];
        if (!p.arrived) {
            p.arrived = state.movement.kind == Movement::Kind::Still;
            return;
        }
        // Replayed from its start, over and over.
        p.seconds = pattern.seconds > 0 ? std::fmod(p.seconds + seconds, pattern.seconds) : 0;
        Motion m;
        for (const auto& move : pattern.moves) {
            if (move.first <= p.seconds) {
                m = move.second;
            }
        }
        state.movement = continuous(m);
    }
}

// What the park action does when its time comes.
void park(CameraState& state) {
    state.parked = true;
    const ParkAction& action = state.park;
    state.program = Program();
    if (action.kind == "preset") {
        const auto preset = state.presets.find(action.number);
        if (preset != state.presets.end()) {
            state.movement = travel_to(preset->second.position);
        }
    } else if (action.kind == "patrol" && state.patrols.count(action.number) != 0) {
        state.program = Program{Program::Kind::Patrol, action.number,
                                state.patrols[action.number].slots.size() - 1, true, 0};
    } else if (action.kind == "pattern" && state.patterns[action.number].recorded) {
        state.program = Program{Program::Kind::Pattern, action.number, 0, false, 0};
        state.movement = travel_to(state.patterns[action.number].start);
    } else {
        // The scans pan round at a third of the top speed.
        state.movement = continuous(Motion{33, 0, 0});
    }
}

// One slice of the camera's time.
void tick(CameraState& state, double seconds) {
    advance(state.position, state.movement, seconds);
    if (state.focus_speed != 0) {
        state.focus =
            std::clamp(state.focus + state.focus_speed / 100.0 * kFocusPerSecond * seconds, 0.0,
                       static_cast<double>(kFocusMax));
        state.position.focus = static_cast<int>(std::lround(state.focus));
    }
    state.iris =
        std::clamp(state.iris + state.iris_speed / 100.0 * kIrisPerSecond * seconds, 0.0, 100.0);
    if (state.recording != 0) {
        state.recording_seconds += seconds;
    }
    run_program(state, seconds);
    state.idle_seconds += seconds;
    if (state.park.enabled && !state.parked && state.idle_seconds >= state.park.seconds) {
        park(state);
    }
}

}  // namespace

void settle(CameraState& state, std::chrono::nanoseconds now) {
    double left = std::chrono::duration<double>(now - state.since).count();
    state.since = now;
    // What runs by itself is followed in slices, so that each change happens when it is due.
    const double slice = 0.01;
    while (left > 0) {
        const bool busy = state.program.kind != Program::Kind::None || state.focus_speed != 0 ||
                          state.iris_speed != 0 || (state.park.enabled && !state.parked);
        const double seconds = busy ? std::min(left, slice) : left;
        tick(state, seconds);
        left -= seconds;
    }
}

Answer answer_request(std::vector<CameraState>& channels, const Firmware& firmware,
                      std::chrono::nanoseconds now, const std::string& method,
                      const std::string& path, const std::string& target, const std::string& body) {
    bool known = false;
    std::vector<std::string> numbers;
    for (const Route& route : kRoutes) {
        if (!fits(route.path, path, numbers)) {
            continue;
        }
        // A channel the camera lacks is an unknown resource.
        const int channel =
            numbers.empty() ? 1 : path_number(numbers[0], static_cast<int>(channels.size()));
        if (channel == 0) {
            return not_supported(target);
        }
        known = true;
        if (method != route.method) {
            continue;
        }
        const int id = numbers.size() > 1 ? path_number(numbers[1], kMaxPresetId) : 0;
        if (numbers.size() > 1 && id == 0) {
            return invalid_content(target);
        }
        CameraState& state = channels[channel - 1];
        settle(state, now);
        if (firmware.occupied && method != "GET") {
            return {403, response_status(target, 4, "Invalid Operation", "ptzOccupiedPriority")};
        }
        if (route.manual) {
            state.program = Program();
        }
        Call call{state, firmware, target, body, id};
        Answer answer = route.handle(call);
        if (method != "GET" && answer.status == 200) {
            ++state.commands_accepted;
            state.idle_seconds = 0.0;
            state.parked = false;
        }
        return answer;
    }
    return known ? not_allowed(target) : not_supported(target);
}

}  // namespace sim
