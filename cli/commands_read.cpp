// The commands that read: position, watch, get, caps.

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "ptz/refusal.h"
#include "ptz/result.h"
#include "ptz/terminal_text.h"
#include "ptzctl_args.h"
#include "ptzctl_commands.h"
#include "ptzctl_output.h"
#include "ptzctl_poll.h"

namespace ptzctl {

namespace {

void add_position(CLI::App& app, Context& context) {
    add_reading<Ptz::PtzPosition>(&app, context, "position",
                                  "print the position the camera reports: degrees and zoom ratio",
                                  &Ptz::ZelkoPtzCameraIsapi::get_position, position_text,
                                  "one JSON object; a value not reported is null")
        ->footer(
            "Reads .../absoluteEx, or .../status in tenths from a camera without it. Prints only\n"
            "the values the camera reports: elevation and azimuth in degrees, absoluteZoom as the\n"
            "zoom ratio, focus, focalLen and the speeds in the camera's own numbers.");
}

void add_watch(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand("watch", "print the position every interval");
    struct Options {
        double interval = 1.0;
        int count = 0;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    command->add_option("--interval", o->interval, "between samples, default 1")
        ->type_name("SECONDS")
        ->transform(kSeconds);
    command->add_option("--count", o->count, "samples, default until Ctrl-C")
        ->transform(number(
            true, [](double n) { return n >= 1; }, "needs a positive whole number"));
    command->add_flag("--json", o->json, "one JSON object per sample, with t in seconds");
    command->callback([&context, o] { watch(context, o->interval, o->count, o->json); });
}

// `get PATH` judges the answer as get_info() does, but also shows it.
void add_get(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand("get", "GET any resource and print the answer");
    auto path = std::make_shared<std::string>();
    const auto absolute = [](std::string& p) {
        return std::string(p.rfind('/', 0) == 0 ? "" : "get needs a PATH starting with /");
    };
    command->add_option("PATH", *path)->required()->check(CLI::Validator(absolute, ""));
    command->callback([&context, path] {
        context.run([path](Target& t) {
            t.operation = t.camera().get_info(
                t.engine(), *path, t.guard([&t](int code, const std::string& answer) {
                    if (code == 1 || code == 10) {
                        t.end(t.failed("get", code));
                        return;
                    }
                    // The answer is the camera's: on a terminal its control bytes are shown, not
                    // obeyed; a pipe or a file gets it exact.
                    t.print(isatty(STDOUT_FILENO) != 0 ? Ptz::terminal_text(answer, answer.size())
                                                       : answer);
                    // A well-formed refusal is still a refusal: its reason, and the code of one.
                    const std::string refused = code == 0 ? Ptz::refusal_reason(answer) : "";
                    if (!refused.empty()) {
                        t.say("get: " + refused);
                        t.end(static_cast<int>(Ptz::Result::Rejected));
                        return;
                    }
                    t.end(code == 0 ? 0 : t.failed("get", code));
                }));
        });
    });
}

void add_caps(CLI::App& app, Context& context) {
    add_reading<Ptz::PtzCapabilitiesEx>(
        &app, context, "caps", "print what the camera can do: ranges, presets, auxiliaries",
        &Ptz::ZelkoPtzCameraIsapi::get_capabilities_ex, capabilities_text,
        "one JSON object; what is not reported is null")
        ->footer(
            "Reads .../capabilities: azimuth, elevation and zoom as the camera's absolute\n"
            "ranges in degrees and zoom ratio; pan, tilt and zoom_speed as its continuous\n"
            "ranges; how many presets it keeps and how long their names may be; the presets\n"
            "that run its own functions; click-to-center and box zoom (position3d); its\n"
            "auxiliaries.");
}

}  // namespace

void add_read_commands(CLI::App& app, Context& context) {
    add_position(app, context);
    add_watch(app, context);
    add_get(app, context);
    add_caps(app, context);
}

}  // namespace ptzctl
