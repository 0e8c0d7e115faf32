#pragma once

#include <optional>

#include "ptz/ptz_types.h"

namespace ptzctl {

// The fields of an absolute move that the command line gives; the others keep the camera's.
struct PositionChange {
    std::optional<float> elevation, azimuth, absoluteZoom, horizontalSpeed, verticalSpeed;
    std::optional<int> focus, focalLen;

    bool empty() const {
        return !elevation && !azimuth && !absoluteZoom && !horizontalSpeed && !verticalSpeed &&
               !focus && !focalLen;
    }

    void apply(Ptz::PtzAbsoluteEx& p) const {
        p.elevation = elevation.value_or(p.elevation);
        p.azimuth = azimuth.value_or(p.azimuth);
        p.absoluteZoom = absoluteZoom.value_or(p.absoluteZoom);
        p.focus = focus.value_or(p.focus);
        p.focalLen = focalLen.value_or(p.focalLen);
        p.horizontalSpeed = horizontalSpeed.value_or(p.horizontalSpeed);
        p.verticalSpeed = verticalSpeed.value_or(p.verticalSpeed);
    }
};

}  // namespace ptzctl
