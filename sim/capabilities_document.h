#pragma once

#include <string>

namespace sim {

// The preset numbers the camera keeps for its own functions, as real cameras declare them.
const char* const kSpecialPresets =
    "33,34,35,36,37,38,39,40,41,42,43,44,45,46,90,92,93,94,95,96,97,98,99,100,101,102,103,104,105";
// The longest preset name the camera takes, in bytes.
const int kMaxPresetNameLength = 32;

// The camera's ".../capabilities" answer, from its own mechanics: the absolute ranges in tenths
// as cameras write them, the continuous ranges, the presets, click-to-center and the
// auxiliaries. `sparse`: the absolute pan and tilt ranges alone, as some models answer.
std::string capabilities_document(bool sparse);

}  // namespace sim
