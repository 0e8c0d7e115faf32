#include "ptzctl_args.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace ptzctl {

const char* const kUsage =
    "usage: ptzctl --host ADDRESS --user NAME:PASSWORD COMMAND [ARGS]\n"
    "\n"
    "Steers a PTZ camera over its ISAPI interface (HTTP Digest, port 80).\n"
    "\n"
    "Commands:\n"
    "  position [--json]       print the absolute position (seven values), or one JSON object\n"
    "  goto [FIELDS]           move to an absolute position; fields not given keep the\n"
    "                          camera's current values, read first:\n"
    "                          --elevation F --azimuth F --zoom F --focus N --focal-length N\n"
    "                          --hspeed F --vspeed F\n"
    "  move PAN TILT ZOOM [--for SECONDS]\n"
    "                          start continuous motion; with --for, stop (0 0 0) after SECONDS\n"
    "  stop                    continuous motion 0 0 0\n"
    "  home                    go to the camera's home position\n"
    "  zoom-reset              set zoom 1.0 and focus 29000, keeping the rest of the position\n"
    "  light|wiper|fan on|off  switch an auxiliary device\n"
    "  get PATH                GET any resource (PATH starts with /) and print the answer\n"
    "\n"
    "Credentials may come from the environment variable PTZCTL_USER (NAME:PASSWORD) instead of\n"
    "--user, so that they do not appear in the process list.\n"
    "\n"
    "Exit status: 0 success; 1 the HTTP transfer did not complete; 2 the answer is not\n"
    "well-formed XML; 10 the camera did not answer \"OK\"; 3 the position answer is not\n"
    "numbers; 64 bad arguments.\n";

namespace {

// goto's options and the record fields they set.
const std::map<std::string, std::string> kGotoOptions = {
    {"--elevation", "elevation"}, {"--azimuth", "azimuth"},       {"--zoom", "absoluteZoom"},
    {"--focus", "focus"},         {"--focal-length", "focalLen"}, {"--hspeed", "horizontalSpeed"},
    {"--vspeed", "verticalSpeed"}};

bool is_option(const std::string& arg) {
    return arg.size() > 2 && arg.compare(0, 2, "--") == 0;
}

bool check_command(const Invocation& in, std::string& error) {
    const std::string& c = in.command;
    const std::size_t n = in.args.size();
    auto expect = [&](bool ok, const char* what) {
        if (!ok) {
            error = what;
        }
        return ok;
    };
    if (c != "goto" && !in.fields.empty()) {
        return expect(false, "position fields belong to goto");
    }
    if (c != "position" && in.json) {
        return expect(false, "--json belongs to position");
    }
    if (c != "move" && in.for_seconds != 0.0) {
        return expect(false, "--for belongs to move");
    }
    if (c == "position" || c == "stop" || c == "home" || c == "zoom-reset") {
        return expect(n == 0, "this command takes no arguments");
    }
    if (c == "goto") {
        if (!expect(n == 0 && !in.fields.empty(), "goto needs at least one position field")) {
            return false;
        }
        for (const auto& f : in.fields) {
            float fv;
            int iv;
            const bool integer = f.first == "focus" || f.first == "focalLen";
            if (!(integer ? parse_int(f.second, iv) : parse_float(f.second, fv))) {
                error = "not a number for " + f.first + ": " + f.second;
                return false;
            }
        }
        return true;
    }
    if (c == "move") {
        int v;
        return expect(n == 3 && parse_int(in.args[0], v) && parse_int(in.args[1], v) &&
                          parse_int(in.args[2], v),
                      "move needs three integers: PAN TILT ZOOM");
    }
    if (c == "light" || c == "wiper" || c == "fan") {
        return expect(n == 1 && (in.args[0] == "on" || in.args[0] == "off"),
                      "an auxiliary device takes on or off");
    }
    if (c == "get") {
        return expect(n == 1 && !in.args[0].empty() && in.args[0][0] == '/',
                      "get needs one PATH starting with /");
    }
    error = "unknown command: " + c;
    return false;
}

}  // namespace

bool parse_float(const std::string& text, float& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

bool parse_int(const std::string& text, int& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool parse_arguments(int argc, const char* const* argv, const char* env_user, Invocation& out,
                     std::string& error) {
    Invocation in;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out = Invocation();
            return true;
        }
        if (!is_option(arg)) {
            if (in.command.empty()) {
                in.command = arg;
            } else {
                in.args.push_back(arg);
            }
            continue;
        }
        if (arg == "--json") {
            in.json = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        const auto field = kGotoOptions.find(arg);
        if (arg == "--host") {
            in.host = value;
        } else if (arg == "--user") {
            in.userpwd = value;
        } else if (arg == "--for") {
            float seconds;
            if (!parse_float(value, seconds) || seconds <= 0.0f || seconds > 3600.0f) {
                error = "--for needs a number of seconds between 0 and 3600";
                return false;
            }
            in.for_seconds = seconds;
        } else if (field != kGotoOptions.end()) {
            in.fields[field->second] = value;
        } else {
            error = "unknown option: " + arg;
            return false;
        }
    }
    if (in.userpwd.empty() && env_user != nullptr) {
        in.userpwd = env_user;
    }
    if (in.host.empty() || in.userpwd.empty() || in.command.empty()) {
        error = in.host.empty()      ? "--host is required"
                : in.userpwd.empty() ? "--user (or PTZCTL_USER) is required"
                                     : "a command is required";
        return false;
    }
    if (in.userpwd.find(':') == std::string::npos) {
        error = "credentials must be NAME:PASSWORD";
        return false;
    }
    if (!check_command(in, error)) {
        return false;
    }
    out = in;
    return true;
}

}  // namespace ptzctl
