#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ptz/ptz_types.h"

namespace ptzctl {

using Fields = std::vector<std::pair<const char*, std::string>>;

// The shortest text that reads back as the same float; in JSON a non-finite value is null.
std::string number(float value, bool json);

// The seven values under their element names.
Fields position_fields(const Ptz::PtzAbsoluteEx& p, bool json);

// One JSON object on one line.
std::string json_object(const Fields& fields);

// `position`: one value per line under its name, or one JSON object.
void print_position(const Ptz::PtzAbsoluteEx& p, bool json);

// `preset list`: one preset per line, its number and its name, or one JSON array of objects. A
// name is the camera's: its control bytes are shown, not obeyed.
void print_presets(const std::vector<Ptz::PtzPreset>& presets, bool json);

}  // namespace ptzctl
