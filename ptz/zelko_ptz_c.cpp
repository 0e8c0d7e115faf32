#include "zelko_ptz_c.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "c_values.h"
#include "capability_fields.h"
#include "limits.h"
#include "option_fields.h"

namespace {

using Ptz::copy_name;
using Ptz::guarded;

#define SAME_FIELD(c, cpp, field)                                                             \
    static_assert(                                                                            \
        offsetof(c, field) == offsetof(cpp, field) && sizeof(c::field) == sizeof(cpp::field), \
        #field " lies in " #c " where it lies in " #cpp)

static_assert(sizeof(zelko_ptz_absolute_ex) == sizeof(Ptz::PtzAbsoluteEx), "position layout");
SAME_FIELD(zelko_ptz_absolute_ex, Ptz::PtzAbsoluteEx, elevation);
SAME_FIELD(zelko_ptz_absolute_ex, Ptz::PtzAbsoluteEx, azimuth);
SAME_FIELD(zelko_ptz_absolute_ex, Ptz::PtzAbsoluteEx, absoluteZoom);
SAME_FIELD(zelko_ptz_absolute_ex, Ptz::PtzAbsoluteEx, focus);
SAME_FIELD(zelko_ptz_absolute_ex, Ptz::PtzAbsoluteEx, focalLen);
SAME_FIELD(zelko_ptz_absolute_ex, Ptz::PtzAbsoluteEx, horizontalSpeed);
SAME_FIELD(zelko_ptz_absolute_ex, Ptz::PtzAbsoluteEx, verticalSpeed);
static_assert(sizeof(zelko_ptz_position) == sizeof(Ptz::PtzPosition), "position layout");
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, elevation);
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, azimuth);
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, zoom);
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, focus);
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, focal_length);
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, horizontal_speed);
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, vertical_speed);
SAME_FIELD(zelko_ptz_position, Ptz::PtzPosition, present);
static_assert(ZELKO_PTZ_POSITION_ELEVATION == Ptz::PtzPosition::Elevation &&
                  ZELKO_PTZ_POSITION_AZIMUTH == Ptz::PtzPosition::Azimuth &&
                  ZELKO_PTZ_POSITION_ZOOM == Ptz::PtzPosition::Zoom &&
                  ZELKO_PTZ_POSITION_FOCUS == Ptz::PtzPosition::Focus &&
                  ZELKO_PTZ_POSITION_FOCAL_LENGTH == Ptz::PtzPosition::FocalLength &&
                  ZELKO_PTZ_POSITION_HORIZONTAL_SPEED == Ptz::PtzPosition::HorizontalSpeed &&
                  ZELKO_PTZ_POSITION_VERTICAL_SPEED == Ptz::PtzPosition::VerticalSpeed,
              "the position's bits");
static_assert(ZELKO_PTZ_OK == static_cast<int>(Ptz::Result::Ok) &&
                  ZELKO_PTZ_TRANSFER_FAILED == static_cast<int>(Ptz::Result::TransferFailed) &&
                  ZELKO_PTZ_NOT_XML == static_cast<int>(Ptz::Result::NotXml) &&
                  ZELKO_PTZ_NOT_NUMBERS == static_cast<int>(Ptz::Result::NotNumbers) &&
                  ZELKO_PTZ_TIMED_OUT == static_cast<int>(Ptz::Result::TimedOut) &&
                  ZELKO_PTZ_CANCELLED == static_cast<int>(Ptz::Result::Cancelled) &&
                  ZELKO_PTZ_REJECTED == static_cast<int>(Ptz::Result::Rejected) &&
                  ZELKO_PTZ_NULL_ARGUMENT == static_cast<int>(Ptz::Result::NullArgument) &&
                  ZELKO_PTZ_OUT_OF_MEMORY == static_cast<int>(Ptz::Result::OutOfMemory) &&
                  ZELKO_PTZ_LIST_TOO_SMALL == static_cast<int>(Ptz::Result::ListTooSmall) &&
                  ZELKO_PTZ_UNEXPECTED == static_cast<int>(Ptz::Result::Unexpected),
              "the result codes");
