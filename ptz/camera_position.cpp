// The position as any camera reports it: reading and setting it, steps from it, and waiting for
// the camera to come to rest.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "../utils/xml_parser.h"
#include "camera_link.h"
#include "position_fields.h"
#include "position_text.h"
#include "zelko_ptz_camera_isapi.h"

namespace Ptz {

namespace {

using Utils::HttpMethod;

const char* const kHttpRequestFailed = "Fail to complete http request.";
const auto kPollEvery = std::chrono::milliseconds(100);
const auto kStillFor = std::chrono::milliseconds(500);

// Whether two readings differ by more than a tolerance in any value, or in what they report.
bool moved(const PtzPosition& a, const PtzPosition& b) {
    for (const PositionField& field : kPositionFields) {
        if (a.has(field.bit) != b.has(field.bit)) {
            return true;
        }
        if (!a.has(field.bit)) {
            continue;
        }
        double apart = std::fabs(value_of(a, field) - value_of(b, field));
        if (field.bit == PtzPosition::Azimuth) {
            apart = std::fmin(std::fmod(apart, 360.0), 360.0 - std::fmod(apart, 360.0));
        }
        if (apart > field.tolerance) {
            return true;
        }
    }
    return false;
}

float wrapped_azimuth(double azimuth) {
    const float wrapped = static_cast<float>(azimuth - 360.0 * std::floor(azimuth / 360.0));
    // A value just below 360 can round up to it as a float.
    return wrapped >= 360.0f ? 0.0f : wrapped;
}

}  // namespace

int ZelkoPtzCameraIsapi::read_position(const char* operation, PtzPosition& position) {
    std::string answer;
    long status = 0;
    if (!link->status_only()) {
        if (const int failed = send(operation, HttpMethod::Get, link->command_url("/absoluteEx"),
                                    std::string(), kHttpRequestFailed, answer, status)) {
            return failed;
        }
    }
    // Older cameras keep the position in ".../status" alone. Only a 404 says so: a refusal
    // (401) must not send a second request that a locked account would count.
    const bool from_status = link->status_only() || status == 404;
    if (from_status) {
        answer.clear();
        if (const int failed = send(operation, HttpMethod::Get, link->command_url("/status"),
                                    std::string(), kHttpRequestFailed, answer, status)) {
            return failed;
        }
    }
    if (const int not_xml = parse(operation, answer, status)) {
        return not_xml;
    }
    PtzPosition read{};
    const PositionAnswer outcome = from_status ? position_from_status(*xml_parser, read)
                                               : position_from_absolute_ex(*xml_parser, read);
    if (outcome != PositionAnswer::Read) {
        return refuse_answer(operation, answer, status,
                             outcome == PositionAnswer::NotNumbers
                                 ? "the position answer is not numbers"
                                 : "the answer is not a position");
    }
    if (from_status) {
        link->set_status_only();
    }
    position = read;
    return 0;
}

int ZelkoPtzCameraIsapi::get_position(PtzPosition& position) {
    return read_position("get_position", position);
}

int ZelkoPtzCameraIsapi::write_position(const char* operation, const PtzPosition& position) {
    if ((position.present & PtzPosition::All) == 0) {
        return refuse(operation, "Please input a position with at least one value.");
    }
    for (const PositionField& field : kPositionFields) {
        if (position.has(field.bit) && !std::isfinite(value_of(position, field))) {
            return refuse(operation, "Please input finite position values.");
        }
    }
    return exchange(operation, HttpMethod::Put, link->command_url("/absoluteEx"),
                    position_body(position));
}

int ZelkoPtzCameraIsapi::set_position(const PtzPosition& position) {
    return write_position("set_position", position);
}

int ZelkoPtzCameraIsapi::move_by(float d_azimuth, float d_elevation, float d_zoom) {
    const char* const operation = "move_by";
    if (!std::isfinite(d_azimuth) || !std::isfinite(d_elevation) || !std::isfinite(d_zoom)) {
        return refuse(operation, "Please input finite steps.");
    }
    PtzPosition at{};
    if (const int failed = read_position(operation, at)) {
        return failed;
    }
    PtzPosition to{};
    to.azimuth = wrapped_azimuth(static_cast<double>(at.azimuth) + d_azimuth);
    to.elevation = at.elevation + d_elevation;
    to.zoom = at.zoom + d_zoom;
    to.present = PtzPosition::Axes;
    return write_position(operation, to);
}

int ZelkoPtzCameraIsapi::wait_for_stop(PtzPosition& where, double timeout_seconds,
                                       PositionWatch watch, void* user) {
    const char* const operation = "wait_for_stop";
    if (!(timeout_seconds > 0) || !std::isfinite(timeout_seconds)) {
        return refuse(operation, "Please input a time-out of more than 0 seconds.");
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(timeout_seconds));
    PtzPosition still{};
    auto still_since = start;
    for (bool first = true;; first = false) {
        PtzPosition now{};
        if (const int failed = read_position(operation, now)) {
            return failed;
        }
        const auto read_at = Clock::now();
        if (first || moved(still, now)) {
            still = now;
            still_since = read_at;
        }
        if ((watch != nullptr && watch(user, now)) || read_at - still_since >= kStillFor) {
            where = now;
            return 0;
        }
        if (read_at >= deadline) {
            where = now;
            char message[96];
            std::snprintf(message, sizeof message, "The camera was still moving after %g s.",
                          timeout_seconds);
            link->report(operation, static_cast<int>(Result::TimedOut), message);
            return static_cast<int>(Result::TimedOut);
        }
        std::this_thread::sleep_until(std::min(read_at + kPollEvery, deadline));
    }
}

}  // namespace Ptz
