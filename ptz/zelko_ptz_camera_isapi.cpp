#include "zelko_ptz_camera_isapi.h"

#include <cmath>
#include <map>
#include <memory>
#include <utility>

#include "../utils/xml_parser.h"
#include "answer_echo.h"
#include "answer_reason.h"
#include "camera_link.h"
#include "position_text.h"
#include "preset_list.h"

namespace Ptz {

static_assert(sizeof(ZelkoPtzCameraIsapi) == 2 * sizeof(std::string) + 2 * sizeof(void*),
              "hosts built against 1.0 allocate the object with this size");

namespace {

using Utils::HttpMethod;

const char* const kHttpGetFailed = "Fail to complete http get.";
const char* const kHttpRequestFailed = "Fail to complete http request.";

// The answer is the camera's: it reaches a line only through echo_answer().
std::string parse_failed(const std::string& response) {
    return "Fail to parse reponse data, response data: " + echo_answer(response) + ".";
}

std::string status_not_ok(const std::string& response) {
    return "Fail to get node name in xml, response data: " + echo_answer(response) + ".";
}

// An HTTP status other than 200, for a reason: " (HTTP 404)".
std::string http(long status) {
    return status != 200 ? " (HTTP " + std::to_string(status) + ")" : std::string();
}

// XML 1.0 carries no control character but tab, line feed and carriage return.
bool xml_can_carry(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return false;
        }
    }
    return true;
}

}  // namespace

ZelkoPtzCameraIsapi::ZelkoPtzCameraIsapi(std::string address, std::string userpwd)
    : ZelkoPtzCameraIsapi(std::move(address), std::move(userpwd), CameraOptions()) {}

ZelkoPtzCameraIsapi::ZelkoPtzCameraIsapi(std::string address, std::string userpwd,
                                         CameraOptions options)
    : address(std::move(address)), userpwd(std::move(userpwd)) {
    std::unique_ptr<CameraLink> made(new CameraLink(this->address, std::move(options)));
    xml_parser = new Utils::XmlParser();
    link = made.release();
}

ZelkoPtzCameraIsapi::~ZelkoPtzCameraIsapi() {
    delete xml_parser;
    delete link;
}

int ZelkoPtzCameraIsapi::send(const char* operation, HttpMethod method, const std::string& url,
                              const std::string& body, const char* transfer_failed,
                              std::string& answer, long& status) {
    return link->send(operation, method, url, userpwd, body, transfer_failed, answer, status);
}

int ZelkoPtzCameraIsapi::parse(const char* operation, const std::string& answer, long status) {
    if (xml_parser->parse(answer)) {
        return 0;
    }
    link->report(operation, 2, parse_failed(answer), "the answer is not XML" + http(status));
    return 2;
}

int ZelkoPtzCameraIsapi::refuse_answer(const char* operation, const std::string& answer,
                                       long status, const char* otherwise) {
    link->report(operation, 10, status_not_ok(answer),
                 answer_reason(*xml_parser, (otherwise + http(status)).c_str()));
    return 10;
}

int ZelkoPtzCameraIsapi::refuse(const char* operation, const char* message) {
    link->report(operation, 10, message);
    return 10;
}

int ZelkoPtzCameraIsapi::query(const char* operation, const std::string& url,
                               const char* transfer_failed, std::string* answer,
                               long* http_status) {
    std::string response;
    long status = 0;
    if (const int failed = send(operation, HttpMethod::Get, url, std::string(), transfer_failed,
                                response, status)) {
        return failed;
    }
    if (http_status != nullptr) {
        *http_status = status;
    }
    const int parsed = parse(operation, response, status);
    if (answer != nullptr) {
        answer->swap(response);
    }
    return parsed;
}

int ZelkoPtzCameraIsapi::exchange(const char* operation, HttpMethod method, const std::string& url,
                                  const std::string& body) {
    std::string response;
    long status = 0;
    if (const int failed =
            send(operation, method, url, body, kHttpRequestFailed, response, status)) {
        return failed;
    }
    if (const int not_xml = parse(operation, response, status)) {
        return not_xml;
    }
    if (xml_parser->get_text("ResponseStatus", "statusString") != "OK") {
        return refuse_answer(operation, response, status, "the answer is not a status of OK");
    }
    return 0;
}

int ZelkoPtzCameraIsapi::get_info(std::string path) {
    return query("get_info", link->url(path), kHttpGetFailed);
}

int ZelkoPtzCameraIsapi::get_info(std::string path, std::string& answer) {
    return query("get_info", link->url(path), kHttpGetFailed, &answer);
}

int ZelkoPtzCameraIsapi::get_ptz_absoluteEx(PtzAbsoluteEx& position) {
    const int code =
        query("get_ptz_absoluteEx", link->command_url("/absoluteEx"), kHttpRequestFailed);
    if (code == 0) {
        position = position_from_answer(*xml_parser);
    }
    return code;
}

