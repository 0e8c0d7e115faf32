#include "ptzctl_args.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "ptz/camera_options.h"
#include "ptz/limits.h"
#include "ptzctl_camera_file.h"

namespace ptzctl {

CLI::Validator number(bool whole, bool (*accept)(double), const std::string& refusal) {
    const auto check = [whole, accept, refusal](std::string& text) {
        char* end = nullptr;
        errno = 0;
        const double value =
            whole ? std::strtol(text.c_str(), &end, 10) : std::strtof(text.c_str(), &end);
        const bool read =
            !text.empty() && !std::isspace(static_cast<unsigned char>(text[0])) && *end == '\0';
        // A number past a float's range ("1e39"), below its least ("1e-50") or past a whole
        // number's ("3000000000") is one still.
        if (read && (errno == ERANGE || (whole && (value < INT_MIN || value > INT_MAX)))) {
            return std::string(whole ? "out of a whole number's range: "
                                     : "out of a float's range: ") +
                   text;
        }
        const bool good = read && std::isfinite(value) && accept(value);
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

namespace {

bool any(double) {
    return true;
}

// The library's own checks of what ptzctl hands it, so that a mistake is said before contact.
bool port_ok(double port) {
    Ptz::CameraOptions o;
    o.port = static_cast<int>(port);
    return Ptz::options_error(o).empty();
}

bool channel_ok(double channel) {
    return Ptz::kChannels.hold(channel);
}

std::string check_pin(std::string& pin) {
    Ptz::CameraOptions o;
    o.https = true;
    o.pinned_key = pin;
    const std::string bad = Ptz::options_error(o);
    return bad.empty() ? ""
                       : "takes sha256// and the base64 SHA-256 of the key, several joined by ;";
}

// The library's own check, in ptzctl's words: a scheme, a port, a path, a query or user info
// would change where the requests go. An IPv6 address may name its interface (fe80::5%eth0).
std::string check_host(std::string& host) {
    return Ptz::address_error(host).empty()
               ? ""
               : "takes a host name, an IPv4 address or a bracketed IPv6 address, without "
                 "scheme, port, path, query, user or spaces: " +
                     host;
}

CLI::Validator check(std::string (*test)(std::string&)) {
    return CLI::Validator(test, "");
}

using Type = CameraFile::Type;

std::string truth(std::string& value) {
    return value == "true" || value == "false" ? std::string() : "takes true or false: " + value;
}

// The connection options, as a camera file names them, with the type of their values there and
// how the values are checked on the command line, in the environment and in the file alike.
const std::map<std::string, CameraFile::Key> kConnectionKeys = {
    {"host", {Type::String, check(check_host)}},
    {"user", {Type::String, check([](std::string& u) {
                  return u.find(':') == std::string::npos ? std::string("must be NAME:PASSWORD")
                                                          : Ptz::credentials_error(u);
              })}},
    {"port",
     {Type::Integer, number(
                         true, [](double p) { return p != 0 && port_ok(p); }, "takes 1 to 65535")}},
    {"channel", {Type::Integer, number(true, channel_ok, "takes 1 or more")}},
    {"https", {Type::Boolean, check(truth)}},
    {"insecure", {Type::Boolean, check(truth)}},
    {"ca-file", {Type::String, CLI::ExistingFile}},
    {"pin", {Type::String, check(check_pin)}},
};

}  // namespace

const CLI::Validator kWhole = number(true, any, "not a whole number");
const CLI::Validator kFloat = number(false, any, "not a number");
const CLI::Validator kSeconds = number(
    false, [](double s) { return s > 0 && s <= 3600; },
    "needs seconds, more than 0 and at most 3600");
const CLI::Validator kMotion = number(
    true, [](double v) { return v >= -100 && v <= 100; }, "takes -100 to 100");
const CLI::Validator kFraction = number(
    false, [](double f) { return Ptz::kPictureFractions.hold(f); },
    "takes 0 to 1, a fraction of the picture");
const CLI::Validator kPreset = number(
    true, [](double id) { return Ptz::kPresetIds.hold(id); }, "a preset's number is 1 or more");
const CLI::Validator kTour = number(
    true, [](double id) { return Ptz::kTourIds.hold(id); },
    "a patrol's or pattern's number is 1 or more");
const CLI::Validator kLensSpeed = number(
    true, [](double v) { return v >= 1 && Ptz::kLensSpeeds.hold(v); }, "takes 1 to 100");

namespace {

// What the command line says of the cameras: the hosts and camera files in the order given, and
// the options that every camera takes from it.
struct CommandLine {
    CLI::App* app = nullptr;
    std::vector<std::string> hosts, files;
    std::map<std::string, std::string> values;  // by the keys of kConnectionKeys
    std::map<std::string, CLI::Option*> options;
    bool https = false, insecure = false;
};

// The environment's value of `key`, as the command line would take it.
bool from_environment(const std::string& key, std::string& value) {
    std::string name = "PTZCTL_" + key;
    for (char& c : name) {
        c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const char* set = key == "insecure" ? nullptr : std::getenv(name.c_str());
    if (set == nullptr) {
        return false;
    }
    value = set;
    if (kConnectionKeys.at(key).type == CameraFile::Type::Boolean) {
        const std::string v = value;
        value = v == "1" || v == "true" || v == "yes" || v == "on"    ? "true"
                : v == "0" || v == "false" || v == "no" || v == "off" ? "false"
                                                                      : v;
    }
    const std::string wrong = kConnectionKeys.at(key).check(value);
    if (!wrong.empty()) {
        throw CLI::ValidationError(name, wrong);
    }
    return true;
}

// The keys of the camera file `name`, checked as the command line checks them.
std::map<std::string, std::string> from_file(const std::string& name) {
    CameraFile file(kConnectionKeys);
    const std::string path = file.resolve(name);
    std::ifstream input(path);
    if (!input) {
        throw CLI::FileError::Missing(path);
    }
    std::map<std::string, std::string> values;
    for (const CLI::ConfigItem& item : file.from_config(input)) {
        values[item.name] = item.inputs.front();
    }
    return values;
}

// One camera: its host or its file (or both, from a command line of one of each), completed by
// the environment, then the file, then the command line.
NamedConnection resolved(const CommandLine& line, const std::string* host,
                         const std::string* file) {
    std::map<std::string, std::string> v;
    for (const auto& key : kConnectionKeys) {
        std::string value;
        if (from_environment(key.first, value)) {
            v[key.first] = value;
        }
    }
    if (file != nullptr) {
        for (const auto& item : from_file(*file)) {
            v[item.first] = item.second;
        }
    }
    for (const auto& option : line.options) {
        if (option.first != "host" && option.second->count() > 0) {
            v[option.first] = line.values.at(option.first);
        }
    }
    if (line.https) {
        v["https"] = "true";
    }
    if (line.insecure) {
        v["insecure"] = "true";
    }
    if (host != nullptr) {
        v["host"] = *host;
    }
    for (const char* required : {"host", "user"}) {
        if (v.count(required) == 0) {
            throw CLI::RequiredError(std::string("--") + required);
        }
    }
    const bool https = v["https"] == "true";
    for (const char* key : {"ca-file", "pin", "insecure"}) {
        if (!https && v.count(key) != 0 && v[key] != "false") {
            throw CLI::RequiresError(std::string("--") + key, "--https");
        }
    }
    Connection c;
    c.host = v["host"];
    c.userpwd = v["user"];
    c.port = v.count("port") != 0 ? std::stoi(v["port"]) : 0;
    c.channel = v.count("channel") != 0 ? std::stoi(v["channel"]) : 1;
    c.https = https;
    c.insecure = v["insecure"] == "true";
    c.ca_file = v["ca-file"];
    c.pin = v["pin"];
    return {file != nullptr && host == nullptr ? *file : c.host, c};
}

// Every camera the command line names, in the order given. A host and a camera file given once
// each are one camera, the host winning over the file's.
std::vector<NamedConnection> cameras_of(const CommandLine& line) {
    std::vector<NamedConnection> cameras;
    if (line.hosts.size() <= 1 && line.files.size() <= 1) {
        cameras.push_back(resolved(line, line.hosts.empty() ? nullptr : &line.hosts[0],
                                   line.files.empty() ? nullptr : &line.files[0]));
        return cameras;
    }
    std::size_t host = 0, file = 0;
    for (const CLI::Option* option : line.app->parse_order()) {
        if (option == line.options.at("host") && host < line.hosts.size()) {
            cameras.push_back(resolved(line, &line.hosts[host++], nullptr));
        } else if (option->get_name() == "--camera" && file < line.files.size()) {
            cameras.push_back(resolved(line, nullptr, &line.files[file++]));
        }
    }
    return cameras;
}

}  // namespace

void connection_options(CLI::App& app, Context& context) {
    auto line = std::make_shared<CommandLine>();
    line->app = &app;
    const auto& keys = kConnectionKeys;
    const auto value = [&](const char* key, const std::string& help) {
        CLI::Option* option = app.add_option(std::string("--") + key, line->values[key], help);
        line->options[key] = option;
        return option;
    };
    // --host and --camera may be given many times, each for one camera. Each value is taken as
    // it stands: CLI11 would read "[::1]" as a list of one, "::1".
    line->options["host"] =
        app.add_option("--host", line->hosts,
                       "a host name, an IPv4 or a bracketed IPv6 address; again for more cameras")
            ->expected(1)
            ->take_all()
            ->allow_extra_args(false)
            ->check(keys.at("host").check);
    app.add_option("--camera", line->files,
                   "connection options from a camera file; again for more cameras")
        ->type_name("NAME|PATH")
        ->expected(1)
        ->take_all()
        ->allow_extra_args(false);
    value("user", "NAME:PASSWORD")->check(keys.at("user").check);
    value("port", "default 80, or 443 with --https")->transform(keys.at("port").check);
    value("channel", "the PTZ channel, default 1")->transform(keys.at("channel").check);
    app.add_flag("--https", line->https, "https instead of plain http");
    value("ca-file", "trust the CAs in this PEM file, not the system's")
        ->check(keys.at("ca-file").check);
    value("pin", "the camera's key, sha256//<base64>: a self-signed one passes")
        ->check(keys.at("pin").check);
    app.add_flag("--insecure", line->insecure,
                 "any certificate: anyone on the path can pose as it");
    context.cameras = [line] { return cameras_of(*line); };
    app.add_flag("-v,--verbose", context.verbose,
                 "on a failure, also the library's whole error line with the camera's answer");
    app.set_version_flag("--version", [] {
        return std::string("ptzctl ") + ZELKO_PTZ_VERSION + ", library " + Ptz::version();
    });
}

}  // namespace ptzctl
