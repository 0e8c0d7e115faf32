#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ptz/ptz_types.h"

namespace ptzctl {

// The fields of an absolute move that the command line gives; the others keep the camera's.
struct PositionChange {
    std::optional<float> elevation, azimuth, absoluteZoom, horizontalSpeed, verticalSpeed;
    std::optional<int> focus, focalLen;

    bool empty() const;
    void apply(Ptz::PtzAbsoluteEx& position) const;
};

// What the command line asks for, checked and converted but not yet run.
struct Invocation {
    std::string host;
    std::string userpwd;
    std::string command;            // "" for --help
    std::vector<std::string> args;  // the command's own arguments
    bool json = false;
    double for_seconds = 0.0;               // move --for; 0 keeps moving
    Ptz::PtzCtrl motion{0, 0, 0};           // move
    PositionChange change;                  // goto
    bool wait = false;                      // goto, home, zoom-reset: poll until the move has ended
    std::optional<double> timeout_seconds;  // --wait
    std::optional<double> interval_seconds;  // watch
    std::optional<int> count;                // watch; none: until interrupted
};

// Parses argv; `env_user` stands in for --user when that is absent (nullptr when unset).
// Returns false with a one-line reason in `error` when the arguments are unusable.
bool parse_arguments(int argc, const char* const* argv, const char* env_user, Invocation& out,
                     std::string& error);

// Strict number texts: the whole text must be the number.
bool parse_float(const std::string& text, float& out);
bool parse_int(const std::string& text, int& out);

extern const char* const kUsage;

}  // namespace ptzctl
