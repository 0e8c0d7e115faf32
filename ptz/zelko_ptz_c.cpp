#include "zelko_ptz_c.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "zelko_ptz_camera_isapi.h"

struct zelko_ptz_camera {
    Ptz::ZelkoPtzCameraIsapi camera;
};

namespace {

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

// Runs `call`, turning whatever it throws into a result code: nothing may unwind into C.
template <typename Call>
int guarded(const void* required, Call call) {
    if (required == nullptr) {
        return ZELKO_PTZ_NULL_ARGUMENT;
    }
    try {
        return call();
    } catch (const std::invalid_argument&) {
        return ZELKO_PTZ_NOT_NUMBERS;
    } catch (const std::out_of_range&) {
        return ZELKO_PTZ_NOT_NUMBERS;
    } catch (const std::bad_alloc&) {
        return ZELKO_PTZ_OUT_OF_MEMORY;
    } catch (...) {
        return ZELKO_PTZ_UNEXPECTED;
    }
}

// The fields a host's options hold, over the defaults for those it does not know.
Ptz::CameraOptions camera_options(const zelko_ptz_options* given) {
    zelko_ptz_options o;
    zelko_ptz_options_init(&o);
    if (given != nullptr) {
        std::memcpy(&o, given, std::min(given->size, sizeof o));
    }
    return {o.keep_session != 0,
            o.https != 0,
            o.port,
            o.channel,
            o.ca_file != nullptr ? o.ca_file : "",
            o.pinned_key != nullptr ? o.pinned_key : "",
            o.verify_peer != 0,
            o.error_sink,
            o.error_sink_user};
}

// At most `size` - 1 bytes of `text`, not ending inside a UTF-8 character, and a zero.
void copy_name(const std::string& text, char* out, std::size_t size) {
    std::size_t n = std::min(text.size(), size - 1);
    while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
        --n;
    }
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

extern "C" {

void zelko_ptz_options_init(zelko_ptz_options* options) {
    if (options != nullptr) {
        *options = zelko_ptz_options{
            sizeof(zelko_ptz_options), 0, 0, 0, 1, nullptr, nullptr, 1, nullptr, nullptr};
    }
}

zelko_ptz_camera* zelko_ptz_camera_new(const char* address, const char* userpwd,
                                       const zelko_ptz_options* options) {
    if (address == nullptr || userpwd == nullptr) {
        return nullptr;
    }
    try {
        return new zelko_ptz_camera{{address, userpwd, camera_options(options)}};
    } catch (...) {
        return nullptr;
    }
}

void zelko_ptz_camera_free(zelko_ptz_camera* camera) {
    delete camera;
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

int zelko_ptz_reset_zoom(zelko_ptz_camera* c) {
    return guarded(c, [&] { return c->camera.reset_zoom(); });
}

int zelko_ptz_reset_position(zelko_ptz_camera* c) {
    return guarded(c, [&] { return c->camera.reset_position(); });
}

int zelko_ptz_set_ptz_aux(zelko_ptz_camera* c, int32_t aux, int32_t status) {
    return guarded(c, [&] {
        return c->camera.set_ptz_aux(static_cast<Ptz::PtzAux>(aux),
                                     static_cast<Ptz::PtzStatus>(status));
    });
}

int zelko_ptz_set_ptz_ctrl(zelko_ptz_camera* c, zelko_ptz_ctrl ctrl) {
    return guarded(c, [&] { return c->camera.set_ptz_ctrl({ctrl.pan, ctrl.tilt, ctrl.zoom}); });
}

int zelko_ptz_goto_preset(zelko_ptz_camera* c, int32_t id) {
    return guarded(c, [&] { return c->camera.goto_preset(id); });
}

int zelko_ptz_set_preset(zelko_ptz_camera* c, int32_t id, const char* name) {
    return guarded(c != nullptr && name != nullptr ? c : nullptr,
                   [&] { return c->camera.set_preset(id, name); });
}

int zelko_ptz_remove_preset(zelko_ptz_camera* c, int32_t id) {
    return guarded(c, [&] { return c->camera.remove_preset(id); });
}

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
        for (std::size_t i = 0; i < listed.size(); ++i) {
            presets[i].id = listed[i].id;
            presets[i].enabled = listed[i].enabled ? 1 : 0;
            copy_name(listed[i].name, presets[i].name, sizeof presets[i].name);
        }
        return code;
    });
}

const char* zelko_ptz_version(void) {
    return ZELKO_PTZ_VERSION;
}

const char* zelko_ptz_result_text(int code) {
    switch (code) {
        case ZELKO_PTZ_OK:
            return "success";
        case ZELKO_PTZ_TRANSFER_FAILED:
            return "the HTTP transfer did not complete";
        case ZELKO_PTZ_NOT_XML:
            return "the answer is not well-formed XML";
        case ZELKO_PTZ_NOT_NUMBERS:
            return "the position answer is not numbers";
        case ZELKO_PTZ_REJECTED:
            return "the camera did not answer OK, or an argument or option was refused";
        case ZELKO_PTZ_NULL_ARGUMENT:
            return "a NULL handle or pointer";
        case ZELKO_PTZ_OUT_OF_MEMORY:
            return "out of memory";
        case ZELKO_PTZ_LIST_TOO_SMALL:
            return "more presets than the array holds";
        case ZELKO_PTZ_UNEXPECTED:
            return "an unexpected exception, such as from an error sink";
        default:
            return "unknown result code";
    }
}

}  // extern "C"
