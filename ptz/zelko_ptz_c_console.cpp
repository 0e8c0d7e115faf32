// The console's functions of the C interface, blocking and on an engine: each hands its method
// to the C++ one, and copies the values between the C structs and the library's.

#include <algorithm>
#include <cstring>
#include <vector>

#include "c_values.h"
#include "limits.h"

namespace {

using Ptz::coded;
using Ptz::copy_name;
using Ptz::guarded;
using Ptz::submitted;

std::string bounded_text(const char* text, std::size_t size) {
    return std::string(text, strnlen(text, size));
}

Ptz::PtzPatrol from_c(const zelko_ptz_patrol& p) {
    Ptz::PtzPatrol patrol{p.id, bounded_text(p.name, sizeof p.name), p.enabled != 0, {}};
    // More steps than a patrol holds reach the library's own refusal, one past its most.
    const std::size_t count = std::min<std::size_t>(p.step_count, ZELKO_PTZ_MAX_PATROL_STEPS + 1);
    for (std::size_t i = 0; i < count; ++i) {
        const zelko_ptz_patrol_step& s = i < ZELKO_PTZ_MAX_PATROL_STEPS ? p.steps[i] : p.steps[0];
        patrol.steps.push_back({s.preset, s.speed, s.dwell_seconds});
    }
    return patrol;
}

zelko_ptz_patrol to_c(const Ptz::PtzPatrol& patrol) {
    zelko_ptz_patrol out{};
    out.id = patrol.id;
    out.enabled = patrol.enabled ? 1 : 0;
    copy_name(patrol.name, out.name, sizeof out.name);
    out.step_count = std::min<std::size_t>(patrol.steps.size(), ZELKO_PTZ_MAX_PATROL_STEPS);
    for (std::size_t i = 0; i < out.step_count; ++i) {
        const Ptz::PtzPatrolStep& s = patrol.steps[i];
        out.steps[i] = {s.preset, s.speed, s.dwell_seconds};
    }
    return out;
}

zelko_ptz_pattern to_c(const Ptz::PtzPattern& pattern) {
    return {pattern.id, pattern.enabled ? 1 : 0};
}

Ptz::PtzParkAction from_c(const zelko_ptz_park_action& a) {
    return {a.enabled != 0, a.seconds, bounded_text(a.kind, sizeof a.kind), a.number};
}

zelko_ptz_park_action to_c(const Ptz::PtzParkAction& action) {
    zelko_ptz_park_action out{};
    out.enabled = action.enabled ? 1 : 0;
    out.seconds = action.seconds;
    copy_name(action.kind, out.kind, sizeof out.kind);
    out.number = action.number;
    return out;
}

template <typename CValue, typename Value>
std::vector<CValue> to_c(const std::vector<Value>& listed) {
    std::vector<CValue> out;
    out.reserve(listed.size());
    for (const Value& v : listed) {
        out.push_back(to_c(v));
    }
    return out;
}

// A list into the caller's array, as zelko_ptz_get_presets() hands its presets.
template <typename CValue, typename Value>
int listed(int code, const std::vector<Value>& read, CValue* out, std::size_t capacity,
           std::size_t* count) {
    if (code != 0) {
        return code;
    }
    *count = read.size();
    if (read.size() > capacity) {
        return ZELKO_PTZ_LIST_TOO_SMALL;
    }
    const std::vector<CValue> copied = to_c<CValue>(read);
    std::copy(copied.begin(), copied.end(), out);
    return code;
}

// A list's callback: the copies live for the call.
template <typename CValue, typename Value, typename Done>
Ptz::ValueCallback<std::vector<Value>> list_done(Done done, void* user) {
    return [done, user](int code, const std::vector<Value>& read) {
        const std::vector<CValue> out = to_c<CValue>(code == 0 ? read : std::vector<Value>{});
        done(user, code, out.data(), out.size());
    };
}

}  // namespace

extern "C" {

int zelko_ptz_get_capabilities_ex(zelko_ptz_camera* c, zelko_ptz_capabilities_ex* caps) {
    return guarded(c != nullptr && caps != nullptr ? c : nullptr, [&] {
        Ptz::PtzCapabilitiesEx read;
        const int code = c->camera.get_capabilities_ex(read);
        if (code == 0) {
            *caps = Ptz::to_c(read);
        }
        return code;
    });
}

uint64_t zelko_ptz_get_capabilities_ex_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                             zelko_ptz_capabilities_ex_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_capabilities_ex(
            engine, Ptz::valued<Ptz::PtzCapabilitiesEx>(
                        done, user, [](const auto& read) { return Ptz::to_c(read); }));
    });
}

