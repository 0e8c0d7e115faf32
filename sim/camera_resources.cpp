#include "camera_resources.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <pugixml.hpp>

namespace sim {

namespace {

const std::string kChannel = "/ISAPI/PTZCtrl/channels/1";
const char* const kNamespace = "http://www.isapi.org/ver20/XMLSchema";

std::string xml_head(const std::string& root) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<") + root +
           " version=\"2.0\" xmlns=\"" + kNamespace + "\">\n";
}

std::string element(const std::string& name, const std::string& text) {
    return "<" + name + ">" + text + "</" + name + ">\n";
}

std::string number(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
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

Answer put_absolute(CameraState& state, const std::string& target, const std::string& body) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, body, {"PtzAbsoluteEx", "PTZAbsoluteEx"});
    Position p;
    const bool valid =
        root && parse_float(root.child_value("elevation"), p.elevation) &&
        parse_float(root.child_value("azimuth"), p.azimuth) &&
        parse_float(root.child_value("absoluteZoom"), p.absoluteZoom) &&
        parse_int(root.child_value("focus"), p.focus) &&
        parse_int(root.child_value("focalLen"), p.focalLen) &&
        parse_float(root.child_value("horizontalSpeed"), p.horizontalSpeed) &&
        parse_float(root.child_value("verticalSpeed"), p.verticalSpeed) &&
        (!root.child("zoomType") || std::string(root.child_value("zoomType")) == "absoluteZoom");
    if (!valid) {
        return invalid_content(target);
    }
    // Focus, focal length and speeds are settings; the three axes travel.
    state.position.focus = p.focus;
    state.position.focalLen = p.focalLen;
    state.position.horizontalSpeed = p.horizontalSpeed;
    state.position.verticalSpeed = p.verticalSpeed;
    state.movement = travel_to(p);
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

Answer put_continuous(CameraState& state, const std::string& target, const std::string& body) {
    pugi::xml_document doc;
    const pugi::xml_node root = command_root(doc, body, {"PTZData"});
    Motion m;
    if (!root || !parse_int(root.child_value("pan"), m.pan) ||
        !parse_int(root.child_value("tilt"), m.tilt) ||
        !parse_int(root.child_value("zoom"), m.zoom)) {
        return invalid_content(target);
    }
    state.motion = m;
    state.movement = continuous(m);
    return ok(target);
}

}  // namespace

std::string response_status(const std::string& target, int code, const std::string& status,
                            const std::string& sub_status) {
    std::string url = target;
    // The echoed URL comes from the client; keep the document well-formed whatever it holds.
    for (std::size_t at = 0; (at = url.find_first_of("&<>", at)) != std::string::npos;) {
        const char* entity = url[at] == '&' ? "&amp;" : url[at] == '<' ? "&lt;" : "&gt;";
        url.replace(at, 1, entity);
        at += std::char_traits<char>::length(entity);
    }
    return xml_head("ResponseStatus") + element("requestURL", url) +
           element("statusCode", std::to_string(code)) + element("statusString", status) +
           element("subStatusCode", sub_status) + "</ResponseStatus>\n";
}

void settle(CameraState& state, std::chrono::nanoseconds now) {
    advance(state.position, state.movement,
            std::chrono::duration<double>(now - state.since).count());
    state.since = now;
}

Answer answer_request(CameraState& state, std::chrono::nanoseconds now, const std::string& method,
                      const std::string& path, const std::string& target, const std::string& body) {
    settle(state, now);
    const bool get = method == "GET";
    const bool put = method == "PUT";
    Answer answer{0, std::string()};
    if (path == "/ISAPI/System/deviceInfo") {
        answer = get ? Answer{200, xml_head("DeviceInfo") + element("deviceName", "PTZ Camera") +
                                       element("model", "ZELKO-SIM-1") +
                                       element("firmwareVersion", "V1.0.0") + "</DeviceInfo>\n"}
                     : not_allowed(target);
    } else if (path == kChannel + "/absoluteEx") {
        answer = get   ? Answer{200, position_document("PTZAbsoluteEx", state.position)}
                 : put ? put_absolute(state, target, body)
                       : not_allowed(target);
    } else if (path == kChannel + "/homeposition/goto") {
        if (put) {
            state.position.focus = state.home.focus;
            state.position.focalLen = state.home.focalLen;
            state.movement = travel_to(state.home);
            answer = ok(target);
        } else {
            answer = not_allowed(target);
        }
    } else if (path == kChannel + "/homeposition") {
        answer = get ? Answer{200, position_document("PTZHomePosition", state.home)}
                     : not_allowed(target);
    } else if (path == kChannel + "/auxcontrols/1") {
        answer = put   ? put_aux(state, target, body)
                 : get ? Answer{200, aux_document(state)}
                       : not_allowed(target);
    } else if (path == kChannel + "/continuous") {
        answer = put   ? put_continuous(state, target, body)
                 : get ? Answer{200, motion_document(state.motion)}
                       : not_allowed(target);
    } else if (path == kChannel + "/status") {
        answer =
            get ? Answer{200, position_document("PTZStatus", state.position)} : not_allowed(target);
    } else {
        answer = {404, response_status(target, 4, "Invalid Operation", "notSupport")};
    }
    if (put && answer.status == 200) {
        ++state.commands_accepted;
    }
    return answer;
}

}  // namespace sim
