#include "preset_list.h"

#include <map>
#include <string>

#include "../utils/xml_path.h"
#include "position_text.h"

namespace Ptz {

namespace {

bool parse_id(const std::string& text, int& id) {
    return text.find('-') == std::string::npos && read_whole(text.c_str(), id);  // no sign
}

}  // namespace

bool presets_from_answer(pugi::xml_node answer, std::vector<PtzPreset>& presets) {
    std::vector<std::map<std::string, std::string>> entries;
    if (!Utils::entries_of(answer, "PTZPresetList", "PTZPreset", entries)) {
        return false;
    }
    std::vector<PtzPreset> read;
    read.reserve(entries.size());
    for (auto& entry : entries) {
        PtzPreset preset{0, std::move(entry["presetName"]), entry["enabled"] == "true"};
        if (!parse_id(entry["id"], preset.id)) {
            return false;
        }
        read.push_back(std::move(preset));
    }
    presets.swap(read);
    return true;
}

}  // namespace Ptz
