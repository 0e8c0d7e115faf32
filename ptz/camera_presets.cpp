// The positions a camera keeps under numbers: travel to one, save one, forget one, list them.

#include <map>
#include <memory>
#include <string>

#include <pugixml.hpp>

#include "../utils/xml_body.h"
#include "../utils/xml_parser.h"
#include "camera_calls.h"
#include "camera_link.h"
#include "document_query.h"
#include "limits.h"
#include "position_text.h"
#include "preset_list.h"
#include "zelko_ptz_camera_isapi.h"

namespace Ptz {

namespace {

using Utils::HttpMethod;

std::string preset_url(const CameraLink& link, int id, const char* rest = "") {
    return link.command_url("/presets/" + int_text(id) + rest);
}

std::unique_ptr<Exchange> goto_command(const CameraLink& link, int id) {
    if (!kPresetIds.hold(id)) {
        return std::make_unique<Exchange>("goto_preset", Message::kBadPresetId);
    }
    return std::make_unique<Exchange>("goto_preset",
                                      Request{HttpMethod::Put, preset_url(link, id, "/goto"), ""});
}

std::unique_ptr<Exchange> save_command(const CameraLink& link, int id, std::string name) {
    const char* const operation = "set_preset";
    if (!kPresetIds.hold(id)) {
        return std::make_unique<Exchange>(operation, Message::kBadPresetId);
    }
    if (!Utils::XmlBody::can_carry(name)) {
        return std::make_unique<Exchange>(operation,
                                          "Please input a preset name without control characters.");
    }
    std::map<std::string, std::string> fields;
    fields["id"] = int_text(id);
    fields["presetName"] = std::move(name);
    return std::make_unique<Exchange>(
        operation, Request{HttpMethod::Put, preset_url(link, id),
                           Utils::XmlParser::build_ptz_xml("PTZPreset", std::move(fields))});
}

std::unique_ptr<Exchange> remove_command(const CameraLink& link, int id) {
    if (!kPresetIds.hold(id)) {
        return std::make_unique<Exchange>("remove_preset", Message::kBadPresetId);
    }
    return std::make_unique<Exchange>("remove_preset",
                                      Request{HttpMethod::Delete, preset_url(link, id), ""});
}

// The list, or why the answer is none.
const char* read_presets(const pugi::xml_document& answer, std::vector<PtzPreset>& presets) {
    return presets_from_answer(answer, presets) ? nullptr : "the answer is not a preset list";
}

std::unique_ptr<DocumentQuery<std::vector<PtzPreset>>> presets_query(const CameraLink& link) {
    return std::make_unique<DocumentQuery<std::vector<PtzPreset>>>(
        "get_presets", link.command_url("/presets"), read_presets);
}

}  // namespace

int ZelkoPtzCameraIsapi::goto_preset(int id) {
    return drive(*goto_command(*link, id));
}

Operation ZelkoPtzCameraIsapi::goto_preset(Engine& engine, int id, Callback done) {
    return submit(engine, with(goto_command(*link, id), std::move(done)));
}

int ZelkoPtzCameraIsapi::set_preset(int id, std::string name) {
    return drive(*save_command(*link, id, std::move(name)));
}

Operation ZelkoPtzCameraIsapi::set_preset(Engine& engine, int id, std::string name, Callback done) {
    return submit(engine, with(save_command(*link, id, std::move(name)), std::move(done)));
}

int ZelkoPtzCameraIsapi::remove_preset(int id) {
    return drive(*remove_command(*link, id));
}

Operation ZelkoPtzCameraIsapi::remove_preset(Engine& engine, int id, Callback done) {
    return submit(engine, with(remove_command(*link, id), std::move(done)));
}

int ZelkoPtzCameraIsapi::get_presets(std::vector<PtzPreset>& presets) {
    const auto command = presets_query(*link);
    return written(drive(*command), *command, presets);
}

Operation ZelkoPtzCameraIsapi::get_presets(Engine& engine,
                                           ValueCallback<std::vector<PtzPreset>> done) {
    return submit(engine, with(presets_query(*link), std::move(done)));
}

}  // namespace Ptz
