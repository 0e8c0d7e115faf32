#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "ptz/ptz_types.h"

namespace ptzctl {

// A line of printf's making.
template <typename... Args>
std::string formatted(const char* format, Args... args) {
    char line[512];
    const int n = std::snprintf(line, sizeof line, format, args...);
    if (n >= static_cast<int>(sizeof line)) {
        std::string longer(static_cast<std::size_t>(n) + 1, '\0');
        std::snprintf(&longer[0], longer.size(), format, args...);
        return longer.substr(0, static_cast<std::size_t>(n));
    }
    return std::string(line, static_cast<std::size_t>(n));
}

// The shortest text that reads back as the same float; in JSON a non-finite value is null.
std::string number(float value, bool json);

// The text of one value of the position, by its field in Ptz::kPositionFields.
std::string value_text(const Ptz::PtzPosition& p, std::size_t field, bool json);

// The position as one JSON object on one line, under the camera's element names, a value not
// reported as null; `t` first when given.
std::string json_position(const Ptz::PtzPosition& p, const std::string& t = "");

// `position`: one reported value per line under its element name, or one JSON object.
std::string position_text(const Ptz::PtzPosition& p, bool json);

// `preset list`: one preset per line, its number and its name, or one JSON array of objects. A
// name is the camera's: its control bytes are shown, not obeyed. With `special` known, the
// presets it holds are marked.
std::string presets_text(const std::vector<Ptz::PtzPreset>& presets, const std::set<int>* special,
                         bool json);

// `patrol list`: one patrol per line, its number, name and steps, or one JSON array of objects.
std::string patrols_text(const std::vector<Ptz::PtzPatrol>& patrols, bool json);
// `pattern list`: one pattern per line, recorded or empty, or one JSON array of objects.
std::string patterns_text(const std::vector<Ptz::PtzPattern>& patterns, bool json);
// `park show`: the park action on one line, or one JSON object.
std::string park_text(const Ptz::PtzParkAction& action, bool json);

// `caps`: one line per value, "-" for one not reported, or one JSON object.
std::string capabilities_text(const Ptz::PtzCapabilitiesEx& caps, bool json);

}  // namespace ptzctl
