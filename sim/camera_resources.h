#pragma once

#include <string>

namespace sim {

// The camera's absolute position, in its own units.
struct Position {
    float elevation = 0.0f;
    float azimuth = 0.0f;
    float absoluteZoom = 1.0f;
    int focus = 29000;
    int focalLen = 48;
    float horizontalSpeed = 0.0f;
    float verticalSpeed = 0.0f;
};

inline bool operator==(const Position& a, const Position& b) {
    return a.elevation == b.elevation && a.azimuth == b.azimuth &&
           a.absoluteZoom == b.absoluteZoom && a.focus == b.focus && a.focalLen == b.focalLen &&
           a.horizontalSpeed == b.horizontalSpeed && a.verticalSpeed == b.verticalSpeed;
}

// The last continuous-motion request.
struct Motion {
    int pan = 0;
    int tilt = 0;
    int zoom = 0;
};

// Everything a camera remembers between requests.
struct CameraState {
    Position position;
    Position home;
    bool light = false;
    bool wiper = false;
    bool fan = false;
    Motion motion;
    unsigned long commands_accepted = 0;
};

struct Answer {
    unsigned status;
    std::string body;
};

// How the camera answers an authenticated request: `path` without its query, `target` as sent
// (echoed in "requestURL"). Accepted commands change `state`.
Answer answer_request(CameraState& state, const std::string& method, const std::string& path,
                      const std::string& target, const std::string& body);

// A "ResponseStatus" document as the camera writes it.
std::string response_status(const std::string& target, int code, const std::string& status,
                            const std::string& sub_status);

}  // namespace sim
