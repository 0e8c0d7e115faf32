#pragma once

#include <cstddef>
#include <cstdint>

#include "ptz_types.h"
#include "zelko_ptz_c.h"

namespace Ptz {

/// How a capability is held.
enum class CapabilityKind {
    Range,       ///< std::optional<PtzRange>, from "Min" and "Max" below its element
    SpeedRange,  ///< std::optional<PtzSpeedRange>, the same in whole numbers
    Whole,       ///< std::optional<int>
    Flag,        ///< std::optional<bool>, "true" or "false"
    Numbers,     ///< std::vector<int>, an "opt" list
    Names,       ///< std::vector<std::string>, an "opt" list
};

/// One value of PtzCapabilitiesEx, as every face names and holds it: the reader, the C struct,
/// Python's attribute and ptzctl's key.
struct CapabilityField {
    const char* name = nullptr;  ///< PtzCapabilitiesEx's member, the Python attribute
    const char* key = nullptr;   ///< ptzctl's key, in its lines and its JSON
    CapabilityKind kind = CapabilityKind::Range;
    /// Where the camera says it, below the root: element names joined by "/".
    const char* path = nullptr;
    /// The attribute of that element that holds it; null: its text, or Min and Max below it. A
    /// range with "min" here is held by the attributes "min" and "max".
    const char* attribute = nullptr;
    double scale = 1.0;  ///< what the camera's number is divided by (its tenths: 10)
    std::optional<PtzRange> PtzCapabilitiesEx::*range = nullptr;
    std::optional<PtzSpeedRange> PtzCapabilitiesEx::*speed_range = nullptr;
    std::optional<int> PtzCapabilitiesEx::*whole = nullptr;
    std::optional<bool> PtzCapabilitiesEx::*flag = nullptr;
    std::vector<int> PtzCapabilitiesEx::*numbers = nullptr;
    std::vector<std::string> PtzCapabilitiesEx::*names = nullptr;
    /// Its bit in zelko_ptz_capabilities::reported; 0 for a list, which has its count.
    std::uint32_t c_bit = 0;
    /// Where it lies in zelko_ptz_capabilities: the minimum of a range, a value, a list's array.
    std::size_t c_offset = 0;
    /// A list's count of entries filled in zelko_ptz_capabilities.
    std::size_t c_count = 0;
    /// How many entries a list's array holds, and the bytes of one (a name's, its zero included).
    std::size_t c_capacity = 0;
    std::size_t c_entry_size = 0;
};

namespace capability_field {

/// What every entry has: its names, its kind, where the camera says it, where C holds it.
constexpr CapabilityField common(const char* name, const char* key, CapabilityKind kind,
                                 const char* path, std::size_t offset) {
    CapabilityField f{};
    f.name = name;
    f.key = key;
    f.kind = kind;
    f.path = path;
    f.c_offset = offset;
    return f;
}

/// The entry of each kind, with its member and the rest.
constexpr CapabilityField range(const char* name, const char* key, const char* path,
                                std::optional<PtzRange> PtzCapabilitiesEx::*m, std::uint32_t bit,
                                std::size_t offset) {
    CapabilityField f = common(name, key, CapabilityKind::Range, path, offset);
    f.scale = 10.0;  // the camera's tenths of a degree and of the zoom ratio
    f.range = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField speed(const char* name, const char* key, const char* path,
                                std::optional<PtzSpeedRange> PtzCapabilitiesEx::*m,
                                std::uint32_t bit, std::size_t offset,
                                const char* attribute = nullptr) {
    CapabilityField f = common(name, key, CapabilityKind::SpeedRange, path, offset);
    f.attribute = attribute;
    f.speed_range = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField whole(const char* name, const char* key, const char* path,
                                const char* attribute, std::optional<int> PtzCapabilitiesEx::*m,
                                std::uint32_t bit, std::size_t offset) {
    CapabilityField f = common(name, key, CapabilityKind::Whole, path, offset);
    f.attribute = attribute;
    f.whole = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField flag(const char* name, const char* key, const char* path,
                               std::optional<bool> PtzCapabilitiesEx::*m, std::uint32_t bit,
                               std::size_t offset) {
    CapabilityField f = common(name, key, CapabilityKind::Flag, path, offset);
    f.flag = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField numbers(const char* name, const char* key, const char* path,
                                  std::vector<int> PtzCapabilitiesEx::*m, std::size_t offset,
                                  std::size_t count) {
    CapabilityField f = common(name, key, CapabilityKind::Numbers, path, offset);
    f.attribute = "opt";
    f.numbers = m;
    f.c_count = count;
    f.c_capacity = ZELKO_PTZ_MAX_SPECIAL_PRESETS;
    f.c_entry_size = sizeof(std::int32_t);
    return f;
}
constexpr CapabilityField names(const char* name, const char* key, const char* path,
                                std::vector<std::string> PtzCapabilitiesEx::*m, std::size_t offset,
                                std::size_t count, std::size_t capacity, std::size_t entry_size) {
    CapabilityField f = common(name, key, CapabilityKind::Names, path, offset);
    f.attribute = "opt";
    f.names = m;
    f.c_count = count;
    f.c_capacity = capacity;
    f.c_entry_size = entry_size;
    return f;
}

}  // namespace capability_field

// zelko_ptz_capabilities_ex begins with zelko_ptz_capabilities: the offsets of the one are the
// offsets of the other.
#define ZELKO_PTZ_C_OFFSET(field) offsetof(zelko_ptz_capabilities, field)
#define ZELKO_PTZ_C_EX_OFFSET(field) offsetof(zelko_ptz_capabilities_ex, field)

/// Every value of PtzCapabilitiesEx, in the order of its members.
inline constexpr CapabilityField kCapabilityFields[] = {
    capability_field::range("azimuth_range", "azimuth", "AbsolutePanTiltPositionSpace/XRange",
                            &PtzCapabilities::azimuth_range, ZELKO_PTZ_CAP_AZIMUTH_RANGE,
                            ZELKO_PTZ_C_OFFSET(azimuth_min)),
    capability_field::range("elevation_range", "elevation", "AbsolutePanTiltPositionSpace/YRange",
                            &PtzCapabilities::elevation_range, ZELKO_PTZ_CAP_ELEVATION_RANGE,
                            ZELKO_PTZ_C_OFFSET(elevation_min)),
    capability_field::range("zoom_range", "zoom", "AbsoluteZoomPositionSpace/ZRange",
                            &PtzCapabilities::zoom_range, ZELKO_PTZ_CAP_ZOOM_RANGE,
                            ZELKO_PTZ_C_OFFSET(zoom_min)),
    capability_field::speed("pan_range", "pan", "ContinuousPanTiltSpace/XRange",
                            &PtzCapabilities::pan_range, ZELKO_PTZ_CAP_PAN_RANGE,
                            ZELKO_PTZ_C_OFFSET(pan_min)),
    capability_field::speed("tilt_range", "tilt", "ContinuousPanTiltSpace/YRange",
                            &PtzCapabilities::tilt_range, ZELKO_PTZ_CAP_TILT_RANGE,
                            ZELKO_PTZ_C_OFFSET(tilt_min)),
    capability_field::speed("zoom_speed_range", "zoom_speed", "ContinuousZoomSpace/ZRange",
                            &PtzCapabilities::zoom_speed_range, ZELKO_PTZ_CAP_ZOOM_SPEED_RANGE,
                            ZELKO_PTZ_C_OFFSET(zoom_speed_min)),
    capability_field::whole("max_presets", "max_presets", "maxPresetNum", nullptr,
                            &PtzCapabilities::max_presets, ZELKO_PTZ_CAP_MAX_PRESETS,
                            ZELKO_PTZ_C_OFFSET(max_presets)),
    capability_field::whole(
        "max_preset_name_length", "max_preset_name_length", "PresetNameCap/maxPresetNameLen", "max",
        &PtzCapabilities::max_preset_name_length, ZELKO_PTZ_CAP_MAX_PRESET_NAME_LENGTH,
        ZELKO_PTZ_C_OFFSET(max_preset_name_length)),
    capability_field::numbers("special_presets", "special_presets", "PresetNameCap/specialNo",
                              &PtzCapabilities::special_presets,
                              ZELKO_PTZ_C_OFFSET(special_presets),
                              ZELKO_PTZ_C_OFFSET(special_preset_count)),
    capability_field::flag("supports_position3d", "position3d", "isSupportPosition3D",
                           &PtzCapabilities::supports_position3d, ZELKO_PTZ_CAP_POSITION3D,
                           ZELKO_PTZ_C_OFFSET(supports_position3d)),
    capability_field::names("aux_types", "aux", "PTZAuxType", &PtzCapabilities::aux_types,
                            ZELKO_PTZ_C_OFFSET(aux_types), ZELKO_PTZ_C_OFFSET(aux_type_count),
                            ZELKO_PTZ_MAX_AUX_TYPES, ZELKO_PTZ_AUX_TYPE_SIZE),
    capability_field::whole("max_patrols", "max_patrols", "maxPatrolNum", nullptr,
                            &PtzCapabilitiesEx::max_patrols, ZELKO_PTZ_CAP_MAX_PATROLS,
                            ZELKO_PTZ_C_EX_OFFSET(max_patrols)),
    capability_field::whole("max_patterns", "max_patterns", "maxPatternNum", nullptr,
                            &PtzCapabilitiesEx::max_patterns, ZELKO_PTZ_CAP_MAX_PATTERNS,
                            ZELKO_PTZ_C_EX_OFFSET(max_patterns)),
    capability_field::speed("park_seconds_range", "park_seconds", "ParkAction/Parktime",
                            &PtzCapabilitiesEx::park_seconds_range, ZELKO_PTZ_CAP_PARK_SECONDS,
                            ZELKO_PTZ_C_EX_OFFSET(park_seconds_min), "min"),
    capability_field::names("park_action_kinds", "park_actions", "ParkAction/Action/ActionType",
                            &PtzCapabilitiesEx::park_action_kinds,
                            ZELKO_PTZ_C_EX_OFFSET(park_action_kinds),
                            ZELKO_PTZ_C_EX_OFFSET(park_action_kind_count),
                            ZELKO_PTZ_MAX_PARK_ACTION_KINDS, ZELKO_PTZ_PARK_ACTION_KIND_SIZE),
};

#undef ZELKO_PTZ_C_OFFSET
#undef ZELKO_PTZ_C_EX_OFFSET

namespace capability_field {

/// The size of a struct holding the table's values in its order, as the compiler lays it out:
/// it matches PtzCapabilitiesEx only while the table holds every member.
constexpr std::size_t laid_out_size() {
    std::size_t size = 0, widest = 1;
    for (const CapabilityField& field : kCapabilityFields) {
        const std::size_t sizes[] = {
            sizeof(std::optional<PtzRange>), sizeof(std::optional<PtzSpeedRange>),
            sizeof(std::optional<int>),      sizeof(std::optional<bool>),
            sizeof(std::vector<int>),        sizeof(std::vector<std::string>)};
        const std::size_t aligns[] = {
            alignof(std::optional<PtzRange>), alignof(std::optional<PtzSpeedRange>),
            alignof(std::optional<int>),      alignof(std::optional<bool>),
            alignof(std::vector<int>),        alignof(std::vector<std::string>)};
        const auto kind = static_cast<std::size_t>(field.kind);
        size = (size + aligns[kind] - 1) / aligns[kind] * aligns[kind] + sizes[kind];
        widest = aligns[kind] > widest ? aligns[kind] : widest;
    }
    return (size + widest - 1) / widest * widest;
}

}  // namespace capability_field

static_assert(capability_field::laid_out_size() == sizeof(PtzCapabilitiesEx),
              "kCapabilityFields holds every value of PtzCapabilitiesEx, in its order");

}  // namespace Ptz
