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
    // Another user of higher priority holds the PTZ: every command answered HTTP 403 with
    // "ptzOccupiedPriority".
    bool occupied = false;
};

// A patrol's stop; a preset of 0 is an empty slot.
struct PatrolStop {
    int preset = 0;
    int speed = 30;
    int dwell_seconds = 15;
};

// A preset tour: as many slots as a camera keeps.
struct Patrol {
    bool enabled = false;
    std::string name;
    std::vector<PatrolStop> slots = std::vector<PatrolStop>(32);
};

// A recorded move: the continuous-motion requests since the recording began, each at its time,
// from where the camera was then.
struct Pattern {
    bool recorded = false;
    Position start;
    std::vector<std::pair<double, Motion>> moves;
    double seconds = 0.0;
};

// What the camera runs by itself: a patrol or a pattern, and how far it has come.
struct Program {
    enum class Kind { None, Patrol, Pattern };
    Kind kind = Kind::None;
    int id = 0;
    std::size_t stop = 0;  // Patrol: the slot it travels to or dwells at
    bool arrived = false;  // Patrol: dwelling; Pattern: at the start, replaying
    double seconds = 0.0;  // Patrol: dwell left; Pattern: into the replay
};

// What the camera does after a time without commands.
struct ParkAction {
    bool enabled = false;
    int seconds = 5;
    std::string kind = "autoscan";
    int number = 0;
};

// The lens: focus moves the focus value, iris its opening from 0 to 100, each at its speed.
const double kFocusPerSecond = 5000.0;  // at speed 100
const double kIrisPerSecond = 20.0;
const int kFocusMax = 60000;
// Patrols and patterns run from 1 to these; a camera lists four patrols and four patterns.
const int kMaxPatrols = 8;
const int kMaxPatterns = 4;
// The park action's time, and the actions it takes.
const int kParkSecondsMin = 5;
const int kParkSecondsMax = 720;
const char* const kParkActionKinds =
    "autoscan,framescan,randomscan,patrol,pattern,preset,panoramascan,tiltscan";

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
    std::map<int, Patrol> patrols;
    std::map<int, Pattern> patterns;
    Program program;
    int recording = 0;  // the pattern being recorded, or 0
    double recording_seconds = 0.0;
    int focus_speed = 0;
    int iris_speed = 0;
    double focus = 29000.0;  // exact, of which position.focus is the whole part
    double iris = 50.0;
    ParkAction park;
    double idle_seconds = 0.0;  // since the last command taken
    bool parked = false;        // the park action ran since then
    unsigned long commands_accepted = 0;

    CameraState();
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
