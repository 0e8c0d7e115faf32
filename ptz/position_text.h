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

// A float as the camera reads it: what std::to_string writes in the C locale ("%f", six
// decimals, rounded), with a point whatever LC_NUMERIC says; infinities and NaNs as "%f" writes
// them.
std::string float_text(float value);

// An int in plain decimal, as std::to_string writes it.
std::string int_text(int value);

// The eight entries of an absolute-position command body: the seven fields as float_text() and
// int_text() give them, and "zoomType" "absoluteZoom".
std::map<std::string, std::string> position_fields(const PtzAbsoluteEx& position);

}  // namespace Ptz
