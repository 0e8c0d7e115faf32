#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The value types that the host and the camera object exchange. Their layouts are part of the
// library's binary interface.

// Two values are equal when the camera would be told the same thing, so their comparisons are
// exact on purpose; a host that warns of exact floating-point comparisons is spared them here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wfloat-equal"

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

    /// Equal when every field is.
    friend bool operator==(const PtzAbsoluteEx& a, const PtzAbsoluteEx& b) {
        return a.elevation == b.elevation && a.azimuth == b.azimuth &&
               a.absoluteZoom == b.absoluteZoom && a.focus == b.focus && a.focalLen == b.focalLen &&
               a.horizontalSpeed == b.horizontalSpeed && a.verticalSpeed == b.verticalSpeed;
    }
    /// Not equal.
    friend bool operator!=(const PtzAbsoluteEx& a, const PtzAbsoluteEx& b) { return !(a == b); }
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

/// A value of an enumeration with the camera's word for it.
template <typename Enum>
struct CameraWord {
    Enum value;        ///< the enumerator
    const char* word;  ///< as the camera writes it: "LIGHT", "on"
};

/// Every auxiliary device set_ptz_aux() takes.
inline constexpr CameraWord<PtzAux> kAuxDevices[] = {
    {PtzAux::Light, "LIGHT"}, {PtzAux::Wiper, "WIPER"}, {PtzAux::Fan, "FAN"}};
/// Every state set_ptz_aux() takes.
inline constexpr CameraWord<PtzStatus> kAuxStates[] = {{PtzStatus::On, "on"},
                                                       {PtzStatus::Off, "off"}};

/// The camera's word for `value`, or null for a value outside the enumeration.
template <typename Enum, std::size_t N>
constexpr const char* camera_word(const CameraWord<Enum> (&words)[N], Enum value) {
    for (const CameraWord<Enum>& w : words) {
        if (w.value == value) {
            return w.word;
        }
    }
    return nullptr;
}

/// One continuous-motion request; the camera gives the numbers their meaning.
struct PtzCtrl {
    std::int32_t pan;   ///< "pan"
    std::int32_t tilt;  ///< "tilt"
    std::int32_t zoom;  ///< "zoom"

    /// Equal when every field is.
    friend bool operator==(const PtzCtrl& a, const PtzCtrl& b) {
        return a.pan == b.pan && a.tilt == b.tilt && a.zoom == b.zoom;
    }
    /// Not equal.
    friend bool operator!=(const PtzCtrl& a, const PtzCtrl& b) { return !(a == b); }
};

/// A position the camera keeps under a number, as its preset list shows it.
struct PtzPreset {
    int id;            ///< "id", 1 or more
    std::string name;  ///< "presetName"
    bool enabled;      ///< "enabled" is "true"

    /// Equal when every field is.
    friend bool operator==(const PtzPreset& a, const PtzPreset& b) {
        return a.id == b.id && a.name == b.name && a.enabled == b.enabled;
    }
    /// Not equal.
    friend bool operator!=(const PtzPreset& a, const PtzPreset& b) { return !(a == b); }
};

/// A position as the camera reported it, or the values to send it: in degrees and zoom ratio,
/// whichever resource they came from. `present` says which of the seven values hold something;
/// a value whose bit is clear was not reported, or is not to be sent, and holds nothing of use.
struct PtzPosition {
    float elevation;            ///< degrees; the camera's sign convention (up or down)
    float azimuth;              ///< degrees, 0 to 360
    float zoom;                 ///< zoom ratio, 1 at the widest
    std::int32_t focus;         ///< the camera's focus motor position
    std::int32_t focal_length;  ///< the camera's focal length value
    float horizontal_speed;     ///< the camera's speed value for pan moves
    float vertical_speed;       ///< the camera's speed value for tilt moves
    std::uint32_t present;      ///< the bits below of the values that hold something

    /// Bits of `present`, one per value, in the order of the values.
    enum : std::uint32_t {
        Elevation = 1u << 0,
        Azimuth = 1u << 1,
        Zoom = 1u << 2,
        Focus = 1u << 3,
        FocalLength = 1u << 4,
        HorizontalSpeed = 1u << 5,
        VerticalSpeed = 1u << 6,
        Axes = Elevation | Azimuth | Zoom,  ///< the three that every camera reports
        All = 0x7fu,
    };

    /// Whether every value of `bits` is present.
    bool has(std::uint32_t bits) const { return (present & bits) == bits; }

