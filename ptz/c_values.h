#pragma once

// What the C interface's blocking and asynchronous functions share: the camera handle and the
// copies of the library's values into the C structs.

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine.h"
#include "zelko_ptz_c.h"
#include "zelko_ptz_camera_isapi.h"

struct zelko_ptz_engine {
    Ptz::Engine engine;
};

struct zelko_ptz_camera {
    Ptz::ZelkoPtzCameraIsapi camera;
    std::string reason;  // what zelko_ptz_failure_reason() last handed out
    std::string error;   // what zelko_ptz_camera_error() hands out
};

namespace Ptz {

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

// Submits through `submit` when every pointer is given; 0, and no callback, otherwise, and when
// the submission itself throws (memory ran out).
template <typename Submit>
uint64_t submitted(zelko_ptz_camera* c, zelko_ptz_engine* e, bool given, Submit submit) {
    if (c == nullptr || e == nullptr || !given) {
        return 0;
    }
    try {
        return submit(c->camera, e->engine).id();
    } catch (...) {
        return 0;
    }
}

inline Callback coded(zelko_ptz_done done, void* user) {
    return [done, user](int code) { done(user, code); };
}

// A value's callback: the C copy that `convert` makes lives for the call; NULL on a failure.
template <typename Value, typename Done, typename Convert>
ValueCallback<Value> valued(Done done, void* user, Convert convert) {
    return [done, user, convert](int code, const Value& read) {
        const auto out = convert(read);
        done(user, code, code == ZELKO_PTZ_OK ? &out : nullptr);
    };
}

// At most `size` - 1 bytes of `text`, not ending inside a UTF-8 character, and a zero.
void copy_name(const std::string& text, char* out, std::size_t size);

// `listed` into `out`, which holds listed.size() entries; names cut to fit, whole characters.
void to_c(const std::vector<PtzPreset>& listed, zelko_ptz_preset* out);
// Every value the table knows, with its bit in `reported`.
zelko_ptz_capabilities_ex to_c(const PtzCapabilitiesEx& caps);
// What zelko_ptz_capabilities holds of them, its bits those of its own values alone.
zelko_ptz_capabilities to_c_base(const PtzCapabilitiesEx& caps);

}  // namespace Ptz

// A command that takes nothing, or one whole number, and reports a code alone, in both forms:
// zelko_ptz_<name>(camera[, arg]) and zelko_ptz_<name>_async(camera, engine[, arg], done, user).
#define ZELKO_PTZ_C_COMMAND(name)                                                      \
    int zelko_ptz_##name(zelko_ptz_camera* c) {                                        \
        return Ptz::guarded(c, [&] { return c->camera.name(); });                      \
    }                                                                                  \
    uint64_t zelko_ptz_##name##_async(zelko_ptz_camera* c, zelko_ptz_engine* e,        \
                                      zelko_ptz_done done, void* user) {               \
        return Ptz::submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) { \
            return camera.name(engine, Ptz::coded(done, user));                        \
        });                                                                            \
    }
#define ZELKO_PTZ_C_COMMAND_OF_INT(name)                                                       \
    int zelko_ptz_##name(zelko_ptz_camera* c, int32_t value) {                                 \
        return Ptz::guarded(c, [&] { return c->camera.name(value); });                         \
    }                                                                                          \
    uint64_t zelko_ptz_##name##_async(zelko_ptz_camera* c, zelko_ptz_engine* e, int32_t value, \
                                      zelko_ptz_done done, void* user) {                       \
        return Ptz::submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {         \
            return camera.name(engine, value, Ptz::coded(done, user));                         \
        });                                                                                    \
    }
