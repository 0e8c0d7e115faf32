#pragma once

#include "ptz/zelko_ptz_camera_isapi.h"
#include "ptzctl_args.h"

namespace ptzctl {

// Exit statuses of --wait beside the library's result codes.
const int kSettledElsewhere = 4;
const int kTimedOut = 5;

// Polls the position after a move until every field `target` gives is within its tolerance (0),
// the position has stopped changing (0 when `target` gives no field, else kSettledElsewhere)
// or `timeout_seconds` have passed (kTimedOut). A failed query ends it with the library's code.
int wait_for_move(Ptz::ZelkoPtzCameraIsapi& camera, const PositionChange& target,
                  double timeout_seconds);

// Prints the position every `interval_seconds`, `count` times (0: until SIGINT or SIGTERM).
int watch(Ptz::ZelkoPtzCameraIsapi& camera, double interval_seconds, int count, bool json);

}  // namespace ptzctl
