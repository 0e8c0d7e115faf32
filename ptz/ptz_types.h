#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The value types that the host and the camera object exchange. Their layouts are part of the
// library's binary interface.

/// The camera driver: the camera object and the values it exchanges with the host.
namespace Ptz {

/// The camera's absolute position, in the camera's own units; nothing is scaled or checked.
struct PtzAbsoluteEx {
    float elevation;        ///< "elevation"
    float azimuth;          ///< "azimuth"
    float absoluteZoom;     ///< "absoluteZoom"
    std::int32_t focus;     ///< "focus"
    std::int32_t focalLen;  ///< "focalLen", the focal length
    float horizontalSpeed;  ///< "horizontalSpeed"
    float verticalSpeed;    ///< "verticalSpeed"
};

/// An auxiliary device. Any 32-bit value is representable; set_ptz_aux() rejects the others.
enum class PtzAux : std::int32_t {
    Light = 0,  ///< "LIGHT"
    Wiper = 1,  ///< "WIPER"
    Fan = 2     ///< "FAN"
};

/// The state to switch an auxiliary device to. On is 0.
enum class PtzStatus : std::int32_t {
    On = 0,  ///< "on"
    Off = 1  ///< "off"
};

/// One continuous-motion request; the camera gives the numbers their meaning.
struct PtzCtrl {
    std::int32_t pan;   ///< "pan"
    std::int32_t tilt;  ///< "tilt"
    std::int32_t zoom;  ///< "zoom"
};

/// A position the camera keeps under a number, as its preset list shows it.
struct PtzPreset {
    int id;            ///< "id", 1 or more
    std::string name;  ///< "presetName"
    bool enabled;      ///< "enabled" is "true"
};

static_assert(sizeof(float) == 4, "position fields are 32 bits wide");
static_assert(sizeof(PtzAbsoluteEx) == 28, "seven 32-bit fields, no padding");
static_assert(offsetof(PtzAbsoluteEx, elevation) == 0, "record layout");
static_assert(offsetof(PtzAbsoluteEx, azimuth) == 4, "record layout");
static_assert(offsetof(PtzAbsoluteEx, absoluteZoom) == 8, "record layout");
static_assert(offsetof(PtzAbsoluteEx, focus) == 12, "record layout");
static_assert(offsetof(PtzAbsoluteEx, focalLen) == 16, "record layout");
static_assert(offsetof(PtzAbsoluteEx, horizontalSpeed) == 20, "record layout");
static_assert(offsetof(PtzAbsoluteEx, verticalSpeed) == 24, "record layout");
static_assert(sizeof(PtzAux) == 4 && sizeof(PtzStatus) == 4, "enumerations are 32 bits wide");
static_assert(sizeof(PtzCtrl) == 12, "three 32-bit fields, no padding");
static_assert(offsetof(PtzCtrl, pan) == 0, "record layout");
static_assert(offsetof(PtzCtrl, tilt) == 4, "record layout");
static_assert(offsetof(PtzCtrl, zoom) == 8, "record layout");

}  // namespace Ptz
