#include "motion.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

float wrap(double azimuth) {
    const float wrapped = static_cast<float>(azimuth - 360.0 * std::floor(azimuth / 360.0));
    // A value just below 360 can round up to it as a float.
    return wrapped >= 360.0f ? 0.0f : wrapped;
}

double toward(double from, double to, double step) {
    return std::abs(to - from) <= step ? to : from + std::copysign(step, to - from);
}

double rate(int value, double top_speed) {
    return std::clamp(value, -100, 100) / 100.0 * top_speed;
}

}  // namespace

Movement continuous(const Motion& request, double seconds) {
    Movement m;
    m.speed = {std::clamp(request.pan, -100, 100), std::clamp(request.tilt, -100, 100),
               std::clamp(request.zoom, -100, 100)};
    m.seconds_left = seconds;
    const bool still = m.speed.pan == 0 && m.speed.tilt == 0 && m.speed.zoom == 0;
    m.kind = still ? Movement::Kind::Still : Movement::Kind::Continuous;
    return m;
}

Position framed(const Position& at, double x0, double y0, double x1, double y1) {
    const double hfov = kHorizontalFieldOfView / at.absoluteZoom;
    const double vfov = kVerticalFieldOfView / at.absoluteZoom;
    Position target = at;
    target.azimuth = static_cast<float>(at.azimuth + ((x0 + x1) / 2 - 0.5) * hfov);
    target.elevation = static_cast<float>(at.elevation - ((y0 + y1) / 2 - 0.5) * vfov);
    const double width = std::abs(x1 - x0);
    const double height = std::abs(y1 - y0);
    if (width > 0 || height > 0) {
        const double ratio =
            std::min(width > 0 ? 1 / width : HUGE_VAL, height > 0 ? 1 / height : HUGE_VAL);
        const bool zoom_in = x1 > x0 || (x1 == x0 && y1 > y0);
        target.absoluteZoom =
            static_cast<float>(zoom_in ? at.absoluteZoom * ratio : at.absoluteZoom / ratio);
    }
    return target;
}

Movement travel_to(const Position& target, double pace) {
    Movement m;
    m.kind = Movement::Kind::ToTarget;
    m.pace = std::clamp(pace, 0.01, 1.0);
    m.target = target;
    m.target.azimuth = wrap(target.azimuth);
    m.target.elevation = std::clamp(target.elevation, kElevationMin, kElevationMax);
    m.target.absoluteZoom = std::clamp(target.absoluteZoom, kZoomMin, kZoomMax);
    return m;
}

void advance(Position& p, Movement& m, double seconds) {
    if (m.kind == Movement::Kind::Continuous) {
        const bool ends = m.seconds_left > 0 && seconds >= m.seconds_left;
        if (m.seconds_left > 0) {
            seconds = std::min(seconds, m.seconds_left);
            m.seconds_left -= seconds;
        }
        if (ends) {
            m.kind = Movement::Kind::Still;
        }
        p.azimuth = wrap(p.azimuth + rate(m.speed.pan, kPanDegreesPerSecond) * seconds);
        p.elevation = std::clamp(
            static_cast<float>(p.elevation + rate(m.speed.tilt, kTiltDegreesPerSecond) * seconds),
            kElevationMin, kElevationMax);
        p.absoluteZoom = std::clamp(
            static_cast<float>(p.absoluteZoom + rate(m.speed.zoom, kZoomPerSecond) * seconds),
            kZoomMin, kZoomMax);
    } else if (m.kind == Movement::Kind::ToTarget) {
        seconds *= m.pace;
        double turn = m.target.azimuth - p.azimuth;
        turn = turn > 180.0 ? turn - 360.0 : turn < -180.0 ? turn + 360.0 : turn;
        p.azimuth = wrap(p.azimuth + toward(0.0, turn, kPanDegreesPerSecond * seconds));
        p.elevation = static_cast<float>(
            toward(p.elevation, m.target.elevation, kTiltDegreesPerSecond * seconds));
        p.absoluteZoom = static_cast<float>(
            toward(p.absoluteZoom, m.target.absoluteZoom, kZoomPerSecond * seconds));
        if (p.azimuth == m.target.azimuth && p.elevation == m.target.elevation &&
            p.absoluteZoom == m.target.absoluteZoom) {
            m.kind = Movement::Kind::Still;
        }
    }
}

}  // namespace sim
