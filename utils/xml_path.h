#pragma once

#include <pugixml.hpp>

namespace Utils {

// The element at `path` below `from`, element names joined by "/" ("PTZStatus/AbsoluteHigh/
// azimuth"), each step the first child element of that name; an empty node when a step is
// missing. Names are compared exactly, as they stand in the answer.
pugi::xml_node xml_at(pugi::xml_node from, const char* path);

}  // namespace Utils