static_assert(sizeof(zelko_ptz_ctrl) == sizeof(Ptz::PtzCtrl), "motion layout");
SAME_FIELD(zelko_ptz_ctrl, Ptz::PtzCtrl, pan);
SAME_FIELD(zelko_ptz_ctrl, Ptz::PtzCtrl, tilt);
SAME_FIELD(zelko_ptz_ctrl, Ptz::PtzCtrl, zoom);
static_assert(ZELKO_PTZ_AUX_LIGHT == static_cast<int32_t>(Ptz::PtzAux::Light) &&
                  ZELKO_PTZ_AUX_WIPER == static_cast<int32_t>(Ptz::PtzAux::Wiper) &&
                  ZELKO_PTZ_AUX_FAN == static_cast<int32_t>(Ptz::PtzAux::Fan) &&
                  ZELKO_PTZ_STATUS_ON == static_cast<int32_t>(Ptz::PtzStatus::On) &&
                  ZELKO_PTZ_STATUS_OFF == static_cast<int32_t>(Ptz::PtzStatus::Off),
              "the enumerations' values");
static_assert(std::is_same<zelko_ptz_error_sink, Ptz::ErrorSink>::value, "the sink's type");

// The fields a host's options hold, over the defaults for those it does not know.
Ptz::CameraOptions camera_options(const zelko_ptz_options* given) {
    zelko_ptz_options o;
    zelko_ptz_options_init(&o);
    if (given != nullptr) {
        std::memcpy(&o, given, std::min(given->size, sizeof o));
    }
    Ptz::CameraOptions options;
    const char* const base = reinterpret_cast<const char*>(&o);
    for (const Ptz::OptionField& field : Ptz::kOptionFields) {
        if (field.text != nullptr) {
            const char* text = nullptr;
            std::memcpy(&text, base + field.c_offset, sizeof text);
            options.*field.text = text != nullptr ? text : "";
            continue;
        }
        int32_t value = 0;
        std::memcpy(&value, base + field.c_offset, sizeof value);
        if (field.flag != nullptr) {
            options.*field.flag = value != 0;
        } else {
            options.*field.number = value;
        }
    }
    options.error_sink = o.error_sink;
    options.error_sink_user = o.error_sink_user;
    return options;
}

// The hold of a host's options, or 30 s for a host built before 1.2.
double refusal_hold(const zelko_ptz_options* given) {
    zelko_ptz_options o;
    zelko_ptz_options_init(&o);
    if (given != nullptr) {
        std::memcpy(&o, given, std::min(given->size, sizeof o));
    }
    return o.refusal_hold_seconds;
}

// One value of `caps` into the C struct at `out`, and its bit.
void copy_capability(const Ptz::PtzCapabilitiesEx& caps, const Ptz::CapabilityField& field,
                     char* out) {
    const auto put = [out](std::size_t offset, auto value) {
        std::memcpy(out + offset, &value, sizeof value);
    };
    std::uint32_t reported = 0;
    std::memcpy(&reported, out + offsetof(zelko_ptz_capabilities, reported), sizeof reported);
    bool present = false;
    switch (field.kind) {
        case Ptz::CapabilityKind::Range:
            if ((present = (caps.*field.range).has_value())) {
                put(field.c_offset, (caps.*field.range)->min);
                put(field.c_offset + sizeof(float), (caps.*field.range)->max);
            }
            break;
        case Ptz::CapabilityKind::SpeedRange:
            if ((present = (caps.*field.speed_range).has_value())) {
                put(field.c_offset, static_cast<int32_t>((caps.*field.speed_range)->min));
                put(field.c_offset + sizeof(int32_t),
                    static_cast<int32_t>((caps.*field.speed_range)->max));
            }
            break;
        case Ptz::CapabilityKind::Whole:
            if ((present = (caps.*field.whole).has_value())) {
                put(field.c_offset, static_cast<int32_t>(*(caps.*field.whole)));
            }
            break;
        case Ptz::CapabilityKind::Flag:
            if ((present = (caps.*field.flag).has_value())) {
                put(field.c_offset, static_cast<int32_t>(*(caps.*field.flag) ? 1 : 0));
            }
            break;
        case Ptz::CapabilityKind::Numbers: {
            const auto& numbers = caps.*field.numbers;
            const std::size_t count = std::min(numbers.size(), field.c_capacity);
            for (std::size_t i = 0; i < count; ++i) {
                put(field.c_offset + i * field.c_entry_size, static_cast<int32_t>(numbers[i]));
            }
            put(field.c_count, count);
            break;
        }
        case Ptz::CapabilityKind::Names: {
            const auto& names = caps.*field.names;
            const std::size_t count = std::min(names.size(), field.c_capacity);
            for (std::size_t i = 0; i < count; ++i) {
                copy_name(names[i], out + field.c_offset + i * field.c_entry_size,
                          field.c_entry_size);
            }
            put(field.c_count, count);
            break;
        }
    }
    if (present) {
        put(offsetof(zelko_ptz_capabilities, reported), reported | field.c_bit);
    }
}

}  // namespace

