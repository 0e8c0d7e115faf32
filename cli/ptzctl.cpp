// ptzctl: steer a PTZ camera from the shell, through the library's public interface.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ptz/answer_echo.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "ptzctl_args.h"
#include "ptzctl_output.h"
#include "ptzctl_poll.h"

namespace {

const int kBadPositionAnswer = 3;

// Every command sends on one kept session: a `goto` reads, then sends, and --wait and watch poll.
Ptz::CameraOptions camera_options(const ptzctl::Connection& c) {
    Ptz::CameraOptions options;
    options.keep_session = true;
    options.https = c.https;
    options.port = c.port;
    options.channel = c.channel;
    options.ca_file = c.ca_file;
    options.pinned_key = c.pin;
    options.verify_peer = !c.insecure;
    return options;
}

// What went wrong in get_info(), which `get` says in its own words.
struct Failure {
    int code = 0;
    std::string message;
};

void keep_failure(void* user, const char*, int code, const char* message) {
    *static_cast<Failure*>(user) = {code, message};
}

// `get PATH` judges the answer as get_info() does, but also shows it.
int get(const ptzctl::Invocation& in, Ptz::CameraOptions options) {
    Failure failure;
    options.error_sink = keep_failure;
    options.error_sink_user = &failure;
    Ptz::ZelkoPtzCameraIsapi camera(in.camera.host, in.camera.userpwd, options);
    std::string answer;
    const int code = camera.get_info(in.argument, answer);
    if (code == 1 || code == 10) {
        std::fprintf(stderr, "ptzctl: %s\n",
                     code == 1 ? "the HTTP transfer did not complete" : failure.message.c_str());
        return code;
    }
    // The answer is the camera's: on a terminal its control bytes are shown, not obeyed; a pipe
    // or a file gets it exact.
    if (isatty(STDOUT_FILENO) != 0) {
        std::fputs(Ptz::echo_answer(answer, answer.size()).c_str(), stdout);
    } else {
        std::fwrite(answer.data(), 1, answer.size(), stdout);
    }
    if (code == 2) {
        std::fprintf(stderr, "ptzctl: the answer is not well-formed XML\n");
    }
    return code;
}

// The commands that send one request (move --for two, goto a query first).
int send(Ptz::ZelkoPtzCameraIsapi& camera, const ptzctl::Invocation& in) {
    const std::string& c = in.command;
    if (c == "goto") {
        Ptz::PtzAbsoluteEx p{};
        const int code = camera.get_ptz_absoluteEx(p);
        if (code != 0) {
            return code;
        }
        in.change.apply(p);
        return camera.set_ptz_absoluteEx(p);
    }
    if (c == "move") {
        const int code = camera.set_ptz_ctrl(in.motion);
        if (code != 0 || in.for_seconds == 0.0) {
            return code;
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(in.for_seconds));
        return camera.set_ptz_ctrl({0, 0, 0});
    }
    if (c == "stop") {
        return camera.set_ptz_ctrl({0, 0, 0});
    }
    if (c == "home") {
        return camera.reset_position();
    }
    if (c == "zoom-reset") {
        return camera.reset_zoom();
    }
    if (c == "preset goto") {
        return camera.goto_preset(in.preset);
    }
    if (c == "preset set") {
        return camera.set_preset(in.preset,
                                 in.preset_name.value_or("Preset " + std::to_string(in.preset)));
    }
    if (c == "preset remove") {
        return camera.remove_preset(in.preset);
    }
    const Ptz::PtzAux aux = c == "light"   ? Ptz::PtzAux::Light
                            : c == "wiper" ? Ptz::PtzAux::Wiper
                                           : Ptz::PtzAux::Fan;
    return camera.set_ptz_aux(aux, in.argument == "on" ? Ptz::PtzStatus::On : Ptz::PtzStatus::Off);
}

int run(const ptzctl::Invocation& in) {
    const Ptz::CameraOptions options = camera_options(in.camera);
    if (in.camera.insecure) {
        std::fprintf(stderr,
                     "ptzctl: warning: --insecure: the camera's certificate is not checked, so "
                     "anyone on the path can pose as the camera and read what is sent\n");
    }
    if (in.command == "get") {
        return get(in, options);
    }
    Ptz::ZelkoPtzCameraIsapi camera(in.camera.host, in.camera.userpwd, options);
    const std::string& c = in.command;
    if (c == "position") {
        Ptz::PtzAbsoluteEx p{};
        const int code = camera.get_ptz_absoluteEx(p);
        if (code == 0) {
            ptzctl::print_position(p, in.json);
        }
        return code;
    }
    if (c == "preset list") {
        std::vector<Ptz::PtzPreset> presets;
        const int code = camera.get_presets(presets);
        if (code == 0) {
            ptzctl::print_presets(presets, in.json);
        }
        return code;
    }
    if (c == "watch") {
        return ptzctl::watch(camera, in.interval_seconds.value_or(1.0), in.count.value_or(0),
                             in.json);
    }
    const int sent = send(camera, in);
    if (sent != 0 || !in.wait) {
        return sent;
    }
    ptzctl::PositionChange target = in.change;
    if (c == "zoom-reset") {
        target.absoluteZoom = 1.0f;
    }
    return ptzctl::wait_for_move(camera, target, in.timeout_seconds.value_or(30.0));
}

}  // namespace

int main(int argc, char** argv) {
    ptzctl::Invocation in;
    const int parsed = ptzctl::parse_arguments(argc, argv, in);
    if (parsed >= 0) {
        return parsed;
    }
    try {
        return run(in);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "ptzctl: the camera's position answer is not numbers (%s)\n",
                     e.what());
    } catch (const std::out_of_range& e) {
        std::fprintf(stderr, "ptzctl: the camera's position answer is out of range (%s)\n",
                     e.what());
    }
    return kBadPositionAnswer;
}
