// ptz-camera-sim: a simulated PTZ camera in the foreground, logging each request unless --quiet.

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <system_error>

#include "camera_sim.h"
#include "capabilities_document.h"
#include "motion.h"
#include "ptz/terminal_text.h"

namespace {

int usage(std::FILE* out, int code) {
    std::fprintf(
        out,
        "usage: ptz-camera-sim --listen ADDR [--port N] [--user NAME:PASSWORD]\n"
        "                      [--channels N] [--cameras N] [--silent] [--quiet]\n"
        "                      [--tls-cert FILE --tls-key FILE]\n"
        "                      [--nonce-lifetime SECONDS] [--answer-delay MS]\n"
        "                      [--close-connections] [--position-answer full|lean|legacy]\n"
        "                      [--sparse-capabilities] [--occupied] [--challenge newer|older]\n"
        "                      [--lock-after N [--lock-time SECONDS]]\n"
        "       ptz-camera-sim --help | --version\n"
        "\n"
        "Serves a simulated PTZ camera's ISAPI resources over HTTP with Digest\n"
        "authentication on the IPv4 or IPv6 address ADDR (port 80 unless --port is\n"
        "given) until interrupted. Credentials default to admin:password.\n"
        "\n"
        "  --channels N        PTZ channels 1 to N (up to 4096), each moving on its own\n"
        "                      (default 1); a channel past N is an unknown resource (404)\n"
        "  --cameras N         N cameras (up to 4096) at consecutive IPv4 addresses from\n"
        "                      ADDR, each with its channels (65536 channels in all at\n"
        "                      most) and listening on its own address alone\n"
        "  --silent            take every connection and request, and never answer\n"
        "  --quiet             log no requests: stdout holds the listening line alone, so\n"
        "                      a host that never reads it does not stall the camera\n"
        "  --tls-cert, --tls-key  serve https with this PEM certificate and key\n"
        "  --nonce-lifetime S  refuse a Digest nonce as stale S seconds after its\n"
        "                      challenge (default: never)\n"
        "  --answer-delay MS   wait MS milliseconds before every answer, challenges\n"
        "                      included, as a slow camera does\n"
        "  --close-connections answer with \"Connection: close\" and close\n"
        "  --position-answer   how GET .../absoluteEx answers: full, all seven values\n"
        "                      (default); lean, elevation, azimuth, absoluteZoom and\n"
        "                      focus, as current cameras; legacy, HTTP 404 and a page,\n"
        "                      as older firmware, whose position is in .../status alone\n"
        "  --sparse-capabilities  .../capabilities holds the pan and tilt ranges alone\n"
        "  --occupied            another user of higher priority holds the PTZ: every\n"
        "                      command is answered HTTP 403 ptzOccupiedPriority\n"
        "  --challenge FORM    newer (default): two WWW-Authenticate headers, Digest\n"
        "                      then Basic; older: one Digest header\n"
        "  --lock-after N      after N refused logins in a row, refuse every request\n"
        "                      with the lock document for --lock-time S (default 1800)\n"
        "\n"
        "GET .../status answers elevation, azimuth and absoluteZoom in tenths under\n"
        "AbsoluteHigh, as preset lists do. Presets (.../presets, .../presets/N,\n"
        ".../presets/N/goto) keep the position of the moment they are saved, numbers\n"
        "1 to %d; goto travels like an absolute move. .../capabilities declares the\n"
        "special presets %s and names of up to %d bytes.\n"
        "\n"
        "The camera moves in real time; elevation grows upward:\n"
        "  continuous motion (PUT .../continuous) turns each axis at its top speed\n"
        "    times value/100, values clamped to -100..100, until 0 0 0 or a limit;\n"
        "    a new request replaces the motion in progress\n"
        "  a momentary move (PUT .../momentary) moves so for its duration, then stops\n"
        "  absolute moves and home travel at the top speeds, each axis on its own,\n"
        "    the short way round in azimuth; targets are clamped into range\n"
        "  azimuth    %3g deg/s, wraps at 360 (0 <= azimuth < 360)\n"
        "  elevation  %3g deg/s, %g to %g\n"
        "  zoom       %3g /s,    absoluteZoom %g to %g\n"
        "  focus, focal length and speeds are set at once\n"
        "The picture is %g deg wide and %g deg high at zoom 1 (16:9), narrower by the\n"
        "zoom. PUT .../position3D (0 to 255 from the bottom-left) turns the camera by\n"
        "the point's offset from the centre; a box drawn rightward zooms in by the\n"
        "picture's size over the box's (the smaller ratio), drawn leftward out.\n"
        "GET .../absoluteEx answers the position of the moment.\n",
        sim::kMaxPresetId, sim::kSpecialPresets, sim::kMaxPresetNameLength,
        sim::kPanDegreesPerSecond, sim::kTiltDegreesPerSecond,
        static_cast<double>(sim::kElevationMin), static_cast<double>(sim::kElevationMax),
        sim::kZoomPerSecond, static_cast<double>(sim::kZoomMin), static_cast<double>(sim::kZoomMax),
        sim::kHorizontalFieldOfView, sim::kVerticalFieldOfView);
    return code;
}

// A whole number from `low` to `high`, or false.
bool whole(const char* text, long low, long high, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return *text != '\0' && *end == '\0' && out >= low && out <= high;
}

// A PEM file of at most 1 MiB: a path to something else (/dev/zero) is not read for ever.
bool read_file(const char* path, std::string& out) {
    const std::size_t most = 1 << 20;
    std::ifstream in(path, std::ios::binary);
    out.assign(most + 1, '\0');
    in.read(&out[0], static_cast<std::streamsize>(out.size()));
    out.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad() && !out.empty() && out.size() <= most;
}

// The options that take a whole number, with their range.
struct Number {
    long low, high;
    void (*set)(sim::Options&, long);
};
const std::map<std::string, Number> kNumbers = {
    {"--port", {1, 65535, [](sim::Options& o, long n) { o.port = static_cast<std::uint16_t>(n); }}},
    {"--channels", {1, 4096, [](sim::Options& o, long n) { o.channels = static_cast<int>(n); }}},
    {"--cameras", {1, 4096, [](sim::Options& o, long n) { o.cameras = static_cast<int>(n); }}},
    {"--nonce-lifetime",
     {1, 86400, [](sim::Options& o, long n) { o.nonce_lifetime = std::chrono::seconds(n); }}},
    {"--answer-delay",
     {0, 60000, [](sim::Options& o, long n) { o.answer_delay = std::chrono::milliseconds(n); }}},
    {"--lock-after",
     {1, 1000, [](sim::Options& o, long n) { o.lock_after = static_cast<int>(n); }}},
    {"--lock-time",
     {1, 86400, [](sim::Options& o, long n) { o.lock_time = std::chrono::seconds(n); }}},
};

const long kMaxChannelsInAll = 65536;

// One line on stderr. An argument in it is shown as the library shows a camera's text: a pasted
// escape sequence or carriage return does not reach the terminal raw.
void say(const std::string& line) {
    std::fprintf(stderr, "ptz-camera-sim: %s\n", Ptz::terminal_text(line, 256).c_str());
}

// Why an argument is refused, and the exit status of a usage error.
int refuse(const std::string& why) {
    say(why);
    return 64;
}

// A standard stream that the caller closed (`>&-`) is given /dev/null, read-only: left closed,
// its number went to one of the camera's own sockets, and the first line written there ended the
// camera by SIGPIPE.
void fill_closed_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            [[maybe_unused]] const int taken = open("/dev/null", O_RDONLY);  // the lowest: fd
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    fill_closed_standard_streams();
    sim::Options options;
    bool have_address = false;
    std::uint32_t first_address = 0;
    bool ipv6 = false;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return usage(stdout, 0);
        }
        if (arg == "--version") {
            std::printf("ptz-camera-sim %s\n", ZELKO_PTZ_VERSION);
            return 0;
        }
        if (arg == "--sparse-capabilities" || arg == "--close-connections" || arg == "--silent" ||
            arg == "--occupied" || arg == "--quiet") {
            options.firmware.sparse_capabilities |= arg == "--sparse-capabilities";
            options.firmware.occupied |= arg == "--occupied";
            options.close_connections |= arg == "--close-connections";
            options.silent |= arg == "--silent";
            quiet |= arg == "--quiet";
            continue;
        }
        // The rest take a value.
        const auto known = kNumbers.find(arg);
        const bool takes_value = known != kNumbers.end() || arg == "--position-answer" ||
                                 arg == "--challenge" || arg == "--listen" || arg == "--tls-cert" ||
                                 arg == "--tls-key" || arg == "--user";
        if (!takes_value) {
            return refuse("unknown argument " + arg + "; see --help");
        }
        if (i + 1 == argc) {
            return refuse(arg + " needs a value; see --help");
        }
        const std::string value = argv[++i];
        if (known != kNumbers.end()) {
            const Number& n = known->second;
            long number = 0;
            if (!whole(value.c_str(), n.low, n.high, number)) {
                return refuse(arg + " takes " + std::to_string(n.low) + " to " +
                              std::to_string(n.high) + ": " + value);
            }
            n.set(options, number);
        } else if (arg == "--position-answer") {
            using PositionAnswer = sim::Firmware::PositionAnswer;
            if (value != "full" && value != "lean" && value != "legacy") {
                return refuse("--position-answer takes full, lean or legacy: " + value);
            }
            options.firmware.position_answer = value == "full"   ? PositionAnswer::Full
                                               : value == "lean" ? PositionAnswer::Lean
                                                                 : PositionAnswer::Legacy;
        } else if (arg == "--challenge") {
            if (value != "newer" && value != "older") {
                return refuse("--challenge takes newer or older: " + value);
            }
            options.challenge =
                value == "newer" ? sim::DigestAuth::Form::Newer : sim::DigestAuth::Form::Older;
        } else if (arg == "--listen") {
            in_addr parsed{};
            in6_addr parsed6{};
            ipv6 = inet_pton(AF_INET6, value.c_str(), &parsed6) == 1;
            if (!ipv6 && inet_pton(AF_INET, value.c_str(), &parsed) != 1) {
                return refuse("--listen takes an IPv4 or IPv6 address: " + value);
            }
            first_address = ntohl(parsed.s_addr);
            options.address = value;
            have_address = true;
        } else if (arg == "--tls-cert" || arg == "--tls-key") {
            std::string& pem = arg == "--tls-cert" ? options.tls_cert : options.tls_key;
            if (!read_file(value.c_str(), pem)) {
                return refuse("cannot read " + value);
            }
        } else {  // --user
            const std::size_t colon = value.find(':');
            if (colon == std::string::npos) {
                return refuse("--user takes NAME:PASSWORD");
            }
            options.user = value.substr(0, colon);
            options.password = value.substr(colon + 1);
        }
    }
    if (!have_address) {
        return refuse("--listen ADDR is needed; see --help");
    }
    // Cameras are told apart by their IPv4 address: one past the last would never be reached.
    if (ipv6 && options.cameras > 1) {
        return refuse("--cameras takes an IPv4 --listen address: " + options.address);
    }
    if (first_address + (static_cast<std::uint64_t>(options.cameras) - 1) > UINT32_MAX) {
        return refuse(std::to_string(options.cameras) + " cameras from " + options.address +
                      " run past 255.255.255.255");
    }
    // Each channel keeps its state (presets, patrols, patterns) from the start: about 3 KiB.
    const long channels = static_cast<long>(options.cameras) * options.channels;
    if (channels > kMaxChannelsInAll) {
        return refuse(std::to_string(options.cameras) + " cameras of " +
                      std::to_string(options.channels) + " channels make " +
                      std::to_string(channels) + "; 65536 channels in all at most");
    }
    if (options.tls_cert.empty() != options.tls_key.empty()) {
        return refuse("--tls-cert and --tls-key go together");
    }
    options.log = !quiet;

    // A fleet listens on a socket per camera and takes a connection or more for each: a shell's
    // usual 1,024 open files are below a large one, and a server may open as many as it is let.
    rlimit files{};
    if (options.cameras > 1 && getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    // SIGINT and SIGTERM are held in every thread, the camera's too, and taken by sigwait() at
    // the end: a handler's flag, read before pause(), missed a signal that came between the two,
    // and the camera then never stopped (1 in 100 stopped as soon as it listened). Held, they
    // reach sigwait() even where the camera's starter ignored them, as a shell does for a
    // command started with &.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    sim::CameraSim camera(options);
    try {
        camera.start();
    } catch (const std::system_error& e) {
        say(e.what());
        if (e.code().value() == EMFILE && getrlimit(RLIMIT_NOFILE, &files) == 0) {
            std::fprintf(stderr,
                         "ptz-camera-sim: %d cameras need a listening socket each; this process "
                         "may open %llu files (ulimit -Hn)\n",
                         options.cameras, static_cast<unsigned long long>(files.rlim_cur));
        }
        if (e.code().value() == EACCES && options.port < 1024) {
            std::fprintf(stderr,
                         "ptz-camera-sim: port %u needs root or a private network namespace; "
                         "see --port\n",
                         static_cast<unsigned>(options.port));
        }
        return 1;
    } catch (const std::exception& e) {
        say(e.what());
        return 1;
    }
    std::printf(
        "ptz-camera-sim: listening on %s:%u%s%s\n",
        (ipv6 ? "[" + options.address + "]" : options.address).c_str(),
        static_cast<unsigned>(options.port),
        options.cameras > 1
            ? (" and the next " + std::to_string(options.cameras - 1) + " addresses").c_str()
            : "",
        options.tls_cert.empty() ? "" : " (https)");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    camera.stop();
    return 0;
}
