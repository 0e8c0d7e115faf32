#include "ptzctl_output.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "ptz/capability_fields.h"
#include "ptz/position_fields.h"
#include "ptz/terminal_text.h"

namespace ptzctl {

namespace {

// A camera's name in a line of a table, safe for a terminal and on that line alone: a tab, line
// feed or carriage return, which a name may hold (the library sends and reads them), is shown as
// \xNN too, or a name could break the table's columns or forge a line of its own.
std::string field_text(const std::string& text) {
    std::string flat;
    for (const char c : text) {
        flat += c == '\t' || c == '\n' || c == '\r' ? formatted("\\x%02x", c) : std::string(1, c);
    }
    return Ptz::terminal_text(flat, flat.size());
}

template <typename Range>
std::string range_text(const std::optional<Range>& range, bool json) {
    if (!range) {
        return json ? "null" : "-";
    }
    const auto text = [json](auto value) { return number(static_cast<float>(value), json); };
    return json ? "[" + text(range->min) + "," + text(range->max) + "]"
                : text(range->min) + " to " + text(range->max);
}

template <typename Value>
std::string value_or_none(const std::optional<Value>& value, bool json) {
    if (!value) {
        return json ? "null" : "-";
    }
    if constexpr (std::is_same_v<Value, bool>) {
        return *value ? "true" : "false";
    } else {
        return std::to_string(*value);
    }
}

template <typename Item, typename Text>
std::string list_text(const std::vector<Item>& items, bool json, Text text) {
    std::string list;
    for (const Item& item : items) {
        list += (list.empty() ? "" : json ? "," : " ") + text(item);
    }
    return json ? "[" + list + "]" : list.empty() ? "-" : list;
}

}  // namespace

std::string number(float value, bool json) {
    if (!std::isfinite(value)) {
        return json ? "null" : std::to_string(value);
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string value_text(const Ptz::PtzPosition& p, std::size_t field, bool json) {
    const Ptz::PositionField& f = Ptz::kPositionFields[field];
    if (!p.has(f.bit)) {
        return json ? "null" : "-";
    }
    return f.real != nullptr ? number(p.*f.real, json) : std::to_string(p.*f.whole);
}

std::string json_position(const Ptz::PtzPosition& p, const std::string& t) {
    std::string line = t.empty() ? "{" : "{\"t\":" + t;
    for (std::size_t i = 0; i < std::size(Ptz::kPositionFields); ++i) {
        line += std::string(line.size() > 1 ? "," : "") + "\"" + Ptz::kPositionFields[i].element +
                "\":" + value_text(p, i, true);
    }
    return line + "}";
}

std::string position_text(const Ptz::PtzPosition& p, bool json) {
    if (json) {
        return json_position(p) + "\n";
    }
    std::string text;
    for (std::size_t i = 0; i < std::size(Ptz::kPositionFields); ++i) {
        if (p.has(Ptz::kPositionFields[i].bit)) {
            text += formatted("%-16s %s\n", Ptz::kPositionFields[i].element,
                              value_text(p, i, false).c_str());
        }
    }
    return text;
}

std::string presets_text(const std::vector<Ptz::PtzPreset>& presets, const std::set<int>* special,
                         bool json) {
    const auto is_special = [special](const Ptz::PtzPreset& p) {
        return special != nullptr && special->count(p.id) != 0;
    };
    if (json) {
        return list_text(presets, true,
                         [&](const Ptz::PtzPreset& p) {
                             return "{\"id\":" + std::to_string(p.id) +
                                    ",\"name\":" + Ptz::json_text(p.name) +
                                    ",\"enabled\":" + (p.enabled ? "true" : "false") +
                                    (special == nullptr ? ""
                                     : is_special(p)    ? ",\"special\":true"
                                                        : ",\"special\":false") +
                                    "}";
                         }) +
               "\n";
    }
    std::string text;
    for (const auto& p : presets) {
        text += formatted("%4d  %s%s%s\n", p.id, field_text(p.name).c_str(),
                          p.enabled ? "" : " (disabled)", is_special(p) ? " (special)" : "");
    }
    return text;
}

std::string patrols_text(const std::vector<Ptz::PtzPatrol>& patrols, bool json) {
    if (json) {
        return list_text(
                   patrols, true,
                   [](const Ptz::PtzPatrol& p) {
                       return "{\"id\":" + std::to_string(p.id) +
                              ",\"name\":" + Ptz::json_text(p.name) +
                              ",\"enabled\":" + (p.enabled ? "true" : "false") + ",\"steps\":" +
                              list_text(p.steps, true,
                                        [](const Ptz::PtzPatrolStep& s) {
                                            return formatted(
                                                "{\"preset\":%d,\"speed\":%d,\"dwell_seconds\":%d}",
                                                s.preset, s.speed, s.dwell_seconds);
                                        }) +
                              "}";
                   }) +
               "\n";
    }
    std::string text;
    for (const auto& p : patrols) {
        text += formatted("%4d  %s%s: ", p.id, field_text(p.name).c_str(),
                          p.enabled ? "" : " (disabled)") +
                list_text(p.steps, false,
                          [](const Ptz::PtzPatrolStep& s) {
                              return formatted("%d@%d/%ds", s.preset, s.speed, s.dwell_seconds);
                          }) +
                "\n";
    }
    return text;
}

std::string patterns_text(const std::vector<Ptz::PtzPattern>& patterns, bool json) {
    if (json) {
        return list_text(patterns, true,
                         [](const Ptz::PtzPattern& p) {
                             return formatted("{\"id\":%d,\"enabled\":%s}", p.id,
                                              p.enabled ? "true" : "false");
                         }) +
               "\n";
    }
    std::string text;
    for (const auto& p : patterns) {
        text += formatted("%4d  %s\n", p.id, p.enabled ? "recorded" : "empty");
    }
    return text;
}

std::string park_text(const Ptz::PtzParkAction& a, bool json) {
    if (json) {
        return formatted("{\"enabled\":%s,\"seconds\":%d,\"kind\":", a.enabled ? "true" : "false",
                         a.seconds) +
               Ptz::json_text(a.kind) + formatted(",\"number\":%d}\n", a.number);
    }
    // A scan runs no preset, patrol or pattern, and cameras give it the number 0.
    return formatted("%s after %d s: %s", a.enabled ? "on" : "off", a.seconds,
                     field_text(a.kind).c_str()) +
           (a.number != 0 ? " " + std::to_string(a.number) : "") + "\n";
}

// One capability as a line or JSON shows it.
std::string capability_text(const Ptz::PtzCapabilitiesEx& caps, const Ptz::CapabilityField& field,
                            bool json) {
    switch (field.kind) {
        case Ptz::CapabilityKind::Range:
            return range_text(caps.*field.range, json);
        case Ptz::CapabilityKind::SpeedRange:
            return range_text(caps.*field.speed_range, json);
        case Ptz::CapabilityKind::Whole:
            return value_or_none(caps.*field.whole, json);
        case Ptz::CapabilityKind::Flag:
            return value_or_none(caps.*field.flag, json);
        case Ptz::CapabilityKind::Numbers:
            return list_text(caps.*field.numbers, json, [](int id) { return std::to_string(id); });
        case Ptz::CapabilityKind::Names:
            break;
    }
    return list_text(caps.*field.names, json, [json](const std::string& name) {
        return json ? Ptz::json_text(name) : field_text(name);
    });
}

std::string capabilities_text(const Ptz::PtzCapabilitiesEx& caps, bool json) {
    std::string object, lines;
    for (const Ptz::CapabilityField& field : Ptz::kCapabilityFields) {
        const std::string text = capability_text(caps, field, json);
        if (json) {
            object += (object.empty() ? "{\"" : ",\"") + std::string(field.key) + "\":" + text;
        } else {
            lines += formatted("%-23s %s\n", field.key, text.c_str());
        }
    }
    return json ? object + "}\n" : lines;
}

}  // namespace ptzctl