int ZelkoPtzCameraIsapi::set_ptz_absoluteEx(PtzAbsoluteEx position) {
    const std::string body =
        Utils::XmlParser::build_ptz_xml("PtzAbsoluteEx", position_fields(position));
    return exchange("set_ptz_absoluteEx", HttpMethod::Put, link->command_url("/absoluteEx"), body);
}

int ZelkoPtzCameraIsapi::reset_zoom() {
    // Sending after a failed query would overwrite the camera's position with values that were
    // never read from it.
    PtzAbsoluteEx position{};
    const int queried = get_ptz_absoluteEx(position);
    if (queried != 0) {
        return queried;
    }
    position.absoluteZoom = 1.0f;
    position.focus = 29000;
    return set_ptz_absoluteEx(position);
}

int ZelkoPtzCameraIsapi::reset_position() {
    return exchange("reset_position", HttpMethod::Put, link->command_url("/homeposition/goto"),
                    std::string());
}

int ZelkoPtzCameraIsapi::set_ptz_aux(PtzAux aux, PtzStatus status) {
    const char* const operation = "set_ptz_aux";
    const std::string control_id = "1";
    std::map<std::string, std::string> fields;
    fields["id"] = control_id;
    switch (aux) {
        case PtzAux::Light:
            fields["type"] = "LIGHT";
            break;
        case PtzAux::Wiper:
            fields["type"] = "WIPER";
            break;
        case PtzAux::Fan:
            fields["type"] = "FAN";
            break;
        default:
            return refuse(operation, "Please input the correct aux type.");
    }
    switch (status) {
        case PtzStatus::On:
            fields["status"] = "on";
            break;
        case PtzStatus::Off:
            fields["status"] = "off";
            break;
        default:
            return refuse(operation, "Please input the correct ptz status.");
    }
    const std::string body = Utils::XmlParser::build_ptz_xml("PTZAux", std::move(fields));
    return exchange(operation, HttpMethod::Put, link->command_url("/auxcontrols/" + control_id),
                    body);
}

int ZelkoPtzCameraIsapi::set_ptz_ctrl(PtzCtrl ctrl) {
    std::map<std::string, std::string> fields;
    fields["pan"] = int_text(ctrl.pan);
    fields["tilt"] = int_text(ctrl.tilt);
    fields["zoom"] = int_text(ctrl.zoom);
    // No query part: the camera takes the motion from the body alone.
    return exchange("set_ptz_ctrl", HttpMethod::Put, link->command_url("/continuous"),
                    Utils::XmlParser::build_ptz_xml("PTZData", std::move(fields)));
}

int ZelkoPtzCameraIsapi::refuse_preset_id(const char* operation, int id) {
    if (id >= 1) {
        return 0;
    }
    return refuse(operation, "Please input a preset id of 1 or more.");
}

int ZelkoPtzCameraIsapi::goto_preset(int id) {
    if (const int refused = refuse_preset_id("goto_preset", id)) {
        return refused;
    }
    return exchange("goto_preset", HttpMethod::Put,
                    link->command_url("/presets/" + int_text(id) + "/goto"), std::string());
}

int ZelkoPtzCameraIsapi::set_preset(int id, std::string name) {
    const char* const operation = "set_preset";
    if (const int refused = refuse_preset_id(operation, id)) {
        return refused;
    }
    if (!xml_can_carry(name)) {
        return refuse(operation, "Please input a preset name without control characters.");
    }
    const std::string number = int_text(id);
    std::map<std::string, std::string> fields;
    fields["id"] = number;
    fields["presetName"] = std::move(name);
    return exchange(operation, HttpMethod::Put, link->command_url("/presets/" + number),
                    Utils::XmlParser::build_ptz_xml("PTZPreset", std::move(fields)));
}

int ZelkoPtzCameraIsapi::remove_preset(int id) {
    if (const int refused = refuse_preset_id("remove_preset", id)) {
        return refused;
    }
    return exchange("remove_preset", HttpMethod::Delete,
                    link->command_url("/presets/" + int_text(id)), std::string());
}

int ZelkoPtzCameraIsapi::get_presets(std::vector<PtzPreset>& presets) {
    const char* const operation = "get_presets";
    std::string answer;
    long status = 0;
    const int code =
        query(operation, link->command_url("/presets"), kHttpRequestFailed, &answer, &status);
    if (code != 0) {
        return code;
    }
    if (!presets_from_answer(*xml_parser, presets)) {
        return refuse_answer(operation, answer, status, "the answer is not a preset list");
    }
    return 0;
}

std::string ZelkoPtzCameraIsapi::failure_reason() const {
    return link->failure_reason();
}

int ZelkoPtzCameraIsapi::set_refusal_hold(double seconds) {
    if (!(seconds >= 0 && seconds <= 86400)) {
        return refuse("set_refusal_hold", "Please input a hold of 0 to 86400 seconds.");
    }
    link->set_refusal_hold(std::chrono::milliseconds(std::llround(seconds * 1000)));
    return 0;
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
