#include "ptzctl_args.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
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

using Type = CameraFile::Type;

// The connection options, as a camera file names them, with the type of their values there and
// how the values are checked on the command line, in the environment and in the file alike.
const std::map<std::string, CameraFile::Key> kConnectionKeys = {
    {"host", {Type::String, check(check_host)}},
    {"user", {Type::String, check([](std::string& u) {
                  return std::string(u.find(':') != std::string::npos ? ""
                                                                      : "must be NAME:PASSWORD");
              })}},
    {"port",
     {Type::Integer, number(
                         true, [](double p) { return p != 0 && port_ok(p); }, "takes 1 to 65535")}},
    {"channel", {Type::Integer, number(true, channel_ok, "takes 1 or more")}},
    {"https", {Type::Boolean, CLI::IsMember({"true", "false"})}},
    {"insecure", {Type::Boolean, CLI::IsMember({"true", "false"})}},
    {"ca-file", {Type::String, CLI::ExistingFile}},
    {"pin", {Type::String, check(check_pin)}},
};

}  // namespace

const CLI::Validator kWhole = number(true, any, "not a whole number");
const CLI::Validator kFloat = number(false, any, "not a number");
const CLI::Validator kSeconds = number(
    false, [](double s) { return s > 0 && s <= 3600; }, "needs seconds between 0 and 3600");
const CLI::Validator kMotion = number(
    true, [](double v) { return v >= -100 && v <= 100; }, "takes -100 to 100");
const CLI::Validator kFraction = number(
    false, [](double f) { return Ptz::kPictureFractions.hold(f); },
    "takes 0 to 1, a fraction of the picture");
const CLI::Validator kPreset = number(
    true, [](double id) { return Ptz::kPresetIds.hold(id); }, "a preset's number is 1 or more");

void connection_options(CLI::App& app, Context& context) {
    Connection& c = context.connection;
    const auto& keys = kConnectionKeys;
    app.add_option("--host", c.host, "a host name, an IPv4 or a bracketed IPv6 address")
        ->envname("PTZCTL_HOST")
        ->required()
        ->check(keys.at("host").check);
    app.add_option("--user", c.userpwd, "NAME:PASSWORD")
        ->envname("PTZCTL_USER")
        ->required()
        ->check(keys.at("user").check);
    app.add_option("--port", c.port, "default 80, or 443 with --https")
        ->envname("PTZCTL_PORT")
        ->transform(keys.at("port").check);
    app.add_option("--channel", c.channel, "the PTZ channel, default 1")
        ->envname("PTZCTL_CHANNEL")
        ->transform(keys.at("channel").check);
    CLI::Option* https =
        app.add_flag("--https", c.https, "https instead of plain http")->envname("PTZCTL_HTTPS");
    app.add_option("--ca-file", c.ca_file, "trust the CAs in this PEM file, not the system's")
        ->envname("PTZCTL_CA_FILE")
        ->check(keys.at("ca-file").check)
        ->needs(https);
    app.add_option("--pin", c.pin, "the camera's key, sha256//<base64>: a self-signed one passes")
        ->envname("PTZCTL_PIN")
        ->check(keys.at("pin").check)
        ->needs(https);
    app.add_flag("--insecure", c.insecure, "any certificate: anyone on the path can pose as it")
        ->needs(https);
    auto file = std::make_shared<CameraFile>(kConnectionKeys);
    app.config_formatter(file);
    const auto resolve = [file](std::string& name) {
        name = file->resolve(name);
        return std::string();
    };
    app.set_config("--camera", "", "connection options from a camera file")
        ->type_name("NAME|PATH")
        ->transform(CLI::Validator(resolve, ""));
    app.add_flag("-v,--verbose", context.verbose,
                 "on a failure, also the library's whole error line with the camera's answer");
    app.set_version_flag("--version", [] {
        return std::string("ptzctl ") + ZELKO_PTZ_VERSION + ", library " + Ptz::version();
    });
}

}  // namespace ptzctl
