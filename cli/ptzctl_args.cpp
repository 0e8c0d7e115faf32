#include "ptzctl_args.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>

#include "ptzctl_camera_file.h"

namespace ptzctl {

namespace {

const char* const kFooter =
    "Connection options may also come from a camera file (--camera NAME reads\n"
    "$XDG_CONFIG_HOME/ptzctl/NAME.toml, by default ~/.config/ptzctl/NAME.toml; a NAME with a /\n"
    "is a path) and from the environment: PTZCTL_HOST, PTZCTL_USER, PTZCTL_PORT, PTZCTL_CHANNEL,\n"
    "PTZCTL_HTTPS, PTZCTL_CA_FILE, PTZCTL_PIN. The command line wins over the file, the file\n"
    "over the environment. PTZCTL_USER keeps the password out of the process list.\n\n"
    "Every command runs on one kept connection: the first request is challenged, the others\n"
    "answer the kept Digest challenge. ptzctl COMMAND --help shows a command's options.\n\n"
    "Exit status: 0 success (--wait: the target was reached); 1 the HTTP transfer did not\n"
    "complete; 2 the answer is not well-formed XML; 10 the camera did not answer \"OK\"; 3 the\n"
    "position answer is not numbers; 4 --wait: the camera settled elsewhere; 5 --wait: timed\n"
    "out; 64 bad arguments.";

const char* const kWaitFooter =
    "--wait polls the position every 0.1 s after sending the move until every field given is\n"
    "within its tolerance of the target (elevation and azimuth 0.1, azimuth round the circle,\n"
    "zoom 0.05, speeds 0.01, focus and focal length exact; zoom-reset waits for zoom 1; home and\n"
    "preset goto for the camera to settle), or until the position has not changed for 0.5 s\n"
    "(the camera may have clamped the target), or until --timeout SECONDS (default 30). On a\n"
    "terminal one line shows the position and the distance left as it goes.";

// A number as strtof or strtol in base 10 reads it, the whole text, that `accept` takes;
// rewritten into a text CLI11 reads back exactly, where it would take "1e39" as infinity and
// "010" as octal.
CLI::Validator number(bool whole, bool (*accept)(double), const std::string& refusal) {
    const auto check = [whole, accept, refusal](std::string& text) {
        char* end = nullptr;
        errno = 0;
        const double value =
            whole ? std::strtol(text.c_str(), &end, 10) : std::strtof(text.c_str(), &end);
        const bool good = !text.empty() && !std::isspace(static_cast<unsigned char>(text[0])) &&
                          *end == '\0' && errno != ERANGE && std::isfinite(value) &&
                          (!whole || (value >= INT_MIN && value <= INT_MAX)) && accept(value);
        if (!good) {
            return refusal + ": " + text;
        }
        char exact[64];
        std::snprintf(exact, sizeof exact, whole ? "%.0f" : "%a", value);
        text = exact;
        return std::string();
    };
    return CLI::Validator(check, "");
}

bool any(double) {
    return true;
}

bool positive(double n) {
    return n >= 1;
}

const CLI::Validator kWhole = number(true, any, "not a whole number");
const CLI::Validator kFloat = number(false, any, "not a number");
const CLI::Validator kSeconds = number(
    false, [](double s) { return s > 0 && s <= 3600; }, "needs seconds between 0 and 3600");

// The library puts the address into its URLs as it stands, so a scheme, a port, a path, a query
// or user info would change where the requests go.
std::string check_host(std::string& host) {
    static const char kName[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";
    const bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
    const std::string inside = bracketed ? host.substr(1, host.size() - 2) : "";
    const bool good =
        bracketed ? inside.find(':') != std::string::npos &&
                        inside.find_first_not_of("0123456789abcdefABCDEF:.") == std::string::npos
                  : !host.empty() && host.find_first_not_of(kName) == std::string::npos;
    return good ? ""
                : "takes a host name, an IPv4 address or a bracketed IPv6 address, without "
                  "scheme, port, path, query, user or spaces: " +
                      host;
}

CLI::Validator check(std::string (*test)(std::string&)) {
    return CLI::Validator(test, "");
}

// The connection options, as a camera file names them, and how their values are checked on the
// command line, in the environment and in the file alike.
const std::map<std::string, CLI::Validator> kConnectionKeys = {
    {"host", check(check_host)},
    {"user", check([](std::string& u) {
         return std::string(u.find(':') != std::string::npos ? "" : "must be NAME:PASSWORD");
     })},
    {"port", number(
                 true, [](double p) { return p >= 1 && p <= 65535; }, "takes 1 to 65535")},
    {"channel", number(true, positive, "takes 1 or more")},
    {"https", CLI::IsMember({"true", "false"})},
    {"insecure", CLI::IsMember({"true", "false"})},
    {"ca-file", CLI::ExistingFile},
    // The library checks the digest; this catches a file given in its place.
    {"pin", check([](std::string& p) {
         return std::string(p.rfind("sha256//", 0) == 0 ? "" : "takes sha256// and a digest");
     })},
};

// --wait and --timeout, for the commands that move.
void wait_options(CLI::App* command, Invocation& in) {
    CLI::Option* wait = command->add_flag("--wait", in.wait, "poll until the move has ended");
    command->add_option("--timeout", in.timeout_seconds, "default 30")
        ->transform(kSeconds)
        ->needs(wait);
    command->footer(kWaitFooter);
}

void preset_number(CLI::App* command, Invocation& in) {
    command->add_option("N", in.preset)
        ->required()
        ->transform(number(true, positive, "a preset's number is 1 or more"));
}

void connection_options(CLI::App& app, Connection& c, CameraFile& file) {
    app.add_option("--host", c.host, "a host name, an IPv4 or a bracketed IPv6 address")
        ->envname("PTZCTL_HOST")
        ->required()
        ->check(kConnectionKeys.at("host"));
    app.add_option("--user", c.userpwd, "NAME:PASSWORD")
        ->envname("PTZCTL_USER")
        ->required()
        ->check(kConnectionKeys.at("user"));
    app.add_option("--port", c.port, "default 80, or 443 with --https")
        ->envname("PTZCTL_PORT")
        ->transform(kConnectionKeys.at("port"));
    app.add_option("--channel", c.channel, "the PTZ channel, default 1")
        ->envname("PTZCTL_CHANNEL")
        ->transform(kConnectionKeys.at("channel"));
    CLI::Option* https =
        app.add_flag("--https", c.https, "https instead of plain http")->envname("PTZCTL_HTTPS");
    app.add_option("--ca-file", c.ca_file, "trust the CAs in this PEM file, not the system's")
        ->envname("PTZCTL_CA_FILE")
        ->check(kConnectionKeys.at("ca-file"))
        ->needs(https);
    app.add_option("--pin", c.pin, "the camera's key, sha256//<base64>: a self-signed one passes")
        ->envname("PTZCTL_PIN")
        ->check(kConnectionKeys.at("pin"))
        ->needs(https);
    app.add_flag("--insecure", c.insecure, "any certificate: anyone on the path can pose as it")
        ->needs(https);
    const auto resolve = [&file](std::string& name) {
        name = file.resolve(name);
        return std::string();
    };
    app.set_config("--camera", "", "connection options from a camera file")
        ->type_name("NAME|PATH")
        ->transform(CLI::Validator(resolve, ""));
}

void commands(CLI::App& app, Invocation& in) {
    app.add_subcommand("position", "print the absolute position")->add_flag("--json", in.json);

    CLI::App* go = app.add_subcommand("goto", "move to an absolute position");
    PositionChange& to = in.change;
    go->add_option("--elevation", to.elevation)->transform(kFloat);
    go->add_option("--azimuth", to.azimuth)->transform(kFloat);
    go->add_option("--zoom", to.absoluteZoom)->transform(kFloat);
    go->add_option("--focus", to.focus)->transform(kWhole);
    go->add_option("--focal-length", to.focalLen)->transform(kWhole);
    go->add_option("--hspeed", to.horizontalSpeed)->transform(kFloat);
    go->add_option("--vspeed", to.verticalSpeed)->transform(kFloat);
    wait_options(go, in);
    go->footer(std::string("Fields not given keep the camera's values, read first.\n\n") +
               kWaitFooter);
    go->callback([&in] {
        if (in.change.empty()) {
            throw CLI::ValidationError("goto needs at least one position field");
        }
    });

    CLI::App* move = app.add_subcommand("move", "start continuous motion");
    move->add_option("PAN", in.motion.pan)->required()->transform(kWhole);
    move->add_option("TILT", in.motion.tilt)->required()->transform(kWhole);
    move->add_option("ZOOM", in.motion.zoom)->required()->transform(kWhole);
    move->add_option("--for", in.for_seconds, "stop (0 0 0) after SECONDS")->transform(kSeconds);

    app.add_subcommand("stop", "continuous motion 0 0 0");
    wait_options(app.add_subcommand("home", "go to the camera's home position"), in);
    wait_options(app.add_subcommand("zoom-reset", "zoom 1.0 and focus 29000, the rest kept"), in);

    CLI::App* watch = app.add_subcommand("watch", "print the position every interval");
    watch->add_option("--interval", in.interval_seconds, "default 1")->transform(kSeconds);
    watch->add_option("--count", in.count, "samples, default until Ctrl-C")
        ->transform(number(true, positive, "needs a positive whole number"));
    watch->add_flag("--json", in.json, "one JSON object per sample");

    for (const char* device : {"light", "wiper", "fan"}) {
        app.add_subcommand(device, std::string("switch the ") + device + " on or off")
            ->add_option("STATE", in.argument)
            ->required()
            ->check(CLI::IsMember({"on", "off"}));
    }
    const auto absolute = [](std::string& path) {
        return std::string(path.rfind('/', 0) == 0 ? "" : "get needs a PATH starting with /");
    };
    app.add_subcommand("get", "GET any resource and print the answer")
        ->add_option("PATH", in.argument)
        ->required()
        ->check(CLI::Validator(absolute, ""));

    CLI::App* preset = app.add_subcommand("preset", "the camera's presets");
    preset->require_subcommand(1);
    preset->add_subcommand("list", "print the presets")->add_flag("--json", in.json);
    CLI::App* set = preset->add_subcommand("set", "save the position as N");
    preset_number(set, in);
    set->add_option("NAME", in.preset_name, "default \"Preset N\"");
    CLI::App* travel = preset->add_subcommand("goto", "move to preset N");
    preset_number(travel, in);
    wait_options(travel, in);
    preset_number(preset->add_subcommand("remove", "forget preset N"), in);
}

}  // namespace

int parse_arguments(int argc, const char* const* argv, Invocation& out) {
    Invocation in;
    CLI::App app("Steers a PTZ camera over its ISAPI interface (HTTP Digest).", "ptzctl");
    app.fallthrough();  // connection options may follow the command, too
    app.require_subcommand(1);
    auto file = std::make_shared<CameraFile>(kConnectionKeys);
    app.config_formatter(file);
    connection_options(app, in.camera, *file);
    commands(app, in);
    app.footer(kFooter);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << "ptzctl: " << e.what() << "\n";
        return 64;
    }
    for (const CLI::App* command = &app; !command->get_subcommands().empty();) {
        command = command->get_subcommands().front();
        in.command += (in.command.empty() ? "" : " ") + command->get_name();
    }
    out = in;
    return -1;
}

}  // namespace ptzctl
