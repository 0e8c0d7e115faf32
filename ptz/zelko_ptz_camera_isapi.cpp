// The camera object, and the methods that came first: the generic probe, the position record of
// seven values and the zoom reset, home, the auxiliaries and continuous motion.

#include "zelko_ptz_camera_isapi.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>

#include <pugixml.hpp>

#include "../utils/xml_parser.h"
#include "answer_reason.h"
#include "camera_calls.h"
#include "camera_link.h"
#include "drive.h"
#include "engine_core.h"
#include "limits.h"
#include "position_text.h"

namespace Ptz {

static_assert(sizeof(ZelkoPtzCameraIsapi) == 2 * sizeof(std::string) + 2 * sizeof(void*),
              "hosts built against 1.0 allocate the object with this size");
// A copy would share, and free twice, the link behind the object.
static_assert(!std::is_copy_constructible_v<ZelkoPtzCameraIsapi> &&
              !std::is_copy_assignable_v<ZelkoPtzCameraIsapi>);

namespace {

using Utils::HttpMethod;

// GET any path; any well-formed XML answer succeeds, and the answer is handed back whenever the
// transfer completed.
class InfoQuery final : public Reading<std::string> {
public:
    InfoQuery(const CameraLink& link, const std::string& path)
        : Reading("get_info"), url_(link.url(path)), refused_(!is_path(path)) {}
    void start(Step& step) override {
        if (refused_) {
            step.finish(10,
                        "Please input a path beginning with /, without spaces or control "
                        "characters.");
            return;
        }
        step.send({HttpMethod::Get, std::move(url_), std::string(), Message::kHttpGetFailed});
    }
    void read(Step& step, Answer& answer) override {
        pugi::xml_document doc;
        if (parsed(step, answer, doc)) {
            step.finish(0);
        }
        write(std::move(answer.body));
    }

private:
    // The path follows the port: text before its first slash would join the authority, and
    // "@host/x" or ".example.net/x" would send the request, and the Digest exchange, to another
    // host. A space or a control byte makes no URL: libcurl would refuse it as a failed transfer,
    // which a host takes for a camera out of reach.
    static bool is_path(const std::string& path) {
        return path.empty() ||
               (path[0] == '/' && std::none_of(path.begin(), path.end(), [](unsigned char c) {
                    return c <= ' ' || c == 0x7f;
                }));
    }

