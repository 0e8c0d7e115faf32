#pragma once

#include <vector>

#include "ptz_types.h"

namespace Utils {
class XmlParser;
}

namespace Ptz {

// Reads the presets of a parsed "PTZPresetList" answer into `presets`, in the camera's order.
// Returns false, with `presets` untouched, when the answer is no such list or an entry's "id" is
// not a decimal number that fits an int.
bool presets_from_answer(Utils::XmlParser& parser, std::vector<PtzPreset>& presets);

}  // namespace Ptz
