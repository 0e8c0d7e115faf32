#pragma once

#include <string>

#include "../utils/export.h"

namespace Ptz {

/// Whether a camera's answer is a refusal, and why, as failure_reason() says it: "camera
/// refused: " and the statusString of a ResponseStatus that is not "OK", with its subStatusCode
/// in brackets, or of a userCheck with the time an account stays locked; "" for any other
/// answer, and for one that is not XML. For a host that reads resources of its own with
/// get_info(), which succeeds for any well-formed answer.
ZELKO_PTZ_API std::string refusal_reason(const std::string& answer);

}  // namespace Ptz