    std::string url_;
    bool refused_;
};

// GET ".../absoluteEx" and convert its seven texts, which throws for texts that are not numbers.
class AbsoluteExQuery final : public Reading<PtzAbsoluteEx> {
public:
    explicit AbsoluteExQuery(const CameraLink& link)
        : Reading("get_ptz_absoluteEx"), url_(link.command_url("/absoluteEx")) {}
    void start(Step& step) override { step.send(HttpMethod::Get, url_); }
    void read(Step& step, Answer& answer) override {
        pugi::xml_document doc;
        if (parsed(step, answer, doc)) {
            // An engine, where the conversion cannot throw to the caller, says this of it.
            step.outcome.reason = answer_reason(doc, "the position answer is not numbers");
            write(position_from_answer(doc));
            step.finish(0);
        }
    }

protected:
    std::string url_;
};

std::unique_ptr<Exchange> absolute_ex_command(const CameraLink& link, PtzAbsoluteEx position) {
    return coalescing(std::make_unique<Exchange>(
        "set_ptz_absoluteEx",
        Request{HttpMethod::Put, link.command_url("/absoluteEx"),
                Utils::XmlParser::build_ptz_xml("PtzAbsoluteEx", position_fields(position))}));
}

// Reads the position, then sends it back with zoom 1 and focus 29000. Sending after a failed
// query would overwrite the camera's position with values that were never read from it.
class ZoomReset final : public Acting {
public:
    explicit ZoomReset(const CameraLink& link) : Acting("get_ptz_absoluteEx"), query_(link) {}
    void start(Step& step) override { query_.start(step); }
    void read(Step& step, Answer& answer) override {
        if (operation == std::string("set_ptz_absoluteEx")) {
            judge_status(step, answer);
            return;
        }
        query_.read(step, answer);
        if (step.outcome.code != 0) {
            return;
        }
        PtzAbsoluteEx position = query_.value;
        position.absoluteZoom = 1.0f;
        position.focus = 29000;
        operation = "set_ptz_absoluteEx";
        step.send(HttpMethod::Put, step.link.command_url("/absoluteEx"),
                  Utils::XmlParser::build_ptz_xml("PtzAbsoluteEx", position_fields(position)));
    }

private:
    AbsoluteExQuery query_;
};

std::unique_ptr<Exchange> aux_command(const CameraLink& link, PtzAux aux, PtzStatus status) {
    const char* const operation = "set_ptz_aux";
    const std::string control_id = "1";
    const char* const type = camera_word(kAuxDevices, aux);
    if (type == nullptr) {
        return std::make_unique<Exchange>(operation, "Please input the correct aux type.");
    }
    const char* const state = camera_word(kAuxStates, status);
    if (state == nullptr) {
        return std::make_unique<Exchange>(operation, "Please input the correct ptz status.");
    }
    std::map<std::string, std::string> fields;
    fields["id"] = control_id;
    fields["type"] = type;
    fields["status"] = state;
    return std::make_unique<Exchange>(
        operation, Request{HttpMethod::Put, link.command_url("/auxcontrols/" + control_id),
                           Utils::XmlParser::build_ptz_xml("PTZAux", std::move(fields))});
}

std::unique_ptr<Exchange> ctrl_command(const CameraLink& link, PtzCtrl ctrl) {
    std::map<std::string, std::string> fields;
    fields["pan"] = int_text(ctrl.pan);
    fields["tilt"] = int_text(ctrl.tilt);
    fields["zoom"] = int_text(ctrl.zoom);
    // No query part: the camera takes the motion from the body alone.
    return coalescing(std::make_unique<Exchange>(
        "set_ptz_ctrl", Request{HttpMethod::Put, link.command_url("/continuous"),
                                Utils::XmlParser::build_ptz_xml("PTZData", std::move(fields))}));
}

std::unique_ptr<Exchange> home_command(const CameraLink& link) {
    return std::make_unique<Exchange>(
        "reset_position", Request{HttpMethod::Put, link.command_url("/homeposition/goto"), ""});
}

}  // namespace

ZelkoPtzCameraIsapi::ZelkoPtzCameraIsapi(std::string address, std::string userpwd)
    : ZelkoPtzCameraIsapi(std::move(address), std::move(userpwd), CameraOptions()) {}

ZelkoPtzCameraIsapi::ZelkoPtzCameraIsapi(std::string address, std::string userpwd,
                                         CameraOptions options)
    : address(std::move(address)), userpwd(std::move(userpwd)) {
    link = new CameraLink(this->address, this->userpwd, std::move(options));
}

ZelkoPtzCameraIsapi::~ZelkoPtzCameraIsapi() {
    link->orphaned.store(true);
    std::shared_ptr<EngineCore> engine;
    {
        std::lock_guard<std::mutex> lock(link->engine_mutex);
        engine = link->engine.lock();
    }
    if (engine && link->pending.load() > 0) {
        engine->orphan(*link);
    }
    release(link);
}

int ZelkoPtzCameraIsapi::drive(Command& command) {
    return Ptz::drive(*link, command);
}

Operation ZelkoPtzCameraIsapi::submit(Engine& engine, std::unique_ptr<Command> command) {
    return engine.core_->submit(*link, std::move(command));
}

int ZelkoPtzCameraIsapi::get_info(std::string path) {
    InfoQuery command(*link, path);
    return drive(command);
}

int ZelkoPtzCameraIsapi::get_info(std::string path, std::string& answer) {
    InfoQuery command(*link, path);
    return written(drive(command), command, answer);
}

Operation ZelkoPtzCameraIsapi::get_info(Engine& engine, std::string path,
                                        ValueCallback<std::string> done) {
    return submit(engine, with(std::make_unique<InfoQuery>(*link, path), std::move(done)));
}

int ZelkoPtzCameraIsapi::get_ptz_absoluteEx(PtzAbsoluteEx& position) {
    AbsoluteExQuery command(*link);
    return written(drive(command), command, position);
}

Operation ZelkoPtzCameraIsapi::get_ptz_absoluteEx(Engine& engine,
                                                  ValueCallback<PtzAbsoluteEx> done) {
    return submit(engine, with(std::make_unique<AbsoluteExQuery>(*link), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_ptz_absoluteEx(PtzAbsoluteEx position) {
    return drive(*absolute_ex_command(*link, position));
}

Operation ZelkoPtzCameraIsapi::set_ptz_absoluteEx(Engine& engine, PtzAbsoluteEx position,
                                                  Callback done) {
    return submit(engine, with(absolute_ex_command(*link, position), std::move(done)));
}

int ZelkoPtzCameraIsapi::reset_zoom() {
    ZoomReset command(*link);
    return drive(command);
}

Operation ZelkoPtzCameraIsapi::reset_zoom(Engine& engine, Callback done) {
    return submit(engine, with(std::make_unique<ZoomReset>(*link), std::move(done)));
}

int ZelkoPtzCameraIsapi::reset_position() {
    return drive(*home_command(*link));
}

Operation ZelkoPtzCameraIsapi::reset_position(Engine& engine, Callback done) {
    return submit(engine, with(home_command(*link), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_ptz_aux(PtzAux aux, PtzStatus status) {
    return drive(*aux_command(*link, aux, status));
}

Operation ZelkoPtzCameraIsapi::set_ptz_aux(Engine& engine, PtzAux aux, PtzStatus status,
                                           Callback done) {
    return submit(engine, with(aux_command(*link, aux, status), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_ptz_ctrl(PtzCtrl ctrl) {
    return drive(*ctrl_command(*link, ctrl));
}

Operation ZelkoPtzCameraIsapi::set_ptz_ctrl(Engine& engine, PtzCtrl ctrl, Callback done) {
    return submit(engine, with(ctrl_command(*link, ctrl), std::move(done)));
}

std::string ZelkoPtzCameraIsapi::failure_reason() const {
    return link->failure_reason();
}

int ZelkoPtzCameraIsapi::set_refusal_hold(double seconds) {
    if (!kRefusalHoldSeconds.hold(seconds)) {
        const Outcome refused{10, "Please input a hold of 0 to 86400 seconds.", ""};
        link->ended("set_refusal_hold", refused);
        return refused.code;
    }
    link->set_refusal_hold(std::chrono::milliseconds(std::llround(seconds * 1000)));
    return 0;
}

int ZelkoPtzCameraIsapi::set_timeouts(double connect_seconds, double total_seconds) {
    if (!kTimeoutSeconds.hold(connect_seconds) || !kTimeoutSeconds.hold(total_seconds)) {
        const Outcome refused{10, "Please input time-outs of 0.1 to 600 seconds.", ""};
        link->ended("set_timeouts", refused);
        return refused.code;
    }
    link->set_timeouts({std::lround(connect_seconds * 1000), std::lround(total_seconds * 1000)});
    return 0;
}

void ZelkoPtzCameraIsapi::set_move_coalescing(bool on) {
    link->coalesce_moves.store(on);
}

void ZelkoPtzCameraIsapi::set_interrupt_check(std::function<bool()> check) {
    link->interrupt_check = std::move(check);
}

const char* result_text(int code) {
    for (const ResultInfo& result : kResults) {
        if (static_cast<int>(result.code) == code) {
            return result.text;
        }
    }
    return "unknown result code";
}

const char* version() {
    return ZELKO_PTZ_VERSION;
}

}  // namespace Ptz
