#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "ptzctl_context.h"
#include "ptzctl_poll.h"

namespace ptzctl {

// Each adds its subcommands to `app`, each with its own options and its callback, which runs the
// command on `context`'s camera and leaves its exit status in context.status.

// position, watch, get, caps
void add_read_commands(CLI::App& app, Context& context);
// goto, move, stop, home, zoom-reset, move-by, center, zoom-box, light, wiper, fan
void add_move_commands(CLI::App& app, Context& context);
// preset list, set, goto, remove
void add_preset_commands(CLI::App& app, Context& context);
// focus, iris, patrol, pattern, park
void add_console_commands(CLI::App& app, Context& context);

// --wait and --timeout on `command`: after the move, poll until it has ended (ptzctl_poll.h).
struct Wait {
    bool wait = false;
    double timeout_seconds = 30.0;
};
void wait_options(CLI::App* command, Wait& wait);

// What a command's last step does when the camera has answered `code`: ends the command on `t`,
// or with --wait waits for `target` first.
inline Ptz::Callback then_wait(Context& context, Target& t, const std::string& command,
                               const Wait& wait, const Ptz::PtzPosition& target) {
    return t.guard([&context, &t, command, wait, target](int code) {
        if (code != 0) {
            t.end(t.failed(command, code));
        } else if (wait.wait) {
            wait_for_move(t, command, target, wait.timeout_seconds, context);
        } else {
            t.end(0);
        }
    });
}

// Runs `command` on every camera at once: `first(t, done)` submits its first step on `t` and
// returns the operation; `done` is then_wait()'s.
template <typename First>
void run_on_every_camera(Context& context, const std::string& command, const Wait& wait,
                         const Ptz::PtzPosition& target, First first) {
    context.run(
        [&](Target& t) { t.operation = first(t, then_wait(context, t, command, wait, target)); });
}

// A command that reads a value and prints it, `<what> [--json]`: `what` is the command's words
// ("patrol list", "caps"), under which `parent` gains the last; its failure names them.
template <typename Value>
CLI::App* add_reading(CLI::App* parent, Context& context, const std::string& what, const char* help,
                      Ptz::Operation (Ptz::ZelkoPtzCameraIsapi::*read)(Ptz::Engine&,
                                                                       Ptz::ValueCallback<Value>),
                      std::string (*text)(const Value&, bool), const char* json_help = "JSON") {
    CLI::App* sub = parent->add_subcommand(what.substr(what.rfind(' ') + 1), help);
    auto json = std::make_shared<bool>(false);
    sub->add_flag("--json", *json, json_help);
    sub->callback([&context, json, what, read, text] {
        context.run([json, what, read, text](Target& t) {
            t.operation = (t.camera().*read)(
                t.engine(), t.guard([&t, json, what, text](int code, const Value& value) {
                    if (code != 0) {
                        t.end(t.failed(what, code));
                        return;
                    }
                    t.print(text(value, *json), *json);
                    t.end(0);
                }));
        });
    });
    return sub;
}

}  // namespace ptzctl
