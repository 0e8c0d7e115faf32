#include "ptzctl_poll.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "ptzctl_output.h"

namespace ptzctl {

namespace {

using Clock = std::chrono::steady_clock;

const auto kPollEvery = std::chrono::milliseconds(100);
// A camera that has not moved for this long has ended its move, wherever it is.
const auto kSettleTime = std::chrono::milliseconds(500);

volatile std::sig_atomic_t g_interrupted = 0;

void on_interrupt(int) {
    g_interrupted = 1;
}

// Sleeps until `when`; false when a signal cut the sleep short.
bool sleep_until(Clock::time_point when) {
    while (g_interrupted == 0) {
        const auto left = when - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec pause{static_cast<std::time_t>(seconds.count()),
                             static_cast<long>((left - seconds).count())};
        nanosleep(&pause, nullptr);
    }
    return false;
}

// One field of the target, with what the camera reports for it.
struct Field {
    const char* name;
    std::optional<double> target;
    double actual;
    double tolerance;
    bool axis;   // moves, rather than being set
    bool angle;  // wraps at 360

    double distance() const {
        const double d = std::abs(*target - actual);
        return angle ? std::min(std::fmod(d, 360.0), 360.0 - std::fmod(d, 360.0)) : d;
    }
};

std::vector<Field> fields(const PositionChange& c, const Ptz::PtzAbsoluteEx& p) {
    std::vector<Field> all = {
        {"elevation", c.elevation, p.elevation, 0.1, true, false},
        {"azimuth", c.azimuth, p.azimuth, 0.1, true, true},
        {"absoluteZoom", c.absoluteZoom, p.absoluteZoom, 0.05, true, false},
        {"focus", c.focus, static_cast<double>(p.focus), 0.0, false, false},
        {"focalLen", c.focalLen, static_cast<double>(p.focalLen), 0.0, false, false},
        {"horizontalSpeed", c.horizontalSpeed, p.horizontalSpeed, 0.01, false, false},
        {"verticalSpeed", c.verticalSpeed, p.verticalSpeed, 0.01, false, false},
    };
    std::vector<Field> given;
    for (const Field& f : all) {
        // A move with no target of its own (home) is judged on the three axes.
        if (f.target || (c.empty() && f.axis)) {
            given.push_back(f);
        }
    }
    return given;
}

// "elevation 90 (target 95), azimuth 10" and the like.
std::string describe(const std::vector<Field>& given, bool with_targets) {
    std::string text;
    for (const Field& f : given) {
        text += (text.empty() ? "" : ", ") + std::string(f.name) + " " +
                number(static_cast<float>(f.actual), false);
        if (with_targets && f.target) {
            text += " (target " + number(static_cast<float>(*f.target), false) + ")";
        }
    }
    return text;
}

bool same(const Ptz::PtzAbsoluteEx& a, const Ptz::PtzAbsoluteEx& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

int wait_for_move(Ptz::ZelkoPtzCameraIsapi& camera, const PositionChange& target,
                  double timeout_seconds) {
    const bool terminal = isatty(STDOUT_FILENO) != 0;
    const char* const clear = terminal ? "\r\x1b[K" : "";
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(timeout_seconds));
    auto still_since = start;
    std::optional<Ptz::PtzAbsoluteEx> last;
    for (;;) {
        Ptz::PtzAbsoluteEx p{};
        const int code = camera.get_ptz_absoluteEx(p);
        if (code != 0) {
            std::printf("%s", clear);
            return code;
        }
        const auto now = Clock::now();
        if (!last || !same(*last, p)) {
            last = p;
            still_since = now;
        }
        const std::vector<Field> given = fields(target, p);
        bool reached = !target.empty();
        std::string left;
        for (const Field& f : given) {
            if (f.target) {
                reached = reached && f.distance() <= f.tolerance;
                left += " " + std::string(f.name) + " " +
                        number(static_cast<float>(f.distance()), false);
            }
        }
        const bool settled = now - still_since >= kSettleTime;
        if (reached || (settled && target.empty())) {
            std::printf("%s%s: %s\n", clear, reached ? "reached" : "settled",
                        describe(given, false).c_str());
            return 0;
        }
        if (settled || now >= deadline) {
            std::printf("%s", clear);
            std::fflush(stdout);
            if (settled) {
                std::fprintf(stderr, "ptzctl: settled elsewhere: %s\n",
                             describe(given, true).c_str());
                return kSettledElsewhere;
            }
            std::fprintf(stderr, "ptzctl: timed out after %g s: %s\n", timeout_seconds,
                         describe(given, true).c_str());
            return kTimedOut;
        }
        if (terminal) {
            std::printf("%smoving: %s%s%s", clear, describe(given, false).c_str(),
                        left.empty() ? "" : "; left:", left.c_str());
            std::fflush(stdout);
        }
        sleep_until(std::min(now + kPollEvery, deadline));
    }
}

int watch(Ptz::ZelkoPtzCameraIsapi& camera, double interval_seconds, int count, bool json) {
    // Ctrl-C ends the watch between samples, as the normal way out.
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    const auto start = Clock::now();
    const std::chrono::duration<double> interval(interval_seconds);
    if (!json) {
        std::printf("%9s %10s %10s %8s %7s %8s %7s %7s\n", "t", "elevation", "azimuth", "zoom",
                    "focus", "focalLen", "hspeed", "vspeed");
    }
    for (int n = 1; g_interrupted == 0; ++n) {
        Ptz::PtzAbsoluteEx p{};
        const int code = camera.get_ptz_absoluteEx(p);
        if (code != 0) {
            return code;
        }
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        if (json) {
            Fields f = position_fields(p, true);
            f.insert(f.begin(), {"t", number(static_cast<float>(t), true)});
            std::printf("%s\n", json_object(f).c_str());
        } else {
            std::printf("%9.3f %10.3f %10.3f %8.3f %7d %8d %7.3f %7.3f\n", t, p.elevation,
                        p.azimuth, p.absoluteZoom, static_cast<int>(p.focus),
                        static_cast<int>(p.focalLen), p.horizontalSpeed, p.verticalSpeed);
        }
        std::fflush(stdout);
        if (n == count ||
            !sleep_until(start + std::chrono::duration_cast<Clock::duration>(n * interval))) {
            break;
        }
    }
    return 0;
}

}  // namespace ptzctl