void Ptz::copy_name(const std::string& text, char* out, std::size_t size) {
    std::size_t n = std::min(text.size(), size - 1);
    while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
        --n;
    }
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

void Ptz::to_c(const std::vector<PtzPreset>& listed, zelko_ptz_preset* out) {
    for (std::size_t i = 0; i < listed.size(); ++i) {
        out[i].id = listed[i].id;
        out[i].enabled = listed[i].enabled ? 1 : 0;
        copy_name(listed[i].name, out[i].name, sizeof out[i].name);
    }
}

zelko_ptz_capabilities_ex Ptz::to_c(const PtzCapabilitiesEx& caps) {
    zelko_ptz_capabilities_ex out{};
    for (const CapabilityField& field : kCapabilityFields) {
        copy_capability(caps, field, reinterpret_cast<char*>(&out));
    }
    return out;
}

zelko_ptz_capabilities Ptz::to_c_base(const PtzCapabilitiesEx& caps) {
    zelko_ptz_capabilities out = to_c(caps).base;
    out.reported &=
        ~(ZELKO_PTZ_CAP_MAX_PATROLS | ZELKO_PTZ_CAP_MAX_PATTERNS | ZELKO_PTZ_CAP_PARK_SECONDS);
    return out;
}

extern "C" {

void zelko_ptz_options_init(zelko_ptz_options* options) {
    if (options != nullptr) {
        *options = zelko_ptz_options{
            sizeof(zelko_ptz_options), 0, 0, 0, 1, nullptr, nullptr, 1, nullptr, nullptr, 30.0};
    }
}

zelko_ptz_camera* zelko_ptz_camera_new(const char* address, const char* userpwd,
                                       const zelko_ptz_options* options) {
    const double hold = refusal_hold(options);
    if (address == nullptr || userpwd == nullptr || !Ptz::kRefusalHoldSeconds.hold(hold)) {
        return nullptr;
    }
    try {
        const Ptz::CameraOptions given = camera_options(options);
        zelko_ptz_camera* camera = new zelko_ptz_camera{
            {address, userpwd, given}, {}, Ptz::camera_error(address, userpwd, given)};
        camera->camera.set_refusal_hold(hold);
        return camera;
    } catch (...) {
        return nullptr;
    }
}

void zelko_ptz_camera_free(zelko_ptz_camera* camera) {
    delete camera;
}

const char* zelko_ptz_camera_error(const zelko_ptz_camera* camera) {
    return camera != nullptr ? camera->error.c_str() : "";
}

int zelko_ptz_get_info(zelko_ptz_camera* c, const char* path) {
    return guarded(c != nullptr && path != nullptr ? c : nullptr,
                   [&] { return c->camera.get_info(path); });
}

int zelko_ptz_get_ptz_absoluteEx(zelko_ptz_camera* c, zelko_ptz_absolute_ex* position) {
    return guarded(c != nullptr && position != nullptr ? c : nullptr, [&] {
        Ptz::PtzAbsoluteEx read{};
        const int code = c->camera.get_ptz_absoluteEx(read);
        if (code == 0) {
            std::memcpy(position, &read, sizeof read);
        }
        return code;
    });
}

int zelko_ptz_set_ptz_absoluteEx(zelko_ptz_camera* c, zelko_ptz_absolute_ex position) {
    return guarded(c, [&] {
        Ptz::PtzAbsoluteEx sent;
        std::memcpy(&sent, &position, sizeof sent);
        return c->camera.set_ptz_absoluteEx(sent);
    });
}

ZELKO_PTZ_C_COMMAND(reset_zoom)
ZELKO_PTZ_C_COMMAND(reset_position)

int zelko_ptz_set_ptz_aux(zelko_ptz_camera* c, int32_t aux, int32_t status) {
    return guarded(c, [&] {
        return c->camera.set_ptz_aux(static_cast<Ptz::PtzAux>(aux),
                                     static_cast<Ptz::PtzStatus>(status));
    });
}

int zelko_ptz_set_ptz_ctrl(zelko_ptz_camera* c, zelko_ptz_ctrl ctrl) {
    return guarded(c, [&] { return c->camera.set_ptz_ctrl({ctrl.pan, ctrl.tilt, ctrl.zoom}); });
}

ZELKO_PTZ_C_COMMAND_OF_INT(goto_preset)

int zelko_ptz_set_preset(zelko_ptz_camera* c, int32_t id, const char* name) {
    return guarded(c != nullptr && name != nullptr ? c : nullptr,
                   [&] { return c->camera.set_preset(id, name); });
}

ZELKO_PTZ_C_COMMAND_OF_INT(remove_preset)

int zelko_ptz_get_presets(zelko_ptz_camera* c, zelko_ptz_preset* presets, size_t capacity,
                          size_t* count) {
    const bool given = c != nullptr && count != nullptr && (presets != nullptr || capacity == 0);
    return guarded(given ? c : nullptr, [&] {
        std::vector<Ptz::PtzPreset> listed;
        const int code = c->camera.get_presets(listed);
        if (code != 0) {
            return code;
        }
        *count = listed.size();
        if (listed.size() > capacity) {
            return ZELKO_PTZ_LIST_TOO_SMALL;
        }
        Ptz::to_c(listed, presets);
        return code;
    });
}

int zelko_ptz_get_position(zelko_ptz_camera* c, zelko_ptz_position* position) {
    return guarded(c != nullptr && position != nullptr ? c : nullptr, [&] {
        Ptz::PtzPosition read{};
        const int code = c->camera.get_position(read);
        if (code == 0) {
            std::memcpy(position, &read, sizeof read);
        }
        return code;
    });
}

int zelko_ptz_set_position(zelko_ptz_camera* c, const zelko_ptz_position* position) {
    return guarded(c != nullptr && position != nullptr ? c : nullptr, [&] {
        Ptz::PtzPosition sent;
        std::memcpy(&sent, position, sizeof sent);
        return c->camera.set_position(sent);
    });
}

int zelko_ptz_move_for(zelko_ptz_camera* c, zelko_ptz_ctrl ctrl, int32_t duration_ms) {
    return guarded(c, [&] {
        return c->camera.move_for({ctrl.pan, ctrl.tilt, ctrl.zoom}, duration_ms);
    });
}

int zelko_ptz_move_by(zelko_ptz_camera* c, float d_azimuth, float d_elevation, float d_zoom) {
    return guarded(c, [&] { return c->camera.move_by(d_azimuth, d_elevation, d_zoom); });
}

int zelko_ptz_center_on(zelko_ptz_camera* c, float x, float y) {
    return guarded(c, [&] { return c->camera.center_on(x, y); });
}

int zelko_ptz_zoom_to_area(zelko_ptz_camera* c, float x0, float y0, float x1, float y1) {
    return guarded(c, [&] { return c->camera.zoom_to_area(x0, y0, x1, y1); });
}

int zelko_ptz_wait_for_stop(zelko_ptz_camera* c, zelko_ptz_position* where,
                            double timeout_seconds) {
    return guarded(c != nullptr && where != nullptr ? c : nullptr, [&] {
        Ptz::PtzPosition last{};
        const int code = c->camera.wait_for_stop(last, timeout_seconds);
        if (code == ZELKO_PTZ_OK || code == ZELKO_PTZ_TIMED_OUT) {
            std::memcpy(where, &last, sizeof last);
        }
        return code;
    });
}

int zelko_ptz_get_capabilities(zelko_ptz_camera* c, zelko_ptz_capabilities* caps) {
    return guarded(c != nullptr && caps != nullptr ? c : nullptr, [&] {
        Ptz::PtzCapabilitiesEx read;
        const int code = c->camera.get_capabilities_ex(read);
        if (code != 0) {
            return code;
        }
        *caps = Ptz::to_c_base(read);
        return code;
    });
}

int zelko_ptz_set_timeouts(zelko_ptz_camera* c, double connect_seconds, double total_seconds) {
    return guarded(c, [&] { return c->camera.set_timeouts(connect_seconds, total_seconds); });
}

int zelko_ptz_set_interrupt_check(zelko_ptz_camera* c, int (*check)(void*), void* user) {
    if (c == nullptr) {
        return ZELKO_PTZ_NULL_ARGUMENT;
    }
    c->camera.set_interrupt_check(check == nullptr ? std::function<bool()>()
                                                   : [check, user] { return check(user) != 0; });
    return ZELKO_PTZ_OK;
}

const char* zelko_ptz_failure_reason(zelko_ptz_camera* c) {
    if (c == nullptr) {
        return "";
    }
    try {
        c->reason = c->camera.failure_reason();
    } catch (...) {
        c->reason.clear();  // out of memory: no reason rather than a stale one
    }
    return c->reason.c_str();
}

const char* zelko_ptz_version(void) {
    return Ptz::version();
}

const char* zelko_ptz_result_text(int code) {
    return Ptz::result_text(code);
}

}  // extern "C"
