#pragma once

// The documents of the camera's tours and its park action: each reader takes a parsed answer,
// each writer makes a command's body, in the elements' order as the camera writes them.

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "ptz_types.h"

namespace Ptz {

// The patrols of a "PTZPatrolList", in the camera's order, each without its empty slots (a
// "presetID" of 0). Null when read; otherwise why the answer is none (a missing or non-numeric
// number), with `patrols` untouched.
const char* patrols_from_answer(const pugi::xml_document& answer, std::vector<PtzPatrol>& patrols);

// The patterns of a "PTZPatternList", as patrols_from_answer() reads patrols.
const char* patterns_from_answer(const pugi::xml_document& answer,
                                 std::vector<PtzPattern>& patterns);

// The "ParkAction" of an answer, as patrols_from_answer() reads patrols.
const char* park_action_from_answer(const pugi::xml_document& answer, PtzParkAction& action);

// The bodies of set_patrol() and set_park_action().
std::string patrol_body(const PtzPatrol& patrol);
std::string park_action_body(const PtzParkAction& action);

}  // namespace Ptz
