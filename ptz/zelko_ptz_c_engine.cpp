// The engine and the asynchronous functions of the C interface: each hands its method to the
// C++ overload, with a callback that turns the value into its C struct for the duration of the
// call.

#include <cstring>
#include <memory>
#include <vector>

#include "c_values.h"
#include "engine.h"
#include "zelko_ptz_c.h"

namespace {

using Ptz::coded;
using Ptz::submitted;

Ptz::ValueCallback<Ptz::PtzPosition> positioned(zelko_ptz_position_done done, void* user,
                                                bool also_on_timeout) {
    return [=](int code, const Ptz::PtzPosition& where) {
        zelko_ptz_position out;
        std::memcpy(&out, &where, sizeof out);
        const bool written =
            code == ZELKO_PTZ_OK || (also_on_timeout && code == ZELKO_PTZ_TIMED_OUT);
        done(user, code, written ? &out : nullptr);
    };
}

// wait_for_stop's watch in C, alive until the operation ends.
struct CWatch {
    zelko_ptz_position_watch watch;
    void* user;

    static bool call(void* self, const Ptz::PtzPosition& where) {
        const CWatch& w = *static_cast<const CWatch*>(self);
        zelko_ptz_position seen;
        std::memcpy(&seen, &where, sizeof seen);
        return w.watch(w.user, &seen) != 0;
    }
};

}  // namespace

extern "C" {

zelko_ptz_engine* zelko_ptz_engine_new(void) {
    try {
        return new zelko_ptz_engine;
    } catch (...) {
        return nullptr;
    }
}

void zelko_ptz_engine_free(zelko_ptz_engine* e) {
    delete e;
}

int zelko_ptz_engine_run(zelko_ptz_engine* e, int timeout_ms) {
    return e == nullptr ? -ZELKO_PTZ_NULL_ARGUMENT : e->engine.run(timeout_ms);
}

void zelko_ptz_engine_wakeup(zelko_ptz_engine* e) {
    if (e != nullptr) {
        e->engine.wakeup();
    }
}

int zelko_ptz_engine_set_hooks(zelko_ptz_engine* e, void (*socket)(void*, int, int),
                               void (*timer)(void*, long), void* user) {
    return e == nullptr ? ZELKO_PTZ_NULL_ARGUMENT : e->engine.set_hooks({socket, timer, user});
}

void zelko_ptz_engine_on_socket(zelko_ptz_engine* e, int fd, int events) {
    if (e != nullptr) {
        e->engine.on_socket(fd, events);
    }
}

void zelko_ptz_engine_on_timeout(zelko_ptz_engine* e) {
    if (e != nullptr) {
        e->engine.on_timeout();
    }
}

int zelko_ptz_cancel(zelko_ptz_engine* e, uint64_t id) {
    if (e == nullptr) {
        return ZELKO_PTZ_NULL_ARGUMENT;
    }
    return e->engine.cancel(id) ? ZELKO_PTZ_OK : ZELKO_PTZ_REJECTED;
}

int zelko_ptz_set_move_coalescing(zelko_ptz_camera* c, int on) {
    if (c == nullptr) {
        return ZELKO_PTZ_NULL_ARGUMENT;
    }
    c->camera.set_move_coalescing(on != 0);
    return ZELKO_PTZ_OK;
}

uint64_t zelko_ptz_get_info_async(zelko_ptz_camera* c, zelko_ptz_engine* e, const char* path,
                                  zelko_ptz_info_done done, void* user) {
    return submitted(c, e, path != nullptr && done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_info(engine, path, [done, user](int code, const std::string& answer) {
            const bool written = code == ZELKO_PTZ_OK || code == ZELKO_PTZ_NOT_XML;
            done(user, code, written ? answer.c_str() : nullptr, written ? answer.size() : 0);
        });
    });
}

uint64_t zelko_ptz_get_ptz_absoluteEx_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                            zelko_ptz_absolute_ex_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_ptz_absoluteEx(
            engine, Ptz::valued<Ptz::PtzAbsoluteEx>(done, user, [](const Ptz::PtzAbsoluteEx& read) {
                zelko_ptz_absolute_ex out;
                std::memcpy(&out, &read, sizeof out);
                return out;
            }));
    });
}

