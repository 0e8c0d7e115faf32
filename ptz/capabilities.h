#pragma once

#include <pugixml.hpp>

#include "ptz_types.h"

namespace Ptz {

// How a capabilities answer read.
enum class CapabilitiesAnswer {
    Read,        // what it holds is in the record
    NotOne,      // its root is neither "PTZChanelCap" nor "PTZChannelCap"
    NotNumbers,  // a value it holds is not a number, or not "true" or "false"
};

// What a parsed capabilities answer holds; `caps` is written only when it is Read. The absolute
// ranges, in the camera's tenths, become degrees and zoom ratio.
CapabilitiesAnswer capabilities_from_answer(pugi::xml_node answer, PtzCapabilitiesEx& caps);

}  // namespace Ptz
