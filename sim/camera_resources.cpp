#include "camera_resources.h"

#include <cctype>
#include <charconv>
#include <cerrno>
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

const std::string kChannels = "/ISAPI/PTZCtrl/channels/";
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

std::string preset_list(const CameraState& state) {
    std::string list = xml_head("PTZPresetList");
    for (const auto& preset : state.presets) {
        list += "<PTZPreset>\n" + element("id", std::to_string(preset.first)) +
                element("presetName", escaped(preset.second.name)) + element("enabled", "true") +
                absolute_high(preset.second.position) + "</PTZPreset>\n";
    }
    return list + "</PTZPresetList>\n";
}

Answer put_preset(CameraState& state, int id, const std::string& target, const std::string& body) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, body, {"PTZPreset"});
    if (!root || root.child_value("id") != std::to_string(id) || !root.child("presetName")) {
        return invalid_content(target);
    }
    state.presets[id] = {root.child_value("presetName"), state.position};
    return ok(target);
}

// ".../presets/<id>" and ".../presets/<id>/goto".
Answer preset_resource(CameraState& state, const std::string& method, const std::string& rest,
                       const std::string& target, const std::string& body) {
    const std::size_t slash = rest.find('/');
    const std::string number = rest.substr(0, slash);
    int id = 0;
    if (number.empty() || number[0] == '0' || !parse_int(number.c_str(), id) || id < 1 ||
        id > kMaxPresetId) {
        return invalid_content(target);
    }
    const auto found = state.presets.find(id);
    if (slash != std::string::npos) {
        if (rest.substr(slash) != "/goto") {
            return {404, response_status(target, 4, "Invalid Operation", "notSupport")};
        }
        if (method != "PUT") {
            return not_allowed(target);
        }
        if (found == state.presets.end()) {
            return no_such_preset(target);
        }
        move_to(state, found->second.position);
        return ok(target);
    }
    if (method == "PUT") {
        return put_preset(state, id, target, body);
    }
    if (method == "DELETE") {
        if (found == state.presets.end()) {
            return no_such_preset(target);
        }
        state.presets.erase(found);
        return ok(target);
    }
    return not_allowed(target);
}

// ".../absoluteEx" as the firmware has it.
Answer absolute_ex(CameraState& state, const Firmware& firmware, const std::string& method,
                   const std::string& target, const std::string& body) {
    using PositionAnswer = Firmware::PositionAnswer;
    if (firmware.position_answer == PositionAnswer::Legacy) {
        return page_not_found();
    }
    if (method == "GET") {
        return {200, firmware.position_answer == PositionAnswer::Lean
                         ? lean_position_document(state.position)
                         : position_document("PTZAbsoluteEx", state.position)};
    }
    return method == "PUT" ? put_absolute(state, target, body) : not_allowed(target);
}

// The resources under one PTZ channel, `resource` being the path after its number.
Answer channel_answer(CameraState& state, const Firmware& firmware, const std::string& method,
                      const std::string& resource, const std::string& target,
                      const std::string& body) {
    const bool get = method == "GET";
    const bool put = method == "PUT";
    if (resource == "/absoluteEx") {
        return absolute_ex(state, firmware, method, target, body);
    }
    if (resource == "/homeposition/goto") {
        if (!put) {
            return not_allowed(target);
        }
        // Home keeps the speeds.
        state.position.focus = state.home.focus;
        state.position.focalLen = state.home.focalLen;
        state.movement = travel_to(state.home);
        return ok(target);
    }
    if (resource == "/homeposition") {
        return get ? Answer{200, position_document("PTZHomePosition", state.home)}
                   : not_allowed(target);
    }
    if (resource == "/auxcontrols/1") {
        return put   ? put_aux(state, target, body)
               : get ? Answer{200, aux_document(state)}
                     : not_allowed(target);
    }
    if (resource == "/continuous") {
        return put   ? put_continuous(state, target, body, false)
               : get ? Answer{200, motion_document(state.motion)}
                     : not_allowed(target);
    }
    if (resource == "/momentary") {
        return put ? put_continuous(state, target, body, true) : not_allowed(target);
    }
    if (resource == "/position3D") {
        return put ? put_position3d(state, target, body) : not_allowed(target);
    }
    if (resource == "/status") {
        return get ? Answer{200, xml_head("PTZStatus") + absolute_high(state.position) +
                                     "</PTZStatus>\n"}
                   : not_allowed(target);
    }
    if (resource == "/capabilities") {
        return get ? Answer{200, capabilities_document(firmware.sparse_capabilities)}
                   : not_allowed(target);
    }
    if (resource == "/presets") {
        return get ? Answer{200, preset_list(state)} : not_allowed(target);
    }
    const std::string presets = "/presets/";
    if (resource.compare(0, presets.size(), presets) == 0) {
        return preset_resource(state, method, resource.substr(presets.size()), target, body);
    }
    return {404, response_status(target, 4, "Invalid Operation", "notSupport")};
}

// The channel a path names, 1 to `channels`, with the rest of the path; 0 for none.
int channel_of(const std::string& path, std::size_t channels, std::string& resource) {
    if (path.compare(0, kChannels.size(), kChannels) != 0) {
        return 0;
    }
    const std::size_t end = std::min(path.find('/', kChannels.size()), path.size());
    const std::string number = path.substr(kChannels.size(), end - kChannels.size());
    int channel = 0;
    if (number.empty() || number[0] == '0' || !parse_int(number.c_str(), channel) ||
        static_cast<std::size_t>(channel) > channels) {
        return 0;
    }
    resource = path.substr(end);
    return channel;
}

}  // namespace

std::string response_status(const std::string& target, int code, const std::string& status,
                            const std::string& sub_status) {
    // The echoed URL comes from the client; keep the document well-formed whatever it holds.
    return xml_head("ResponseStatus") + element("requestURL", escaped(target)) +
           element("statusCode", std::to_string(code)) + element("statusString", status) +
           element("subStatusCode", sub_status) + "</ResponseStatus>\n";
}

void settle(CameraState& state, std::chrono::nanoseconds now) {
    advance(state.position, state.movement,
            std::chrono::duration<double>(now - state.since).count());
    state.since = now;
}

Answer answer_request(std::vector<CameraState>& channels, const Firmware& firmware,
                      std::chrono::nanoseconds now, const std::string& method,
                      const std::string& path, const std::string& target, const std::string& body) {
    std::string resource;
    const int channel = channel_of(path, channels.size(), resource);
    if (channel == 0) {
        if (path == "/ISAPI/System/deviceInfo") {
            return method == "GET"
                       ? Answer{200, xml_head("DeviceInfo") + element("deviceName", "PTZ Camera") +
                                         element("model", "ZELKO-SIM-1") +
                                         element("firmwareVersion", "V1.0.0") + "</DeviceInfo>\n"}
                       : not_allowed(target);
        }
        return {404, response_status(target, 4, "Invalid Operation", "notSupport")};
    }
    CameraState& state = channels[channel - 1];
    settle(state, now);
    Answer answer = channel_answer(state, firmware, method, resource, target, body);
    if (method != "GET" && answer.status == 200) {
        ++state.commands_accepted;
    }
    return answer;
}

}  // namespace sim
