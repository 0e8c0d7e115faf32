#include "position_text.h"

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

std::map<std::string, std::string> position_fields(const PtzAbsoluteEx& position) {
    std::map<std::string, std::string> fields;
    fields["elevation"] = std::to_string(position.elevation);
    fields["azimuth"] = std::to_string(position.azimuth);
    fields["absoluteZoom"] = std::to_string(position.absoluteZoom);
    fields["focus"] = std::to_string(position.focus);
    fields["focalLen"] = std::to_string(position.focalLen);
    fields["horizontalSpeed"] = std::to_string(position.horizontalSpeed);
    fields["verticalSpeed"] = std::to_string(position.verticalSpeed);
    fields["zoomType"] = "absoluteZoom";
    return fields;
}

}  // namespace Ptz