int zelko_ptz_get_patrols(zelko_ptz_camera* c, zelko_ptz_patrol* patrols, size_t capacity,
                          size_t* count) {
    const bool given = c != nullptr && count != nullptr && (patrols != nullptr || capacity == 0);
    return guarded(given ? c : nullptr, [&] {
        std::vector<Ptz::PtzPatrol> read;
        return listed(c->camera.get_patrols(read), read, patrols, capacity, count);
    });
}

uint64_t zelko_ptz_get_patrols_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                     zelko_ptz_patrols_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_patrols(engine, list_done<zelko_ptz_patrol, Ptz::PtzPatrol>(done, user));
    });
}

int zelko_ptz_set_patrol(zelko_ptz_camera* c, const zelko_ptz_patrol* patrol) {
    return guarded(c != nullptr && patrol != nullptr ? c : nullptr,
                   [&] { return c->camera.set_patrol(from_c(*patrol)); });
}

uint64_t zelko_ptz_set_patrol_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                    const zelko_ptz_patrol* patrol, zelko_ptz_done done,
                                    void* user) {
    return submitted(c, e, done != nullptr && patrol != nullptr, [&](auto& camera, auto& engine) {
        return camera.set_patrol(engine, from_c(*patrol), coded(done, user));
    });
}

int zelko_ptz_get_patterns(zelko_ptz_camera* c, zelko_ptz_pattern* patterns, size_t capacity,
                           size_t* count) {
    const bool given = c != nullptr && count != nullptr && (patterns != nullptr || capacity == 0);
    return guarded(given ? c : nullptr, [&] {
        std::vector<Ptz::PtzPattern> read;
        return listed(c->camera.get_patterns(read), read, patterns, capacity, count);
    });
}

uint64_t zelko_ptz_get_patterns_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                      zelko_ptz_patterns_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_patterns(engine,
                                   list_done<zelko_ptz_pattern, Ptz::PtzPattern>(done, user));
    });
}

int zelko_ptz_get_park_action(zelko_ptz_camera* c, zelko_ptz_park_action* action) {
    return guarded(c != nullptr && action != nullptr ? c : nullptr, [&] {
        Ptz::PtzParkAction read{};
        const int code = c->camera.get_park_action(read);
        if (code == 0) {
            *action = to_c(read);
        }
        return code;
    });
}

uint64_t zelko_ptz_get_park_action_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                         zelko_ptz_park_action_done done, void* user) {
    return submitted(c, e, done != nullptr, [&](auto& camera, auto& engine) {
        return camera.get_park_action(
            engine, Ptz::valued<Ptz::PtzParkAction>(
                        done, user, [](const Ptz::PtzParkAction& read) { return to_c(read); }));
    });
}

int zelko_ptz_set_park_action(zelko_ptz_camera* c, const zelko_ptz_park_action* action) {
    return guarded(c != nullptr && action != nullptr ? c : nullptr,
                   [&] { return c->camera.set_park_action(from_c(*action)); });
}

uint64_t zelko_ptz_set_park_action_async(zelko_ptz_camera* c, zelko_ptz_engine* e,
                                         const zelko_ptz_park_action* action, zelko_ptz_done done,
                                         void* user) {
    return submitted(c, e, done != nullptr && action != nullptr, [&](auto& camera, auto& engine) {
        return camera.set_park_action(engine, from_c(*action), coded(done, user));
    });
}

ZELKO_PTZ_C_COMMAND_OF_INT(set_focus)
ZELKO_PTZ_C_COMMAND_OF_INT(set_iris)
ZELKO_PTZ_C_COMMAND(one_push_focus)
ZELKO_PTZ_C_COMMAND_OF_INT(start_patrol)
ZELKO_PTZ_C_COMMAND_OF_INT(stop_patrol)
ZELKO_PTZ_C_COMMAND_OF_INT(remove_patrol)
ZELKO_PTZ_C_COMMAND_OF_INT(start_pattern)
ZELKO_PTZ_C_COMMAND_OF_INT(stop_pattern)
ZELKO_PTZ_C_COMMAND_OF_INT(start_pattern_recording)
ZELKO_PTZ_C_COMMAND_OF_INT(stop_pattern_recording)
ZELKO_PTZ_C_COMMAND_OF_INT(remove_pattern)

}  // extern "C"
