#include "ptzctl_poll.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ptz/position_fields.h"
#include "ptzctl_output.h"

namespace ptzctl {

namespace {

using Clock = std::chrono::steady_clock;

// The fields a wait judges: those the target gives, or the three axes when it gives none.
std::vector<std::size_t> judged(const Ptz::PtzPosition& target) {
    std::vector<std::size_t> fields;
    const std::uint32_t bits = target.present != 0 ? target.present : Ptz::PtzPosition::Axes;
    for (std::size_t i = 0; i < std::size(Ptz::kPositionFields); ++i) {
        if ((bits & Ptz::kPositionFields[i].bit) != 0) {
            fields.push_back(i);
        }
    }
    return fields;
}

// How far `p` is from the target in one field; azimuth round the circle.
double distance(const Ptz::PtzPosition& p, const Ptz::PtzPosition& target, std::size_t field) {
    const Ptz::PositionField& f = Ptz::kPositionFields[field];
    if (!p.has(f.bit)) {
        return HUGE_VAL;
    }
    const double d = std::abs(Ptz::value_of(target, f) - Ptz::value_of(p, f));
    return f.bit == Ptz::PtzPosition::Azimuth
               ? std::min(std::fmod(d, 360.0), 360.0 - std::fmod(d, 360.0))
               : d;
}

// "elevation 90 (target 95), azimuth 10" and the like.
std::string describe(const Ptz::PtzPosition& p, const Ptz::PtzPosition& target, bool with_targets) {
    std::string text;
    for (const std::size_t i : judged(target)) {
        const Ptz::PositionField& f = Ptz::kPositionFields[i];
        text += (text.empty() ? "" : ", ") + std::string(f.element) + " " + value_text(p, i, false);
        if (with_targets && target.has(f.bit)) {
            text += " (target " + value_text(target, i, false) + ")";
        }
    }
    return text;
}

// What the wait sees of each position read.
struct Progress {
    const Ptz::PtzPosition& target;
    bool terminal;
    bool reached = false;

    static bool seen(void* user, const Ptz::PtzPosition& p) {
        Progress& progress = *static_cast<Progress*>(user);
        std::string left;
        bool reached = progress.target.present != 0;
        for (const std::size_t i : judged(progress.target)) {
            const double d = distance(p, progress.target, i);
            reached = reached && d <= Ptz::kPositionFields[i].tolerance;
            if (progress.target.present != 0) {
                left += " " + std::string(Ptz::kPositionFields[i].element) + " " +
                        number(static_cast<float>(d), false);
            }
        }
        if (progress.terminal) {
            std::printf("\r\x1b[Kmoving: %s%s%s", describe(p, progress.target, false).c_str(),
                        left.empty() ? "" : "; left:", left.c_str());
            std::fflush(stdout);
        }
        progress.reached = reached;
        return reached;
    }
};

// A column of `watch`: its value's name, and room for 0.000 to 360.000.
int column_width(const Ptz::PositionField& field) {
    return std::max(static_cast<int>(std::strlen(field.element)), 9);
}

}  // namespace

int wait_for_move(Context& context, const std::string& command, const Ptz::PtzPosition& target,
                  double timeout_seconds) {
    Progress progress{target, isatty(STDOUT_FILENO) != 0};
    Ptz::PtzPosition where{};
    context.quiet = true;  // a time-out is said here, in ptzctl's words
    const int code =
        context.camera().wait_for_stop(where, timeout_seconds, Progress::seen, &progress);
    context.quiet = false;
    std::printf("%s", progress.terminal ? "\r\x1b[K" : "");
    std::fflush(stdout);
    if (code == 0 && (progress.reached || target.present == 0)) {
        std::printf("reached: %s\n", describe(where, target, false).c_str());
        return 0;
    }
    if (code == 0) {
        Context::say("settled elsewhere: " + describe(where, target, true));
        return kSettledElsewhere;
    }
    if (code == static_cast<int>(Ptz::Result::TimedOut)) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", timeout_seconds);
        Context::say("timed out after " + std::string(seconds) +
                     " s: " + describe(where, target, true));
        return code;
    }
    return context.failed(command, code);
}

int watch(Context& context, double interval_seconds, int count, bool json) {
    // Ctrl-C ends the watch between samples, as the normal way out.
    catch_interrupts();
    const auto start = Clock::now();
    const std::chrono::duration<double> interval(interval_seconds);
    if (!json) {
        std::printf("%9s", "t");
        for (const Ptz::PositionField& f : Ptz::kPositionFields) {
            std::printf(" %*s", column_width(f), f.element);
        }
        std::printf("\n");
    }
    for (int n = 1; g_interrupted == 0; ++n) {
        Ptz::PtzPosition p{};
        const int code = context.camera().get_position(p);
        if (code != 0) {
            return context.failed("watch", code);
        }
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        if (json) {
            std::printf("%s\n", json_position(p, number(static_cast<float>(t), true)).c_str());
        } else {
            // Fixed decimals in the columns of reals; "-" for a value not reported.
            std::printf("%9.3f", t);
            for (const Ptz::PositionField& f : Ptz::kPositionFields) {
                char cell[48] = "-";
                if (p.has(f.bit) && f.real != nullptr) {
                    std::snprintf(cell, sizeof cell, "%.3f", static_cast<double>(p.*f.real));
                } else if (p.has(f.bit)) {
                    std::snprintf(cell, sizeof cell, "%d", static_cast<int>(p.*f.whole));
                }
                std::printf(" %*s", column_width(f), cell);
            }
            std::printf("\n");
        }
        std::fflush(stdout);
        const auto next = start + std::chrono::duration_cast<Clock::duration>(n * interval);
        if (n == count || !pause_for(std::chrono::duration<double>(next - Clock::now()).count())) {
            break;
        }
    }
    return 0;
}

}  // namespace ptzctl
