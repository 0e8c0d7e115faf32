// The position as any camera reports it: reading and setting it, steps from it, and waiting for
// the camera to come to rest.

#include <charconv>
#include <cmath>
#include <memory>
#include <string>

#include <pugixml.hpp>

#include "camera_calls.h"
#include "camera_link.h"
#include "position_fields.h"
#include "position_text.h"
#include "zelko_ptz_camera_isapi.h"

namespace Ptz {

namespace {

using Utils::HttpMethod;

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

// Why a position cannot be sent; null when it can.
const char* position_refusal(const PtzPosition& position) {
    if ((position.present & PtzPosition::All) == 0) {
        return "Please input a position with at least one value.";
    }
    for (const PositionField& field : kPositionFields) {
        if (position.has(field.bit) && !std::isfinite(value_of(position, field))) {
            return "Please input finite position values.";
        }
    }
    return nullptr;
}

// One reading of the position, as a part of a command: ".../absoluteEx", or ".../status" on a
// camera without it.
class PositionReading {
public:
    enum class Read {
        Again,   // a request went out for the answer
        Failed,  // the step is finished with why
        Done,    // the position is read
    };

    void start(Step& step) {
        from_status_ = step.link.status_only();
        step.send(HttpMethod::Get, step.link.command_url(from_status_ ? "/status" : "/absoluteEx"));
    }

