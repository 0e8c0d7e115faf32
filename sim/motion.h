#pragma once

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

// A continuous-motion request.
struct Motion {
    int pan = 0;
    int tilt = 0;
    int zoom = 0;
};

// The simulated camera's mechanics. Continuous motion turns each axis at its top speed times
// value/100, the value clamped to ±100; absolute moves and home travel at the top speeds, each
// axis on its own, the short way round in azimuth.
const double kPanDegreesPerSecond = 120.0;  // azimuth, wrapping at 360
const double kTiltDegreesPerSecond = 60.0;  // elevation, within kElevationMin..kElevationMax
const double kZoomPerSecond = 8.0;          // absoluteZoom, within kZoomMin..kZoomMax
const float kElevationMin = -90.0f;
const float kElevationMax = 90.0f;
const float kZoomMin = 1.0f;
const float kZoomMax = 32.0f;
// The picture: this wide at zoom 1, narrower by the zoom ratio; 16:9.
const double kHorizontalFieldOfView = 60.0;
const double kVerticalFieldOfView = kHorizontalFieldOfView * 9.0 / 16.0;

// Where the camera is heading.
struct Movement {
    enum class Kind { Still, Continuous, ToTarget };
    Kind kind = Kind::Still;
    Motion speed;               // Continuous: pan, tilt and zoom within ±100
    double seconds_left = 0.0;  // Continuous: until the camera stops by itself; 0: never
    Position target;            // ToTarget: elevation, azimuth and absoluteZoom within range
    double pace = 1.0;          // ToTarget: the share of the top speeds, up to 1
};

// A continuous-motion request as the camera runs it; 0 0 0 stops. With `seconds` above 0 the
// camera stops by itself after them, as for a momentary move.
Movement continuous(const Motion& request, double seconds = 0.0);

// Where a click or a drawn box on the picture sends the camera from `at`. The corners are
// fractions of the picture, x from its left and y from its top. The camera turns so that the
// centre of the box comes to the centre of the picture: azimuth grows to the right, elevation
// (up positive) falls below the centre. A box drawn rightward (or straight down) zooms in by
// the picture's size over the box's, the smaller of the two ratios; drawn the other way it
// zooms out by the same; a point keeps the zoom.
Position framed(const Position& at, double x0, double y0, double x1, double y1);

// A move to `target`'s elevation, azimuth and zoom, brought into the camera's range, at `pace`
// of the top speeds.
Movement travel_to(const Position& target, double pace = 1.0);

// Moves `position` on by `seconds` of `movement`; a travel that arrives ends Still.
void advance(Position& position, Movement& movement, double seconds);

}  // namespace sim
