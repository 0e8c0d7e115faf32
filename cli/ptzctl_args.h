#pragma once

#include <CLI/CLI.hpp>

#include <string>

#include "ptzctl_context.h"

namespace ptzctl {

// A number as strtof or strtol in base 10 reads it, the whole text, that `accept` takes;
// rewritten into a text CLI11 reads back exactly, where it would take "1e39" as infinity and
// "010" as octal. `refusal` says what is wrong.
CLI::Validator number(bool whole, bool (*accept)(double), const std::string& refusal);

extern const CLI::Validator kWhole;      // any whole number that fits an int
extern const CLI::Validator kFloat;      // any finite number that fits a float
extern const CLI::Validator kSeconds;    // above 0, up to 3600
extern const CLI::Validator kMotion;     // a continuous-motion value, -100 to 100
extern const CLI::Validator kFraction;   // a fraction of the picture, 0 to 1
extern const CLI::Validator kPreset;     // a preset number, 1 or more
extern const CLI::Validator kTour;       // a patrol or pattern number, 1 or more
extern const CLI::Validator kLensSpeed;  // a focus or iris speed, 1 to 100

// The connection options, on the command line, in the environment (PTZCTL_...) and in a camera
// file (--camera), with --verbose and --version.
void connection_options(CLI::App& app, Context& context);

}  // namespace ptzctl
