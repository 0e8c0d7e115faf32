#pragma once

#include <CLI/CLI.hpp>

#include "ptzctl_context.h"

namespace ptzctl {

// Each adds its subcommands to `app`, each with its own options and its callback, which runs the
// command on `context`'s camera and leaves its exit status in context.status.

// position, watch, get, caps
void add_read_commands(CLI::App& app, Context& context);
// goto, move, stop, home, zoom-reset, move-by, center, zoom-box, light, wiper, fan
void add_move_commands(CLI::App& app, Context& context);
// preset list, set, goto, remove
void add_preset_commands(CLI::App& app, Context& context);

// --wait and --timeout on `command`: after the move, poll until it has ended (ptzctl_poll.h).
struct Wait {
    bool wait = false;
    double timeout_seconds = 30.0;
};
void wait_options(CLI::App* command, Wait& wait);

}  // namespace ptzctl
