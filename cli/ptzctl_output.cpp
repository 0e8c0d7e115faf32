#include "ptzctl_output.h"

#include <charconv>
#include <cmath>
#include <cstdio>

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
