#pragma once

// What the C interface's blocking and asynchronous functions share: the camera handle and the
// copies of the library's values into the C structs.

#include <string>
#include <vector>

#include "zelko_ptz_c.h"
#include "zelko_ptz_camera_isapi.h"

struct zelko_ptz_camera {
    Ptz::ZelkoPtzCameraIsapi camera;
    std::string reason;  // what zelko_ptz_failure_reason() last handed out
};

namespace Ptz {

// `listed` into `out`, which holds listed.size() entries; names cut to fit, whole characters.
void to_c(const std::vector<PtzPreset>& listed, zelko_ptz_preset* out);
// Every value the table knows, with its bit in `reported`.
zelko_ptz_capabilities to_c(const PtzCapabilities& caps);

}  // namespace Ptz
