#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "motion.h"

namespace sim {

// A position saved under a number.
struct Preset {
    std::string name;
    Position position;
};

// Preset numbers run from 1 to this.
const int kMaxPresetId = 300;

// How a camera's firmware answers, where models differ.
struct Firmware {
    enum class PositionAnswer {
        Full,    // ".../absoluteEx" holds all seven values
        Lean,    // elevation, azimuth, absoluteZoom and focus, with "zoomCtrlType"
        Legacy,  // no ".../absoluteEx" (HTTP 404 and an HTML page): ".../status" alone
    };
    PositionAnswer position_answer = PositionAnswer::Full;
    // ".../capabilities" with the absolute pan and tilt ranges alone.
    bool sparse_capabilities = false;
};

// Everything a camera channel remembers between requests.
struct CameraState {
    Position position;
    Position home;
    bool light = false;
    bool wiper = false;
    bool fan = false;
    Motion motion;                      // the last continuous-motion request, as received
    Movement movement;                  // where the camera is heading
    std::chrono::nanoseconds since{0};  // the camera's clock reading that `position` belongs to
    std::map<int, Preset> presets;
    unsigned long commands_accepted = 0;
};

// Brings the position to the camera's clock reading `now`.
void settle(CameraState& state, std::chrono::nanoseconds now);

struct Answer {
    unsigned status;
    std::string body;
    const char* content_type = "application/xml";
};

// How the camera answers an authenticated request at its clock reading `now`: `path` without
// its query, `target` as sent (echoed in "requestURL"). `channels` are the PTZ channels 1, 2, ...;
// accepted commands change the one addressed, and a channel past them is an unknown resource.
Answer answer_request(std::vector<CameraState>& channels, const Firmware& firmware,
                      std::chrono::nanoseconds now, const std::string& method,
                      const std::string& path, const std::string& target, const std::string& body);

// A "ResponseStatus" document as the camera writes it.
std::string response_status(const std::string& target, int code, const std::string& status,
                            const std::string& sub_status);

}  // namespace sim
