#include "ptzctl_args.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>

namespace ptzctl {

const char* const kUsage =
    "usage: ptzctl --host ADDRESS --user NAME:PASSWORD COMMAND [ARGS]\n"
    "\n"
    "Steers a PTZ camera over its ISAPI interface (HTTP Digest, port 80).\n"
    "\n"
    "Commands:\n"
    "  position [--json]       print the absolute position (seven values), or one JSON object\n"
    "  goto [FIELDS] [--wait [--timeout SECONDS]]\n"
    "                          move to an absolute position; fields not given keep the\n"
    "                          camera's current values, read first:\n"
    "                          --elevation F --azimuth F --zoom F --focus N --focal-length N\n"
    "                          --hspeed F --vspeed F\n"
    "  move PAN TILT ZOOM [--for SECONDS]\n"
    "                          start continuous motion; with --for, stop (0 0 0) after SECONDS\n"
    "  stop                    continuous motion 0 0 0\n"
    "  home [--wait [--timeout SECONDS]]\n"
    "                          go to the camera's home position\n"
    "  zoom-reset [--wait [--timeout SECONDS]]\n"
    "                          set zoom 1.0 and focus 29000, keeping the rest of the position\n"
    "  watch [--interval SECONDS] [--count N] [--json]\n"
    "                          print the position every SECONDS (default 1), one aligned line\n"
    "                          or one JSON object per sample, N times or until Ctrl-C\n"
    "  light|wiper|fan on|off  switch an auxiliary device\n"
    "  get PATH                GET any resource (PATH starts with /) and print the answer\n"
    "\n"
    "--wait polls the position every 0.1 s after sending the move until every field given\n"
    "is within its tolerance of the target (elevation and azimuth 0.1, zoom 0.05, speeds\n"
    "0.01, focus and focal length exact; zoom-reset waits for zoom 1, home for the camera to\n"
    "settle), or until the position has not changed for 0.5 s (the camera may have clamped\n"
    "the target), or until SECONDS have passed (default 30). On a terminal one line shows\n"
    "the position and the distance left as it goes.\n"
    "\n"
    "--host takes a host name, an IPv4 address or a bracketed IPv6 address, nothing else.\n"
    "Credentials may come from the environment variable PTZCTL_USER (NAME:PASSWORD) instead of\n"
    "--user, so that they do not appear in the process list.\n"
    "\n"
    "Exit status: 0 success (--wait: the target was reached); 1 the HTTP transfer did not\n"
    "complete; 2 the answer is not well-formed XML; 10 the camera did not answer \"OK\"; 3 the\n"
    "position answer is not numbers; 4 --wait: the camera settled elsewhere; 5 --wait: timed\n"
    "out; 64 bad arguments.\n";

namespace {

// goto's options and the fields they set.
const std::map<std::string, std::optional<float> PositionChange::*> kFloatOptions = {
    {"--elevation", &PositionChange::elevation},
    {"--azimuth", &PositionChange::azimuth},
    {"--zoom", &PositionChange::absoluteZoom},
    {"--hspeed", &PositionChange::horizontalSpeed},
    {"--vspeed", &PositionChange::verticalSpeed}};
const std::map<std::string, std::optional<int> PositionChange::*> kIntOptions = {
    {"--focus", &PositionChange::focus}, {"--focal-length", &PositionChange::focalLen}};

// The library puts the address into its URLs as it stands, so a scheme, a port, a path, a query
// or user info would change where the requests go.
bool is_host(const std::string& host) {
    static const char kName[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        const std::string inside = host.substr(1, host.size() - 2);
        return inside.find(':') != std::string::npos &&
               inside.find_first_not_of("0123456789abcdefABCDEF:.") == std::string::npos;
    }
    return !host.empty() && host.find_first_not_of(kName) == std::string::npos;
}

bool is_option(const std::string& arg) {
    return arg.size() > 2 && arg.compare(0, 2, "--") == 0;
}

bool check_command(Invocation& in, std::string& error) {
    const std::string& c = in.command;
    const std::size_t n = in.args.size();
    auto expect = [&](bool ok, const char* what) {
        if (!ok) {
            error = what;
        }
        return ok;
    };
    if (c != "goto" && !in.change.empty()) {
        return expect(false, "position fields belong to goto");
    }
    if (c != "position" && c != "watch" && in.json) {
        return expect(false, "--json belongs to position and watch");
    }
    if (c != "move" && in.for_seconds != 0.0) {
        return expect(false, "--for belongs to move");
    }
    if (c != "goto" && c != "home" && c != "zoom-reset" && in.wait) {
        return expect(false, "--wait belongs to goto, home and zoom-reset");
    }
    if (!in.wait && in.timeout_seconds) {
        return expect(false, "--timeout belongs to --wait");
    }
    if (c != "watch" && (in.interval_seconds || in.count)) {
        return expect(false, "--interval and --count belong to watch");
    }
    if (c == "position" || c == "stop" || c == "home" || c == "zoom-reset" || c == "watch") {
        return expect(n == 0, "this command takes no arguments");
    }
    if (c == "goto") {
        return expect(n == 0 && !in.change.empty(), "goto needs at least one position field");
    }
    if (c == "move") {
        return expect(n == 3 && parse_int(in.args[0], in.motion.pan) &&
                          parse_int(in.args[1], in.motion.tilt) &&
                          parse_int(in.args[2], in.motion.zoom),
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

bool PositionChange::empty() const {
    return !elevation && !azimuth && !absoluteZoom && !horizontalSpeed && !verticalSpeed &&
           !focus && !focalLen;
}

void PositionChange::apply(Ptz::PtzAbsoluteEx& p) const {
    p.elevation = elevation.value_or(p.elevation);
    p.azimuth = azimuth.value_or(p.azimuth);
    p.absoluteZoom = absoluteZoom.value_or(p.absoluteZoom);
    p.focus = focus.value_or(p.focus);
    p.focalLen = focalLen.value_or(p.focalLen);
    p.horizontalSpeed = horizontalSpeed.value_or(p.horizontalSpeed);
    p.verticalSpeed = verticalSpeed.value_or(p.verticalSpeed);
}

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
        if (arg == "--json" || arg == "--wait") {
            (arg == "--json" ? in.json : in.wait) = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        const auto float_field = kFloatOptions.find(arg);
        const auto int_field = kIntOptions.find(arg);
        if (arg == "--host") {
            if (!is_host(value)) {
                error =
                    "--host takes a host name, an IPv4 address or a bracketed IPv6 address, "
                    "without scheme, port, path, query, user or spaces: " +
                    value;
                return false;
            }
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
        } else if (arg == "--timeout" || arg == "--interval") {
            float seconds;
            if (!parse_float(value, seconds) || seconds <= 0.0f || seconds > 3600.0f) {
                error = arg + " needs a number of seconds between 0 and 3600";
                return false;
            }
            (arg == "--timeout" ? in.timeout_seconds : in.interval_seconds) = seconds;
        } else if (arg == "--count") {
            int count;
            if (!parse_int(value, count) || count <= 0) {
                error = "--count needs a positive whole number";
                return false;
            }
            in.count = count;
        } else if (float_field != kFloatOptions.end() || int_field != kIntOptions.end()) {
            float f = 0.0f;
            int n = 0;
            const bool number =
                float_field != kFloatOptions.end() ? parse_float(value, f) : parse_int(value, n);
            if (!number) {
                error = "not a number for " + arg + ": " + value;
                return false;
            }
            if (float_field != kFloatOptions.end()) {
                in.change.*(float_field->second) = f;
            } else {
                in.change.*(int_field->second) = n;
            }
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
