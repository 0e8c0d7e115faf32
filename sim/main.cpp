// ptz-camera-sim: a simulated PTZ camera in the foreground, one log line per request.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "camera_sim.h"
#include "motion.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void on_signal(int) {
    g_stop = 1;
}

int usage(std::FILE* out, int code) {
    std::fprintf(out,
                 "usage: ptz-camera-sim --listen ADDR [--port N] [--user NAME:PASSWORD]\n"
                 "\n"
                 "Serves a simulated PTZ camera's ISAPI resources over HTTP with Digest\n"
                 "authentication on the IPv4 address ADDR (port 80 unless --port is given)\n"
                 "until interrupted. Credentials default to admin:password.\n"
                 "\n"
                 "The camera moves in real time:\n"
                 "  continuous motion (PUT .../continuous) turns each axis at its top speed\n"
                 "    times value/100, values clamped to -100..100, until 0 0 0 or a limit;\n"
                 "    a new request replaces the motion in progress\n"
                 "  absolute moves and home travel at the top speeds, each axis on its own,\n"
                 "    the short way round in azimuth; targets are clamped into range\n"
                 "  azimuth    %3g deg/s, wraps at 360 (0 <= azimuth < 360)\n"
                 "  elevation  %3g deg/s, %g to %g\n"
                 "  zoom       %3g /s,    absoluteZoom %g to %g\n"
                 "  focus, focal length and speeds are set at once\n"
                 "GET .../absoluteEx answers the position of the moment.\n",
                 sim::kPanDegreesPerSecond, sim::kTiltDegreesPerSecond,
                 static_cast<double>(sim::kElevationMin), static_cast<double>(sim::kElevationMax),
                 sim::kZoomPerSecond, static_cast<double>(sim::kZoomMin),
                 static_cast<double>(sim::kZoomMax));
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    sim::Options options;
    bool have_address = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            return usage(stdout, 0);
        } else if (arg == "--listen" && has_value) {
            options.address = argv[++i];
            have_address = true;
        } else if (arg == "--port" && has_value) {
            char* end = nullptr;
            const long port = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || port < 1 || port > 65535) {
                return usage(stderr, 64);
            }
            options.port = static_cast<std::uint16_t>(port);
        } else if (arg == "--user" && has_value) {
            const std::string credentials = argv[++i];
            const std::size_t colon = credentials.find(':');
            if (colon == std::string::npos) {
                return usage(stderr, 64);
            }
            options.user = credentials.substr(0, colon);
            options.password = credentials.substr(colon + 1);
        } else {
            return usage(stderr, 64);
        }
    }
    if (!have_address) {
        return usage(stderr, 64);
    }
    options.log = true;

    struct sigaction action {};
    action.sa_handler = on_signal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    sim::CameraSim camera(options);
    try {
        camera.start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ptz-camera-sim: %s\n", e.what());
        return 1;
    }
    std::printf("ptz-camera-sim: listening on %s:%u\n", options.address.c_str(),
                static_cast<unsigned>(options.port));
    std::fflush(stdout);
    while (g_stop == 0) {
        pause();
    }
    camera.stop();
    return 0;
}
