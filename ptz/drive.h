#pragma once

#include "camera_link.h"
#include "command.h"

namespace Ptz {

// Runs `command` on the caller's thread to its end, through the link's kept handle or a handle
// per request, sleeping through its waits; reports its line and returns its code. Refused with
// 10 while the camera has operations pending on an engine. The exceptions of a reader (the
// number conversions of the position query) pass to the caller.
int drive(CameraLink& link, Command& command);

}  // namespace Ptz