    /// Equal when the same values are present and each present value is the same; what a value
    /// that is not present holds does not count.
    friend bool operator==(const PtzPosition& a, const PtzPosition& b) {
        const auto same = [&a, &b](std::uint32_t bit, auto PtzPosition::*value) {
            return (a.present & bit) == 0 || a.*value == b.*value;
        };
        return (a.present & All) == (b.present & All) && same(Elevation, &PtzPosition::elevation) &&
               same(Azimuth, &PtzPosition::azimuth) && same(Zoom, &PtzPosition::zoom) &&
               same(Focus, &PtzPosition::focus) && same(FocalLength, &PtzPosition::focal_length) &&
               same(HorizontalSpeed, &PtzPosition::horizontal_speed) &&
               same(VerticalSpeed, &PtzPosition::vertical_speed);
    }
    /// Not equal.
    friend bool operator!=(const PtzPosition& a, const PtzPosition& b) { return !(a == b); }
};

/// A range of values a camera reports, in degrees or zoom ratio.
struct PtzRange {
    float min;  ///< the lowest value
    float max;  ///< the highest value

    /// Equal when every field is.
    friend bool operator==(const PtzRange& a, const PtzRange& b) {
        return a.min == b.min && a.max == b.max;
    }
    /// Not equal.
    friend bool operator!=(const PtzRange& a, const PtzRange& b) { return !(a == b); }
};

/// A range of continuous-motion values a camera reports, in its own integers.
struct PtzSpeedRange {
    int min;  ///< the lowest value
    int max;  ///< the highest value

    /// Equal when every field is.
    friend bool operator==(const PtzSpeedRange& a, const PtzSpeedRange& b) {
        return a.min == b.min && a.max == b.max;
    }
    /// Not equal.
    friend bool operator!=(const PtzSpeedRange& a, const PtzSpeedRange& b) { return !(a == b); }
};

/// What a camera says it can do. A value the camera did not report is empty: never zero.
struct PtzCapabilities {
    std::optional<PtzRange> azimuth_range;          ///< degrees, such as 0 to 360
    std::optional<PtzRange> elevation_range;        ///< degrees, such as -50 to 60
    std::optional<PtzRange> zoom_range;             ///< zoom ratio, such as 1 to 25
    std::optional<PtzSpeedRange> pan_range;         ///< continuous pan, such as -100 to 100
    std::optional<PtzSpeedRange> tilt_range;        ///< continuous tilt
    std::optional<PtzSpeedRange> zoom_speed_range;  ///< continuous zoom
    std::optional<int> max_presets;                 ///< how many presets it keeps
    std::optional<int> max_preset_name_length;      ///< the longest preset name it takes
    /// Preset numbers that run a function of the camera rather than a move, in its order.
    std::vector<int> special_presets;
    std::optional<bool> supports_position3d;  ///< click-to-center and box zoom
    std::vector<std::string> aux_types;       ///< its auxiliaries: "LIGHT", "WIPER", ...

    /// Equal when every field is.
    friend bool operator==(const PtzCapabilities& a, const PtzCapabilities& b) {
        return a.azimuth_range == b.azimuth_range && a.elevation_range == b.elevation_range &&
               a.zoom_range == b.zoom_range && a.pan_range == b.pan_range &&
               a.tilt_range == b.tilt_range && a.zoom_speed_range == b.zoom_speed_range &&
               a.max_presets == b.max_presets &&
               a.max_preset_name_length == b.max_preset_name_length &&
               a.special_presets == b.special_presets &&
               a.supports_position3d == b.supports_position3d && a.aux_types == b.aux_types;
    }
    /// Not equal.
    friend bool operator!=(const PtzCapabilities& a, const PtzCapabilities& b) { return !(a == b); }
};

/// What a camera says it can do, with what its console commands need: the tours and recorded
/// moves it keeps and its park action. A type of its own, since PtzCapabilities' layout is part
/// of the binary interface; read by get_capabilities_ex().
struct PtzCapabilitiesEx : PtzCapabilities {
    std::optional<int> max_patrols;   ///< how many patrols (preset tours) it keeps
    std::optional<int> max_patterns;  ///< how many patterns (recorded moves) it keeps
    /// The park action's time without commands, in whole seconds, such as 5 to 720.
    std::optional<PtzSpeedRange> park_seconds_range;
    /// The park actions it takes, in its words: "preset", "patrol", "pattern", "autoscan", ...
    std::vector<std::string> park_action_kinds;

    /// Equal when every field is.
    friend bool operator==(const PtzCapabilitiesEx& a, const PtzCapabilitiesEx& b) {
        return static_cast<const PtzCapabilities&>(a) == static_cast<const PtzCapabilities&>(b) &&
               a.max_patrols == b.max_patrols && a.max_patterns == b.max_patterns &&
               a.park_seconds_range == b.park_seconds_range &&
               a.park_action_kinds == b.park_action_kinds;
    }
    /// Not equal.
    friend bool operator!=(const PtzCapabilitiesEx& a, const PtzCapabilitiesEx& b) {
        return !(a == b);
    }
};

