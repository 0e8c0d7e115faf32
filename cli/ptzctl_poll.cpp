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
    const Ptz::PtzPosition target;  // its own: the move that asked for the wait ends first
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

void wait_for_move(Target& t, const std::string& command, const Ptz::PtzPosition& target,
                   double timeout_seconds, const Context& context) {
    // The progress line is for a person watching one camera.
    auto progress =
        std::make_shared<Progress>(Progress{target, !context.many() && isatty(STDOUT_FILENO) != 0});
    t.quiet = true;  // a time-out is said here, in ptzctl's words
    t.operation = t.camera().wait_for_stop(
        t.engine(), timeout_seconds,
        t.guard([&t, command, target, timeout_seconds, progress](int code,
                                                                 const Ptz::PtzPosition& where) {
            t.quiet = false;
            if (progress->terminal) {
                std::printf("\r\x1b[K");
                std::fflush(stdout);
            }
            if (code == 0 && (progress->reached || target.present == 0)) {
                t.print("reached: " + describe(where, target, false) + "\n");
                t.end(0);
            } else if (code == 0) {
                t.say("settled elsewhere: " + describe(where, target, true));
                t.end(kSettledElsewhere);
            } else if (code == static_cast<int>(Ptz::Result::TimedOut)) {
                char seconds[32];
                std::snprintf(seconds, sizeof seconds, "%g", timeout_seconds);
                t.say("timed out after " + std::string(seconds) +
                      " s: " + describe(where, target, true));
                t.end(code);
            } else {
                t.end(t.failed(command, code));
            }
        }),
        Progress::seen, progress.get());
}

namespace {

// A row of `watch`: fixed decimals in the columns of reals, "-" for a value not reported.
std::string row(const Ptz::PtzPosition& p, double t) {
    char cell[48];
    std::snprintf(cell, sizeof cell, "%9.3f", t);
    std::string line = cell;
    for (const Ptz::PositionField& f : Ptz::kPositionFields) {
        std::snprintf(cell, sizeof cell, "-");
        if (p.has(f.bit) && f.real != nullptr) {
            std::snprintf(cell, sizeof cell, "%.3f", static_cast<double>(p.*f.real));
        } else if (p.has(f.bit)) {
            std::snprintf(cell, sizeof cell, "%d", static_cast<int>(p.*f.whole));
        }
        char padded[64];
        std::snprintf(padded, sizeof padded, " %*s", column_width(f), cell);
        line += padded;
    }
    return line + "\n";
}

// The rounds of `watch`: every camera read at the same moments, each round shown whole in the
// order of the cameras once its last read is in.
struct Rounds {
    Rounds(Context& c, double i, int n, bool j) : context(c), interval(i), count(n), json(j) {}
    Context& context;
    double interval;
    int count;
    bool json;
    // With several cameras each row starts with "<name>: ": the table's columns start after the
    // longest of them, the header's too.
    std::size_t label = 0;
    Clock::time_point start = Clock::now();
    int round = 0;
    std::size_t waiting = 0;
    std::vector<std::string> rows;

    void next() {
        ++round;
        rows.assign(context.targets().size(), "");
        waiting = 0;
        for (std::size_t i = 0; i < context.targets().size(); ++i) {
            Target& t = *context.targets()[i];
            if (t.ended()) {
                continue;
            }
            ++waiting;
            t.operation = t.camera().get_position(
                t.engine(), t.guard([this, &t, i](int code, const Ptz::PtzPosition& p) {
                    if (code != 0) {
                        t.end(t.failed("watch", code));
                    } else {
                        const double at =
                            std::chrono::duration<double>(Clock::now() - start).count();
                        const std::size_t pad = label - std::min(label, t.name.size() + 2);
                        rows[i] = t.shown(
                            json ? json_position(p, number(static_cast<float>(at), true)) + "\n"
                                 : std::string(pad, ' ') + row(p, at),
                            json);
                    }
                    if (--waiting == 0) {
                        shown();
                    }
                }));
        }
    }

    void shown() {
        std::string all;
        for (const std::string& r : rows) {
            all += r;
        }
        write_out(all);
        // Output that can no longer be written ends the watch, as its last round.
        const bool last = round == count || output_error() != 0;
        for (const auto& t : context.targets()) {
            if (last) {
                t->end(0);
            }
        }
        if (!last) {
            const auto at = start + std::chrono::duration_cast<Clock::duration>(
                                        round * std::chrono::duration<double>(interval));
            context.after(std::chrono::duration<double>(at - Clock::now()).count(),
                          [this] { next(); });
        }
    }
};

}  // namespace

void watch(Context& context, double interval_seconds, int count, bool json) {
    auto rounds = std::make_shared<Rounds>(context, interval_seconds, count, json);
    bool started = false;
    // Ctrl-C ends the watch between samples, as the normal way out.
    context.run(
        [&](Target&) {
            if (started) {
                return;
            }
            started = true;
            if (context.many()) {
                for (const auto& t : context.targets()) {
                    rounds->label = std::max(rounds->label, t->name.size() + 2);
                }
            }
            if (!json) {
                std::string header = formatted("%*s%9s", static_cast<int>(rounds->label), "", "t");
                for (const Ptz::PositionField& f : Ptz::kPositionFields) {
                    header += formatted(" %*s", column_width(f), f.element);
                }
                write_out(header + "\n");
            }
            rounds->next();
        },
        true);
}

}  // namespace ptzctl
