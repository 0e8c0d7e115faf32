#include "zelko_ptz_camera_isapi.h"

#include <cstdio>
#include <map>
#include <memory>
#include <utility>

#include "../utils/http_client.h"
#include "../utils/xml_parser.h"
#include "answer_echo.h"
#include "position_text.h"

namespace Ptz {

namespace {

const char* const kChannelsPath = "/ISAPI/PTZCtrl/channels/";

// Each error line is one formatted print, so lines from several threads do not interleave.
void report(const char* format, const char* operation) {
    std::fprintf(stderr, format, operation);
}

// The answer is the camera's: it reaches an operator's terminal only through echo_answer().
void report(const char* format, const char* operation, const std::string& response) {
    std::fprintf(stderr, format, operation, echo_answer(response).c_str());
}

const char* const kHttpGetFailed = "\x1b[31m[Error] [%s] Fail to complete http get.\n\x1b[0m\n";
const char* const kHttpRequestFailed =
    "\x1b[31m[Error] [%s] Fail to complete http request.\n\x1b[0m\n";
const char* const kParseFailed =
    "\x1b[31m[Error] [%s] Fail to parse reponse data, response data: %s.\n\x1b[0m\n";
const char* const kStatusNotOk =
    "\x1b[31m[Error] [%s] Fail to get node name in xml, response data: %s.\n\x1b[0m\n";
const char* const kBadAuxType =
    "\x1b[31m[Error] [%s] Please input the correct aux type.\n\x1b[0m\n";
const char* const kBadPtzStatus =
    "\x1b[31m[Error] [%s] Please input the correct ptz status.\n\x1b[0m\n";

}  // namespace

ZelkoPtzCameraIsapi::ZelkoPtzCameraIsapi(std::string address, std::string userpwd)
    : address(std::move(address)), userpwd(std::move(userpwd)) {
    std::unique_ptr<Utils::HttpClient> client(new Utils::HttpClient());
    xml_parser = new Utils::XmlParser();
    http_client = client.release();
}

ZelkoPtzCameraIsapi::~ZelkoPtzCameraIsapi() {
    delete xml_parser;
    delete http_client;
}

std::string ZelkoPtzCameraIsapi::command_url(const std::string& resource) const {
    const std::string channel = "1";
    return "http://" + address + ":80" + kChannelsPath + channel + resource;
}

int ZelkoPtzCameraIsapi::exchange(const char* operation, const std::string& url,
                                  const std::string& body) {
    std::string response;
    if (!http_client->put(url, userpwd, body, response)) {
        report(kHttpRequestFailed, operation);
        return 1;
    }
    if (!xml_parser->parse(response)) {
        report(kParseFailed, operation, response);
        return 2;
    }
    if (xml_parser->get_text("ResponseStatus", "statusString") != "OK") {
        report(kStatusNotOk, operation, response);
        return 10;
    }
    return 0;
}

int ZelkoPtzCameraIsapi::get_info(std::string path) {
    const std::string url = "http://" + address + ":80" + path;
    std::string response;
    if (!http_client->get(url, userpwd, response)) {
        report(kHttpGetFailed, "get_info");
        return 1;
    }
    if (!xml_parser->parse(response)) {
        report(kParseFailed, "get_info", response);
        return 2;
    }
    return 0;
}

int ZelkoPtzCameraIsapi::get_ptz_absoluteEx(PtzAbsoluteEx& position) {
    const std::string url = command_url("/absoluteEx");
    std::string response;
    if (!http_client->get(url, userpwd, response)) {
        report(kHttpRequestFailed, "get_ptz_absoluteEx");
        return 1;
    }
    if (!xml_parser->parse(response)) {
        report(kParseFailed, "get_ptz_absoluteEx", response);
        return 2;
    }
    position = position_from_answer(*xml_parser);
    return 0;
}

int ZelkoPtzCameraIsapi::set_ptz_absoluteEx(PtzAbsoluteEx position) {
    const std::string body =
        Utils::XmlParser::build_ptz_xml("PtzAbsoluteEx", position_fields(position));
    return exchange("set_ptz_absoluteEx", command_url("/absoluteEx"), body);
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
    return exchange("reset_position", command_url("/homeposition/goto"), std::string());
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
            report(kBadAuxType, operation);
            return 10;
    }
    switch (status) {
        case PtzStatus::On:
            fields["status"] = "on";
            break;
        case PtzStatus::Off:
            fields["status"] = "off";
            break;
        default:
            report(kBadPtzStatus, operation);
            return 10;
    }
    const std::string body = Utils::XmlParser::build_ptz_xml("PTZAux", std::move(fields));
    return exchange(operation, command_url("/auxcontrols/" + control_id), body);
}

int ZelkoPtzCameraIsapi::set_ptz_ctrl(PtzCtrl ctrl) {
    std::map<std::string, std::string> fields;
    fields["pan"] = std::to_string(ctrl.pan);
    fields["tilt"] = std::to_string(ctrl.tilt);
    fields["zoom"] = std::to_string(ctrl.zoom);
    // No query part: the camera takes the motion from the body alone.
    return exchange("set_ptz_ctrl", command_url("/continuous"),
                    Utils::XmlParser::build_ptz_xml("PTZData", std::move(fields)));
}

}  // namespace Ptz