/// One stop of a patrol: the camera travels to `preset` at `speed` and stays `dwell_seconds`.
struct PtzPatrolStep {
    int preset;         ///< "presetID", 1 or more; 0 in the camera's list is an empty slot
    int speed;          ///< "seqSpeed", the camera's speed value, 1 or more
    int dwell_seconds;  ///< "delay", in seconds

    /// Equal when every field is.
    friend bool operator==(const PtzPatrolStep& a, const PtzPatrolStep& b) {
        return a.preset == b.preset && a.speed == b.speed && a.dwell_seconds == b.dwell_seconds;
    }
    /// Not equal.
    friend bool operator!=(const PtzPatrolStep& a, const PtzPatrolStep& b) { return !(a == b); }
};

/// A preset tour the camera keeps under a number.
struct PtzPatrol {
    int id;                            ///< "id", 1 or more
    std::string name;                  ///< "patrolName"
    bool enabled;                      ///< "enabled" is "true"
    std::vector<PtzPatrolStep> steps;  ///< its stops in order, the empty slots left out

    /// Equal when every field is.
    friend bool operator==(const PtzPatrol& a, const PtzPatrol& b) {
        return a.id == b.id && a.name == b.name && a.enabled == b.enabled && a.steps == b.steps;
    }
    /// Not equal.
    friend bool operator!=(const PtzPatrol& a, const PtzPatrol& b) { return !(a == b); }
};

/// A recorded move the camera keeps under a number.
struct PtzPattern {
    int id;        ///< "id", 1 or more
    bool enabled;  ///< "enabled" is "true": something is recorded

    /// Equal when every field is.
    friend bool operator==(const PtzPattern& a, const PtzPattern& b) {
        return a.id == b.id && a.enabled == b.enabled;
    }
    /// Not equal.
    friend bool operator!=(const PtzPattern& a, const PtzPattern& b) { return !(a == b); }
};

/// What the camera does after a time without commands.
struct PtzParkAction {
    bool enabled;      ///< "enabled"
    int seconds;       ///< "Parktime", the time without commands, in seconds
    std::string kind;  ///< "ActionType", the camera's word: "preset", "patrol", "autoscan", ...
    int number;        ///< "ActionNum": the preset, patrol or pattern it runs; 0 for the others

    /// Equal when every field is.
    friend bool operator==(const PtzParkAction& a, const PtzParkAction& b) {
        return a.enabled == b.enabled && a.seconds == b.seconds && a.kind == b.kind &&
               a.number == b.number;
    }
    /// Not equal.
    friend bool operator!=(const PtzParkAction& a, const PtzParkAction& b) { return !(a == b); }
};

/// Called by wait_for_stop() with each position it reads; returning true ends the wait at once.
using PositionWatch = bool (*)(void* user, const PtzPosition& position);

static_assert(sizeof(float) == 4, "position fields are 32 bits wide");
static_assert(sizeof(PtzAbsoluteEx) == 28, "seven 32-bit fields, no padding");
static_assert(offsetof(PtzAbsoluteEx, elevation) == 0, "record layout");
static_assert(offsetof(PtzAbsoluteEx, azimuth) == 4, "record layout");
static_assert(offsetof(PtzAbsoluteEx, absoluteZoom) == 8, "record layout");
static_assert(offsetof(PtzAbsoluteEx, focus) == 12, "record layout");
static_assert(offsetof(PtzAbsoluteEx, focalLen) == 16, "record layout");
static_assert(offsetof(PtzAbsoluteEx, horizontalSpeed) == 20, "record layout");
static_assert(offsetof(PtzAbsoluteEx, verticalSpeed) == 24, "record layout");
static_assert(sizeof(PtzPosition) == 32, "seven 32-bit values and the mask, no padding");
static_assert(offsetof(PtzPosition, present) == 28, "record layout");
static_assert(sizeof(PtzAux) == 4 && sizeof(PtzStatus) == 4, "enumerations are 32 bits wide");
static_assert(sizeof(PtzCtrl) == 12, "three 32-bit fields, no padding");
static_assert(offsetof(PtzCtrl, pan) == 0, "record layout");
static_assert(offsetof(PtzCtrl, tilt) == 4, "record layout");
static_assert(offsetof(PtzCtrl, zoom) == 8, "record layout");

}  // namespace Ptz

#pragma GCC diagnostic pop
