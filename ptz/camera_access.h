#pragma once

#include "camera_link.h"
#include "zelko_ptz_camera_isapi.h"

namespace Ptz {

// The link behind a camera object, for the library's own tests.
struct CameraAccess {
    static CameraLink& link(ZelkoPtzCameraIsapi& camera) { return *camera.link; }
};

}  // namespace Ptz
