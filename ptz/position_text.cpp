#include "position_text.h"

#include <charconv>
#include <cmath>

#include "../utils/xml_parser.h"

namespace Ptz {

PtzAbsoluteEx position_from_answer(Utils::XmlParser& parser) {
    // Every text is read before the first conversion, and the record is assembled aside, so a
    // throwing conversion leaves the caller's record as it was.
    const char* const root = "PTZAbsoluteEx";
    const std::string elevation = parser.get_text(root, "elevation");
    const std::string azimuth = parser.get_text(root, "azimuth");
    const std::string absolute_zoom = parser.get_text(root, "absoluteZoom");
    const std::string focus = parser.get_text(root, "focus");
    const std::string focal_len = parser.get_text(root, "focalLen");
    const std::string horizontal_speed = parser.get_text(root, "horizontalSpeed");
    const std::string vertical_speed = parser.get_text(root, "verticalSpeed");

    PtzAbsoluteEx position;
    position.elevation = std::stof(elevation);
    position.azimuth = std::stof(azimuth);
    position.absoluteZoom = std::stof(absolute_zoom);
    position.focus = std::stoi(focus, nullptr, 10);
    position.focalLen = std::stoi(focal_len, nullptr, 10);
    position.horizontalSpeed = std::stof(horizontal_speed);
    position.verticalSpeed = std::stof(vertical_speed);
    return position;
}

std::string float_text(float value) {
    if (!std::isfinite(value)) {
        return std::to_string(value);
    }
    // The longest, -FLT_MAX, has 39 digits before the point.
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                   std::chars_format::fixed, 6)
                         .ptr;
    return std::string(text, end);
}

std::string int_text(int value) {
    char text[16];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::map<std::string, std::string> position_fields(const PtzAbsoluteEx& position) {
    std::map<std::string, std::string> fields;
    fields["elevation"] = float_text(position.elevation);
    fields["azimuth"] = float_text(position.azimuth);
    fields["absoluteZoom"] = float_text(position.absoluteZoom);
    fields["focus"] = int_text(position.focus);
    fields["focalLen"] = int_text(position.focalLen);
    fields["horizontalSpeed"] = float_text(position.horizontalSpeed);
    fields["verticalSpeed"] = float_text(position.verticalSpeed);
    fields["zoomType"] = "absoluteZoom";
    return fields;
}

}  // namespace Ptz
