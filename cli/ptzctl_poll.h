#pragma once

#include <string>

#include "ptz/ptz_types.h"
#include "ptzctl_context.h"

namespace ptzctl {

// After a move, waits on `t` with the library's wait_for_stop() until every value `target`
// holds is within its tolerance (0, "reached: ..." on stdout), or the camera comes to rest
// elsewhere (kSettledElsewhere) or the time-out passes (Ptz::Result::TimedOut), each said on
// stderr with where the camera is and the targets; then ends `t`. A target of no values waits
// for the camera to come to rest (0). A failed read ends it with the library's code. With one
// camera on a terminal, one line shows the way left.
void wait_for_move(Target& t, const std::string& command, const Ptz::PtzPosition& target,
                   double timeout_seconds, const Context& context);

// Prints the position of every camera every `interval_seconds`, `count` times (0: until SIGINT
// or SIGTERM), each round read at once.
void watch(Context& context, double interval_seconds, int count, bool json);

}  // namespace ptzctl