    Read read(Step& step, const Answer& answer, PtzPosition& position) {
        // Older cameras keep the position in ".../status" alone. Only a 404 says so: a refusal
        // (401) must not send a second request that a locked account would count.
        if (!from_status_ && answer.status == 404) {
            from_status_ = true;
            step.send(HttpMethod::Get, step.link.command_url("/status"));
            return Read::Again;
        }
        pugi::xml_document doc;
        if (!parsed(step, answer, doc)) {
            return Read::Failed;
        }
        PtzPosition read{};
        const PositionAnswer outcome =
            from_status_ ? position_from_status(doc, read) : position_from_absolute_ex(doc, read);
        if (outcome != PositionAnswer::Read) {
            refuse_answer(step, answer, doc,
                          outcome == PositionAnswer::NotNumbers
                              ? "the position answer is not numbers"
                              : "the answer is not a position");
            return Read::Failed;
        }
        if (from_status_) {
            step.link.set_status_only();
        }
        position = read;
        return Read::Done;
    }

private:
    bool from_status_ = false;
};

class PositionQuery final : public Reading<PtzPosition> {
public:
    PositionQuery() : Reading("get_position") {}
    void start(Step& step) override { reading_.start(step); }
    void read(Step& step, Answer& answer) override {
        PtzPosition position{};
        if (reading_.read(step, answer, position) == PositionReading::Read::Done) {
            write(position);
            step.finish(0);
        }
    }

private:
    PositionReading reading_;
};

// The values of `position` that are present, sent under `operation`.
std::unique_ptr<Exchange> position_command(const char* operation, const CameraLink& link,
                                           const PtzPosition& position) {
    if (const char* refusal = position_refusal(position)) {
        return std::make_unique<Exchange>(operation, refusal);
    }
    return coalescing(std::make_unique<Exchange>(
        operation,
        Request{HttpMethod::Put, link.command_url("/absoluteEx"), position_body(position)}));
}

// Reads the position, then sets the three axes by the steps.
class StepMove final : public Acting {
public:
    StepMove(float d_azimuth, float d_elevation, float d_zoom)
        : Acting("move_by"), d_azimuth_(d_azimuth), d_elevation_(d_elevation), d_zoom_(d_zoom) {}
    void start(Step& step) override {
        if (!std::isfinite(d_azimuth_) || !std::isfinite(d_elevation_) || !std::isfinite(d_zoom_)) {
            step.finish(10, "Please input finite steps.");
            return;
        }
        reading_.start(step);
    }
    void read(Step& step, Answer& answer) override {
        if (writing_) {
            judge_status(step, answer);
            return;
        }
        PtzPosition at{};
        if (reading_.read(step, answer, at) != PositionReading::Read::Done) {
            return;
        }
        PtzPosition to{};
        to.azimuth = wrapped_azimuth(static_cast<double>(at.azimuth) + d_azimuth_);
        to.elevation = at.elevation + d_elevation_;
        to.zoom = at.zoom + d_zoom_;
        to.present = PtzPosition::Axes;
        if (const char* refusal = position_refusal(to)) {
            step.finish(10, refusal);
            return;
        }
        writing_ = true;
        step.send(HttpMethod::Put, step.link.command_url("/absoluteEx"), position_body(to));
    }

private:
    float d_azimuth_, d_elevation_, d_zoom_;
    PositionReading reading_;
    bool writing_ = false;
};

// Reads the position every 0.1 s until it has stayed within a tolerance for 0.5 s, the watch
// ends it, or the time is up.
class StillWait final : public Reading<PtzPosition> {
public:
    StillWait(double timeout_seconds, PositionWatch watch, void* user)
        : Reading("wait_for_stop"), timeout_(timeout_seconds), watch_(watch), user_(user) {}
    void start(Step& step) override {
        if (!(timeout_ > 0) || !std::isfinite(timeout_)) {
            step.finish(10, "Please input a time-out of more than 0 seconds.");
            return;
        }
        // A time-out past the clock's reach (about 292 years) waits as long as it takes: cast,
        // it would overflow and end the wait at its first read.
        const std::chrono::duration<double> timeout(timeout_);
        deadline_ = timeout < TimePoint::max() - step.now
                        ? step.now + std::chrono::duration_cast<Clock::duration>(timeout)
                        : TimePoint::max();
        reading_.start(step);
    }
    void read(Step& step, Answer& answer) override {
        PtzPosition now{};
        if (reading_.read(step, answer, now) != PositionReading::Read::Done) {
            return;
        }
        const TimePoint read_at = step.now;
        if (!seen_ || moved(still_, now)) {
            seen_ = true;
            still_ = now;
            still_since_ = read_at;
        }
        if ((watch_ != nullptr && watch_(user_, now)) || read_at - still_since_ >= kStillFor) {
            write(now);
            step.finish(0);
            return;
        }
        if (read_at >= deadline_) {
            write(now);
            // %g in the C locale, whatever the host's: the line is the same everywhere.
            char seconds[32];
            const auto end = std::to_chars(seconds, seconds + sizeof seconds, timeout_,
                                           std::chars_format::general, 6)
                                 .ptr;
            step.finish(static_cast<int>(Result::TimedOut),
                        "The camera was still moving after " + std::string(seconds, end) + " s.");
            return;
        }
        step.wait_until(std::min(read_at + kPollEvery, deadline_));
    }
    void resume(Step& step) override { reading_.start(step); }

private:
    double timeout_;
    PositionWatch watch_;
    void* user_;
    TimePoint deadline_{};
    PositionReading reading_;
    bool seen_ = false;
    PtzPosition still_{};
    TimePoint still_since_{};
};

}  // namespace

int ZelkoPtzCameraIsapi::get_position(PtzPosition& position) {
    PositionQuery command;
    return written(drive(command), command, position);
}

Operation ZelkoPtzCameraIsapi::get_position(Engine& engine, ValueCallback<PtzPosition> done) {
    return submit(engine, with(std::make_unique<PositionQuery>(), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_position(const PtzPosition& position) {
    return drive(*position_command("set_position", *link, position));
}

Operation ZelkoPtzCameraIsapi::set_position(Engine& engine, const PtzPosition& position,
                                            Callback done) {
    return submit(engine, with(position_command("set_position", *link, position), std::move(done)));
}

int ZelkoPtzCameraIsapi::move_by(float d_azimuth, float d_elevation, float d_zoom) {
    StepMove command(d_azimuth, d_elevation, d_zoom);
    return drive(command);
}

Operation ZelkoPtzCameraIsapi::move_by(Engine& engine, float d_azimuth, float d_elevation,
                                       float d_zoom, Callback done) {
    return submit(
        engine, with(std::make_unique<StepMove>(d_azimuth, d_elevation, d_zoom), std::move(done)));
}

int ZelkoPtzCameraIsapi::wait_for_stop(PtzPosition& where, double timeout_seconds,
                                       PositionWatch watch, void* user) {
    StillWait command(timeout_seconds, watch, user);
    return written(drive(command), command, where);
}

Operation ZelkoPtzCameraIsapi::wait_for_stop(Engine& engine, double timeout_seconds,
                                             ValueCallback<PtzPosition> done, PositionWatch watch,
                                             void* user) {
    return submit(engine,
                  with(std::make_unique<StillWait>(timeout_seconds, watch, user), std::move(done)));
}

}  // namespace Ptz
