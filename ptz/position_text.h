#pragma once

#include <map>
#include <string>

#include "ptz_types.h"

namespace Utils {
class XmlParser;
}

namespace Ptz {

// Converts the seven position texts of a parsed "PTZAbsoluteEx" answer into a record, with
// std::stof and std::stoi in base 10. Throws what they throw (std::invalid_argument,
// std::out_of_range; what() names the conversion); nothing is returned half-filled.
PtzAbsoluteEx position_from_answer(Utils::XmlParser& parser);

// The eight entries of an absolute-position command body: the seven fields as std::to_string
// texts and "zoomType" "absoluteZoom".
std::map<std::string, std::string> position_fields(const PtzAbsoluteEx& position);

}  // namespace Ptz
