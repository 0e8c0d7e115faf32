#pragma once

#include <vector>

#include <pugixml.hpp>

#include "ptz_types.h"

namespace Ptz {

// Reads the presets of a parsed "PTZPresetList" answer into `presets`, in the camera's order.
// Returns false, with `presets` untouched, when the answer is no such list or an entry's "id" is
// not a whole number of 0 or more that fits an int (white space around it allowed).
bool presets_from_answer(pugi::xml_node answer, std::vector<PtzPreset>& presets);

}  // namespace Ptz
