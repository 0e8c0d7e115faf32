#pragma once

#include <map>
#include <string>

#include <pugixml.hpp>

#include "ptz_types.h"

namespace Ptz {

// Converts the seven position texts of a parsed "PTZAbsoluteEx" answer into a record, with
// std::stof and std::stoi in base 10. Throws what they throw (std::invalid_argument,
// std::out_of_range; what() names the conversion); nothing is returned half-filled.
PtzAbsoluteEx position_from_answer(pugi::xml_node answer);

// A float as the camera reads it: what std::to_string writes in the C locale ("%f", six
// decimals, rounded), with a point whatever LC_NUMERIC says; infinities and NaNs as "%f" writes
// them.
std::string float_text(float value);

// An int in plain decimal, as std::to_string writes it.
std::string int_text(int value);

// The eight entries of an absolute-position command body: the seven fields as float_text() and
// int_text() give them, and "zoomType" "absoluteZoom".
std::map<std::string, std::string> position_fields(const PtzAbsoluteEx& position);

// A number as a camera writes one: the whole text, white space around it allowed, finite.
// False for anything else, an empty text included.
bool read_number(const char* text, double& value);

// A whole number as a camera writes one: digits, a minus sign at most, white space around, within
// an int's range. False for anything else, an empty text included.
bool read_whole(const char* text, int& value);

// How an answer gave a position.
enum class PositionAnswer {
    Read,        // the values it holds are in the record
    NotOne,      // it is no such document, or lacks elevation, azimuth or zoom
    NotNumbers,  // a value it holds is not a number of its kind
};

// The values of a parsed "PTZAbsoluteEx" answer: each element present with a text is present
// in `position`; an integer value must be a whole number within int. `position` is written
// only when the answer is Read.
PositionAnswer position_from_absolute_ex(pugi::xml_node answer, PtzPosition& position);

// Elevation, azimuth and zoom of a parsed "PTZStatus" answer, which holds them in tenths under
// "AbsoluteHigh". `position` is written only when the answer is Read.
PositionAnswer position_from_status(pugi::xml_node answer, PtzPosition& position);

// The body of a position command: root "PTZAbsoluteEx", the values present in the camera's
// order, floats as float_text() and integers as int_text() write them.
std::string position_body(const PtzPosition& position);

}  // namespace Ptz
