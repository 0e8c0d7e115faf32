// What a camera says it can do, from its ".../capabilities" answer: a large document of which
// most blocks are optional and vary by model. An element that is missing is not reported, never
// zero.

#include "capabilities.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "../utils/xml_path.h"
#include "camera_calls.h"
#include "camera_link.h"
#include "capability_fields.h"
#include "document_query.h"
#include "position_text.h"
#include "zelko_ptz_camera_isapi.h"

namespace Ptz {

namespace {

// A reading that stops at the first value that is not a number.
struct Reader {
    pugi::xml_node root;
    bool bad = false;

    // The whole number in `text`; empty when the text is, or when it is no such number.
    std::optional<int> whole(const char* text) {
        double value = 0;
        if (std::strspn(text, " \t\r\n") == std::strlen(text)) {
            return std::nullopt;
        }
        if (!read_number(text, value) || value < INT_MIN || value > INT_MAX ||
            value != std::trunc(value)) {
            bad = true;
            return std::nullopt;
        }
        return static_cast<int>(value);
    }

    // "Min" and "Max" below `at`, divided by `scale`; empty unless both are there. A value past
    // the range of a float is not a number of ours.
    std::optional<PtzRange> range(pugi::xml_node at, double scale) {
        double min = 0;
        double max = 0;
        const char* const min_text = at.child("Min").text().get();
        const char* const max_text = at.child("Max").text().get();
        if (*min_text == '\0' || *max_text == '\0') {
            return std::nullopt;
        }
        if (!read_number(min_text, min) || !read_number(max_text, max) ||
            std::fabs(min / scale) > FLT_MAX || std::fabs(max / scale) > FLT_MAX) {
            bad = true;
            return std::nullopt;
        }
        return PtzRange{static_cast<float>(min / scale), static_cast<float>(max / scale)};
    }

    // "Min" and "Max" below `at`, or its attributes "min" and "max" when `in_attributes`.
    std::optional<PtzSpeedRange> speed_range(pugi::xml_node at, bool in_attributes) {
        const std::optional<int> min =
            whole(in_attributes ? at.attribute("min").value() : at.child("Min").text().get());
        const std::optional<int> max =
            whole(in_attributes ? at.attribute("max").value() : at.child("Max").text().get());
        if (!min || !max) {
            return std::nullopt;
        }
        return PtzSpeedRange{*min, *max};
    }

    // The items of an "opt" list, "33,34,35" or "LIGHT,WIPER".
    static std::vector<std::string> items(const char* list) {
        std::vector<std::string> found;
        for (const char* at = list; *at != '\0';) {
            const char* end = std::strchr(at, ',');
            end = end != nullptr ? end : at + std::strlen(at);
            std::string item(at, end);
            item.erase(0, item.find_first_not_of(" \t\r\n"));
            item.erase(item.find_last_not_of(" \t\r\n") + 1);
            if (!item.empty()) {
                found.push_back(item);
            }
            at = *end == ',' ? end + 1 : end;
        }
        return found;
    }
};

}  // namespace

CapabilitiesAnswer capabilities_from_answer(pugi::xml_node answer, PtzCapabilitiesEx& caps) {
    // Cameras spell the root one way, recorders the other.
    Reader read{Utils::xml_at(answer, "PTZChanelCap")};
    if (!read.root) {
        read.root = Utils::xml_at(answer, "PTZChannelCap");
    }
    if (!read.root) {
        return CapabilitiesAnswer::NotOne;
    }
    PtzCapabilitiesEx found;
    for (const CapabilityField& field : kCapabilityFields) {
        const pugi::xml_node at = Utils::xml_at(read.root, field.path);
        const bool attributes = field.attribute != nullptr;
        const char* const text =
            attributes ? at.attribute(field.attribute).value() : at.text().get();
        switch (field.kind) {
            case CapabilityKind::Range:
                found.*field.range = read.range(at, field.scale);
                break;
            case CapabilityKind::SpeedRange:
                found.*field.speed_range = read.speed_range(at, attributes);
                break;
            case CapabilityKind::Whole:
                found.*field.whole = read.whole(text);
                break;
            case CapabilityKind::Flag:
                if (std::strcmp(text, "true") == 0 || std::strcmp(text, "false") == 0) {
                    found.*field.flag = std::strcmp(text, "true") == 0;
                } else if (*text != '\0') {
                    read.bad = true;
                }
                break;
            case CapabilityKind::Numbers:
                for (const std::string& item : Reader::items(text)) {
                    if (const std::optional<int> number = read.whole(item.c_str())) {
                        (found.*field.numbers).push_back(*number);
                    }
                }
                break;
            case CapabilityKind::Names:
                found.*field.names = Reader::items(text);
                break;
        }
    }
    if (read.bad) {
        return CapabilitiesAnswer::NotNumbers;
    }
    caps = std::move(found);
    return CapabilitiesAnswer::Read;
}

namespace {

// The capabilities, or why the answer is none.
const char* read_capabilities(const pugi::xml_document& answer, PtzCapabilitiesEx& caps) {
    switch (capabilities_from_answer(answer, caps)) {
        case CapabilitiesAnswer::Read:
            return nullptr;
        case CapabilitiesAnswer::NotNumbers:
            return "the capabilities hold a value that is not a number";
        case CapabilitiesAnswer::NotOne:
            break;
    }
    return "the answer is not a capabilities document";
}

// The console commands check their arguments against what the camera said.
void keep(CameraLink& link, const PtzCapabilitiesEx& caps) {
    link.set_known_capabilities(caps);
}

std::unique_ptr<DocumentQuery<PtzCapabilitiesEx>> capabilities_query(const CameraLink& link) {
    return std::make_unique<DocumentQuery<PtzCapabilitiesEx>>(
        "get_capabilities", link.command_url("/capabilities"), read_capabilities, keep);
}

}  // namespace

int ZelkoPtzCameraIsapi::get_capabilities(PtzCapabilities& caps) {
    const auto command = capabilities_query(*link);
    const int code = drive(*command);
    if (command->written) {
        caps = std::move(command->value);
    }
    return code;
}

Operation ZelkoPtzCameraIsapi::get_capabilities(Engine& engine,
                                                ValueCallback<PtzCapabilities> done) {
    return submit(engine, with(capabilities_query(*link),
                               [done = std::move(done)](int code, const PtzCapabilitiesEx& caps) {
                                   done(code, caps);
                               }));
}

int ZelkoPtzCameraIsapi::get_capabilities_ex(PtzCapabilitiesEx& caps) {
    const auto command = capabilities_query(*link);
    return written(drive(*command), *command, caps);
}

Operation ZelkoPtzCameraIsapi::get_capabilities_ex(Engine& engine,
                                                   ValueCallback<PtzCapabilitiesEx> done) {
    return submit(engine, with(capabilities_query(*link), std::move(done)));
}

}  // namespace Ptz
