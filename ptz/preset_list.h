#pragma once

#include <vector>

#include <pugixml.hpp>

#include "ptz_types.h"

namespace Ptz {

// Reads the presets of a parsed "PTZPresetList" answer into `presets`, in the camera's order.
// Returns false, with `presets` untouched, when the answer is no such list or an entry's "id" is
// not a decimal number that fits an int.
bool presets_from_answer(pugi::xml_node answer, std::vector<PtzPreset>& presets);

}  // namespace Ptz
