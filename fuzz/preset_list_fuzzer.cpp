// Any bytes as a preset list: the reader never crashes, hangs or leaks, and hands back either
// every entry of a "PTZPresetList" or, on failure, the caller's list as it was.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "ptz/preset_list.h"
#include "utils/xml_path.h"

ZELKO_FUZZ_TARGET(preset_list) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    pugi::xml_document parser;
    if (!Utils::parse_answer(parser, answer)) {
        return 0;
    }
    const Ptz::PtzPreset kept{-1, "kept", false};
    std::vector<Ptz::PtzPreset> presets{kept};
    std::vector<std::map<std::string, std::string>> entries;
    const bool listed = Utils::entries_of(parser, "PTZPresetList", "PTZPreset", entries);
    if (!Ptz::presets_from_answer(parser, presets)) {
        ZELKO_FUZZ_CHECK(presets.size() == 1 && presets[0].id == kept.id &&
                         presets[0].name == kept.name);
        return 0;
    }
    ZELKO_FUZZ_CHECK(listed && presets.size() == entries.size());
    for (std::size_t i = 0; i < presets.size(); ++i) {
        // A camera may pad an id with white space and zeros: " 007\n" is preset 7.
        std::string id = entries[i]["id"];
        id.erase(id.find_last_not_of(" \t\r\n") + 1);
        id.erase(0, id.find_first_not_of(" \t\r\n"));
        const std::size_t digits = std::min(id.find_first_not_of('0'), id.size() - 1);
        ZELKO_FUZZ_CHECK(presets[i].id >= 0 && std::to_string(presets[i].id) == id.substr(digits));
        ZELKO_FUZZ_CHECK(presets[i].name == entries[i]["presetName"]);
    }
    return 0;
}
