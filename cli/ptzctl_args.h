#pragma once

#include <optional>
#include <string>

#include "position_change.h"

namespace ptzctl {

// Where the camera is and how to reach it: the command line, a camera file, the environment.
struct Connection {
    std::string host, userpwd, ca_file, pin;
    int port = 0;
    int channel = 1;
    bool https = false, insecure = false;
};

// What the command line asks for, checked and converted but not yet run.
struct Invocation {
    Connection camera;
    std::string command;   // "position", "light", "preset goto", ...
    std::string argument;  // get's PATH, a device's "on" or "off"
    bool json = false;
    double for_seconds = 0.0;  // move --for; 0 keeps moving
    Ptz::PtzCtrl motion{0, 0, 0};
    PositionChange change;                   // goto
    bool wait = false;                       // poll until the move has ended
    std::optional<double> timeout_seconds;   // --wait
    std::optional<double> interval_seconds;  // watch
    std::optional<int> count;                // watch; none: until interrupted
    int preset = 0;
    std::optional<std::string> preset_name;  // preset set
};

// Parses argv, with a camera file and the environment under the command line. Returns -1 with
// `out` filled when there is a command to run; otherwise the exit status, after printing the
// help asked for (0) or one line naming what is wrong (64).
int parse_arguments(int argc, const char* const* argv, Invocation& out);

}  // namespace ptzctl
