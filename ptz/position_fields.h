#pragma once

#include <cstdint>
#include <cstring>

#include "ptz_types.h"

namespace Ptz {

/// One of the seven values of a position, as every layer names and holds it.
struct PositionField {
    const char* element;  ///< the camera's element, as in "PTZAbsoluteEx", and ptzctl's JSON key
    const char* member;   ///< PtzPosition's member, and the Python attribute
    std::uint32_t bit;    ///< its bit in PtzPosition::present
    float PtzPosition::*real;          ///< the member of a float value, or null
    std::int32_t PtzPosition::*whole;  ///< the member of an integer value, or null
    /// How far two readings may lie apart and still be the same position, for wait_for_stop().
    double tolerance;
};

/// The seven values in the camera's order, which is also the order of the record's fields.
inline constexpr PositionField kPositionFields[] = {
    {"elevation", "elevation", PtzPosition::Elevation, &PtzPosition::elevation, nullptr, 0.1},
    {"azimuth", "azimuth", PtzPosition::Azimuth, &PtzPosition::azimuth, nullptr, 0.1},
    {"absoluteZoom", "zoom", PtzPosition::Zoom, &PtzPosition::zoom, nullptr, 0.05},
    {"focus", "focus", PtzPosition::Focus, nullptr, &PtzPosition::focus, 0.0},
    {"focalLen", "focal_length", PtzPosition::FocalLength, nullptr, &PtzPosition::focal_length,
     0.0},
    {"horizontalSpeed", "horizontal_speed", PtzPosition::HorizontalSpeed,
     &PtzPosition::horizontal_speed, nullptr, 0.01},
    {"verticalSpeed", "vertical_speed", PtzPosition::VerticalSpeed, &PtzPosition::vertical_speed,
     nullptr, 0.01},
};

/// The value of `field` in `p`, whether or not it is present.
inline double value_of(const PtzPosition& p, const PositionField& field) {
    return field.real != nullptr ? static_cast<double>(p.*field.real) : p.*field.whole;
}

/// Sets `field` in `p` and marks it present; an integer field takes `value` as it converts.
inline void set_value(PtzPosition& p, const PositionField& field, double value) {
    if (field.real != nullptr) {
        p.*field.real = static_cast<float>(value);
    } else {
        p.*field.whole = static_cast<std::int32_t>(value);
    }
    p.present |= field.bit;
}

/// The seven values of a record of the older kind, all present.
inline PtzPosition to_position(const PtzAbsoluteEx& record) {
    PtzPosition p{};
    std::memcpy(&p, &record, sizeof record);
    p.present = PtzPosition::All;
    return p;
}

/// The seven values as a record of the older kind; values not present are 0.
inline PtzAbsoluteEx to_absolute_ex(const PtzPosition& position) {
    PtzPosition p = position;
    for (const PositionField& field : kPositionFields) {
        if (!p.has(field.bit)) {
            set_value(p, field, 0.0);
        }
    }
    PtzAbsoluteEx record;
    std::memcpy(&record, &p, sizeof record);
    return record;
}

// The two records hold the seven values alike, which the copies above rely on.
static_assert(offsetof(PtzAbsoluteEx, absoluteZoom) == offsetof(PtzPosition, zoom) &&
                  offsetof(PtzAbsoluteEx, focalLen) == offsetof(PtzPosition, focal_length) &&
                  offsetof(PtzAbsoluteEx, verticalSpeed) == offsetof(PtzPosition, vertical_speed),
              "the seven values lie alike in both records");

}  // namespace Ptz