uint64_t zelko_ptz_set_ptz_absoluteEx_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                            zelko_ptz_absolute_ex position, zelko_ptz_done done,
                                            void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        Ptz::PtzAbsoluteEx sent;
        std::memcpy(&sent, &position, sizeof sent);
        return camera.set_ptz_absoluteEx(engine, sent, coded(done, user));
    });
}

uint64_t zelko_ptz_set_ptz_aux_async(zelko_ptz_camera* c, zelko_ptz_engine* e, int32_t aux,
                                     int32_t status, zelko_ptz_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.set_ptz_aux(engine, static_cast<Ptz::PtzAux>(aux),
                                  static_cast<Ptz::PtzStatus>(status), coded(done, user));
    });
}

uint64_t zelko_ptz_set_ptz_ctrl_async(zelko_ptz_camera* c, zelko_ptz_engine* e, zelko_ptz_ctrl ctrl,
                                      zelko_ptz_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.set_ptz_ctrl(engine, {ctrl.pan, ctrl.tilt, ctrl.zoom}, coded(done, user));
    });
}

uint64_t zelko_ptz_set_preset_async(zelko_ptz_camera* c, zelko_ptz_engine* e, int32_t id,
                                    const char* name, zelko_ptz_done done, void* user) {
    return submitted(c, e, name != nullptr && done != nullptr, [&](auto& camera, auto& engine) {
        return camera.set_preset(engine, id, name, coded(done, user));
    });
}

uint64_t zelko_ptz_get_presets_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                     zelko_ptz_presets_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_presets(engine, [done, user](int code,
                                                       const std::vector<Ptz::PtzPreset>& listed) {
            std::vector<zelko_ptz_preset> out(code == ZELKO_PTZ_OK ? listed.size() : 0);
            Ptz::to_c(code == ZELKO_PTZ_OK ? listed : std::vector<Ptz::PtzPreset>{}, out.data());
            done(user, code, out.data(), out.size());
        });
    });
}

uint64_t zelko_ptz_get_position_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                      zelko_ptz_position_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_position(engine, positioned(done, user, false));
    });
}

uint64_t zelko_ptz_set_position_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                      const zelko_ptz_position* position, zelko_ptz_done done,
                                      void* user) {
    return submitted(c, e, position != nullptr && done != nullptr, [&](auto& camera, auto& engine) {
        Ptz::PtzPosition sent;
        std::memcpy(&sent, position, sizeof sent);
        return camera.set_position(engine, sent, coded(done, user));
    });
}

uint64_t zelko_ptz_move_for_async(zelko_ptz_camera* c, zelko_ptz_engine* e, zelko_ptz_ctrl ctrl,
                                  int32_t duration_ms, zelko_ptz_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.move_for(engine, {ctrl.pan, ctrl.tilt, ctrl.zoom}, duration_ms,
                               coded(done, user));
    });
}

uint64_t zelko_ptz_move_by_async(zelko_ptz_camera* c, zelko_ptz_engine* e, float d_azimuth,
                                 float d_elevation, float d_zoom, zelko_ptz_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.move_by(engine, d_azimuth, d_elevation, d_zoom, coded(done, user));
    });
}

uint64_t zelko_ptz_center_on_async(zelko_ptz_camera* c, zelko_ptz_engine* e, float x, float y,
                                   zelko_ptz_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.center_on(engine, x, y, coded(done, user));
    });
}

uint64_t zelko_ptz_zoom_to_area_async(zelko_ptz_camera* c, zelko_ptz_engine* e, float x0, float y0,
                                      float x1, float y1, zelko_ptz_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.zoom_to_area(engine, x0, y0, x1, y1, coded(done, user));
    });
}

uint64_t zelko_ptz_wait_for_stop_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                       double timeout_seconds, zelko_ptz_position_watch watch,
                                       zelko_ptz_position_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        // The watch's state lives in the callback, which the engine keeps until the end.
        const auto held = std::make_shared<CWatch>(CWatch{watch, user});
        const auto finished = positioned(done, user, true);
        return camera.wait_for_stop(
            engine, timeout_seconds,
            [held, finished](int code, const Ptz::PtzPosition& where) { finished(code, where); },
            watch != nullptr ? &CWatch::call : nullptr, held.get());
    });
}

uint64_t zelko_ptz_get_capabilities_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                          zelko_ptz_capabilities_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_capabilities_ex(
            engine, Ptz::valued<Ptz::PtzCapabilitiesEx>(done, user, Ptz::to_c_base));
    });
}

}  // extern "C"
