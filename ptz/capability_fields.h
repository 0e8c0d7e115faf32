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

/// One value of PtzCapabilities, as every face names and holds it: the reader, the C struct,
/// Python's attribute and ptzctl's key.
struct CapabilityField {
    const char* name = nullptr;  ///< PtzCapabilities' member, the Python attribute
    const char* key = nullptr;   ///< ptzctl's key, in its lines and its JSON
    CapabilityKind kind = CapabilityKind::Range;
    /// Where the camera says it, below the root: element names joined by "/".
    const char* path = nullptr;
    /// The attribute of that element that holds it; null: its text, or Min and Max below it.
    const char* attribute = nullptr;
    double scale = 1.0;  ///< what the camera's number is divided by (its tenths: 10)
    std::optional<PtzRange> PtzCapabilities::*range = nullptr;
    std::optional<PtzSpeedRange> PtzCapabilities::*speed_range = nullptr;
    std::optional<int> PtzCapabilities::*whole = nullptr;
    std::optional<bool> PtzCapabilities::*flag = nullptr;
    std::vector<int> PtzCapabilities::*numbers = nullptr;
    std::vector<std::string> PtzCapabilities::*names = nullptr;
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
                                std::optional<PtzRange> PtzCapabilities::*m, std::uint32_t bit,
                                std::size_t offset) {
    CapabilityField f = common(name, key, CapabilityKind::Range, path, offset);
    f.scale = 10.0;  // the camera's tenths of a degree and of the zoom ratio
    f.range = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField speed(const char* name, const char* key, const char* path,
                                std::optional<PtzSpeedRange> PtzCapabilities::*m, std::uint32_t bit,
                                std::size_t offset) {
    CapabilityField f = common(name, key, CapabilityKind::SpeedRange, path, offset);
    f.speed_range = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField whole(const char* name, const char* key, const char* path,
                                const char* attribute, std::optional<int> PtzCapabilities::*m,
                                std::uint32_t bit, std::size_t offset) {
    CapabilityField f = common(name, key, CapabilityKind::Whole, path, offset);
    f.attribute = attribute;
    f.whole = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField flag(const char* name, const char* key, const char* path,
                               std::optional<bool> PtzCapabilities::*m, std::uint32_t bit,
                               std::size_t offset) {
    CapabilityField f = common(name, key, CapabilityKind::Flag, path, offset);
    f.flag = m;
    f.c_bit = bit;
    return f;
}
constexpr CapabilityField numbers(const char* name, const char* key, const char* path,
                                  std::vector<int> PtzCapabilities::*m, std::size_t offset,
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
                                std::vector<std::string> PtzCapabilities::*m, std::size_t offset,
                                std::size_t count) {
    CapabilityField f = common(name, key, CapabilityKind::Names, path, offset);
    f.attribute = "opt";
    f.names = m;
    f.c_count = count;
    f.c_capacity = ZELKO_PTZ_MAX_AUX_TYPES;
    f.c_entry_size = ZELKO_PTZ_AUX_TYPE_SIZE;
    return f;
}

}  // namespace capability_field

#define ZELKO_PTZ_C_OFFSET(field) offsetof(zelko_ptz_capabilities, field)

/// Every value of PtzCapabilities, in the order of its members.
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
                            ZELKO_PTZ_C_OFFSET(aux_types), ZELKO_PTZ_C_OFFSET(aux_type_count)),
};

#undef ZELKO_PTZ_C_OFFSET

namespace capability_field {

/// The size of a struct holding the table's values in its order, as the compiler lays it out:
/// it matches PtzCapabilities only while the table holds every member.
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

static_assert(capability_field::laid_out_size() == sizeof(PtzCapabilities),
              "kCapabilityFields holds every value of PtzCapabilities, in its order");

}  // namespace Ptz
