#include "ptzctl_output.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "ptz/answer_echo.h"

namespace ptzctl {

std::string number(float value, bool json) {
    if (!std::isfinite(value)) {
        return json ? "null" : std::to_string(value);
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

Fields position_fields(const Ptz::PtzAbsoluteEx& p, bool json) {
    return {
        {"elevation", number(p.elevation, json)},
        {"azimuth", number(p.azimuth, json)},
        {"absoluteZoom", number(p.absoluteZoom, json)},
        {"focus", std::to_string(p.focus)},
        {"focalLen", std::to_string(p.focalLen)},
        {"horizontalSpeed", number(p.horizontalSpeed, json)},
        {"verticalSpeed", number(p.verticalSpeed, json)},
    };
}

std::string json_object(const Fields& fields) {
    std::string line = "{";
    for (const auto& f : fields) {
        line += std::string(line.size() > 1 ? "," : "") + "\"" + f.first + "\":" + f.second;
    }
    return line + "}";
}

namespace {

std::string json_string(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

}  // namespace

void print_presets(const std::vector<Ptz::PtzPreset>& presets, bool json) {
    if (json) {
        std::string list = "[";
        for (const auto& p : presets) {
            list += std::string(list.size() > 1 ? "," : "") + "{\"id\":" + std::to_string(p.id) +
                    ",\"name\":" + json_string(p.name) +
                    ",\"enabled\":" + (p.enabled ? "true" : "false") + "}";
        }
        std::printf("%s]\n", list.c_str());
        return;
    }
    for (const auto& p : presets) {
        std::printf("%4d  %s%s\n", p.id, Ptz::echo_answer(p.name, p.name.size()).c_str(),
                    p.enabled ? "" : " (disabled)");
    }
}

void print_position(const Ptz::PtzAbsoluteEx& p, bool json) {
    if (json) {
        std::printf("%s\n", json_object(position_fields(p, true)).c_str());
        return;
    }
    for (const auto& f : position_fields(p, false)) {
        std::printf("%-16s %s\n", f.first, f.second.c_str());
    }
}

}  // namespace ptzctl
