// ptzctl: steer a PTZ camera from the shell, through the library's public interface.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "ptz/answer_echo.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "ptzctl_args.h"
#include "ptzctl_output.h"
#include "ptzctl_poll.h"
#include "utils/http_client.h"
#include "utils/xml_parser.h"

namespace {

const int kBadArguments = 64;
const int kBadPositionAnswer = 3;

// `get PATH` goes through the public HTTP client and judges the answer as get_info() does, but
// also shows it.
int get(const ptzctl::Invocation& in) {
    Utils::HttpClient client;
    std::string answer;
    if (!client.get("http://" + in.host + ":80" + in.args[0], in.userpwd, answer)) {
        std::fprintf(stderr, "ptzctl: the HTTP transfer did not complete\n");
        return 1;
    }
    // The answer is the camera's: on a terminal its control bytes are shown, not obeyed; a pipe
    // or a file gets it exact.
    if (isatty(STDOUT_FILENO) != 0) {
        std::fputs(Ptz::echo_answer(answer, answer.size()).c_str(), stdout);
    } else {
        std::fwrite(answer.data(), 1, answer.size(), stdout);
    }
    Utils::XmlParser parser;
    if (!parser.parse(answer)) {
        std::fprintf(stderr, "ptzctl: the answer is not well-formed XML\n");
        return 2;
    }
    return 0;
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
    const Ptz::PtzAux aux = c == "light"   ? Ptz::PtzAux::Light
                            : c == "wiper" ? Ptz::PtzAux::Wiper
                                           : Ptz::PtzAux::Fan;
    return camera.set_ptz_aux(aux, in.args[0] == "on" ? Ptz::PtzStatus::On : Ptz::PtzStatus::Off);
}

int run(const ptzctl::Invocation& in) {
    if (in.command == "get") {
        return get(in);
    }
    Ptz::ZelkoPtzCameraIsapi camera(in.host, in.userpwd);
    const std::string& c = in.command;
    if (c == "position") {
        Ptz::PtzAbsoluteEx p{};
        const int code = camera.get_ptz_absoluteEx(p);
        if (code == 0) {
            ptzctl::print_position(p, in.json);
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
    std::string error;
    if (!ptzctl::parse_arguments(argc, argv, std::getenv("PTZCTL_USER"), in, error)) {
        std::fprintf(stderr, "ptzctl: %s\n\n%s", error.c_str(), ptzctl::kUsage);
        return kBadArguments;
    }
    if (in.command.empty()) {
        std::fputs(ptzctl::kUsage, stdout);
        return 0;
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
