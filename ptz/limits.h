#pragma once

#include <cstdint>

namespace Ptz {

/// The values a method's argument or an option takes, both ends included: the library refuses
/// any other with a line, and a face that checks what its user typed before contacting anything
/// holds it to the same.
struct Limits {
    double min;
    double max;
    /// Whether `value` lies within; false for NaN.
    constexpr bool hold(double value) const { return value >= min && value <= max; }
};

inline constexpr Limits kPresetIds{1, INT32_MAX};       ///< preset numbers
inline constexpr Limits kPictureFractions{0, 1};        ///< center_on(), zoom_to_area()
inline constexpr Limits kRefusalHoldSeconds{0, 86400};  ///< set_refusal_hold()
inline constexpr Limits kTimeoutSeconds{0.1, 600};      ///< set_timeouts()
inline constexpr Limits kPorts{0, 65535};               ///< CameraOptions::port; 0: the scheme's
inline constexpr Limits kChannels{1, INT32_MAX};        ///< CameraOptions::channel
inline constexpr Limits kLensSpeeds{-100, 100};         ///< set_focus(), set_iris()
inline constexpr Limits kTourIds{1, INT32_MAX};         ///< patrol and pattern numbers
inline constexpr Limits kPatrolSteps{1, 32};            ///< a patrol's stops
inline constexpr Limits kStepSpeeds{1, INT32_MAX};      ///< a patrol step's speed
inline constexpr Limits kDwellSeconds{0, INT32_MAX};    ///< a patrol step's dwell
/// The park action's time, unless the camera's capabilities say otherwise.
inline constexpr Limits kParkSeconds{5, 720};

}  // namespace Ptz
