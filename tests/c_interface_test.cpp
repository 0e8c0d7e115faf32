// The C interface over the camera object: each entry point sends its method's request and
// returns its codes, a NULL argument sends and writes nothing, lists and options cross in their
// C forms, and nothing unwinds into C.

#include <pthread.h>

#include <cstring>
#include <functional>
#include <new>
#include <set>
#include <stdexcept>

#include "ptz/zelko_ptz_c.h"
#include "sim_fixture.h"
#include "utils/http_client.h"

namespace {

using namespace testing_support;

zelko_ptz_absolute_ex g_position;
zelko_ptz_preset g_presets[2];
size_t g_count;
zelko_ptz_position g_where;
zelko_ptz_capabilities g_caps;
const zelko_ptz_ctrl kMove{1, 2, 3};
const zelko_ptz_position kSome{1, 2, 3, 4, 5, 6, 7, ZELKO_PTZ_POSITION_AZIMUTH};

// The asynchronous forms' callbacks: each keeps its code, and its value where the blocking
// function writes it.
int g_code;
int g_calls;
void on_code(void* user, int code) {
    EXPECT_EQ(user, &g_calls);
    g_code = code;
    ++g_calls;
}
std::string g_answer;  // what on_info was handed, "(none)" for NULL
void on_info(void* user, int code, const char* answer, size_t size) {
    on_code(user, code);
    EXPECT_EQ(answer != nullptr ? std::strlen(answer) : 0, size);
    g_answer = answer != nullptr ? std::string(answer, size) : "(none)";
}
void on_absolute(void* user, int code, const zelko_ptz_absolute_ex* position) {
    on_code(user, code);
    g_position = position != nullptr ? *position : zelko_ptz_absolute_ex{};
}
bool g_given;  // on_where or on_capabilities was handed a value
void on_where(void* user, int code, const zelko_ptz_position* position) {
    on_code(user, code);
    g_given = position != nullptr;
    g_where = position != nullptr ? *position : zelko_ptz_position{};
}
void on_presets(void* user, int code, const zelko_ptz_preset* presets, size_t count) {
    on_code(user, code);
    g_count = count;
    std::memcpy(g_presets, presets, std::min<size_t>(count, 2) * sizeof *presets);
}
void on_capabilities(void* user, int code, const zelko_ptz_capabilities* caps) {
    on_code(user, code);
    g_given = caps != nullptr;
    g_caps = caps != nullptr ? *caps : zelko_ptz_capabilities{};
}

zelko_ptz_capabilities_ex g_caps_ex;
zelko_ptz_patrol g_patrols[5];
zelko_ptz_pattern g_patterns[5];
zelko_ptz_park_action g_park;
const zelko_ptz_patrol kPatrol{3, 0, "Yard", 2, {{1, 40, 2}, {1, 1, 0}}};
const zelko_ptz_park_action kPark{0, 60, "preset", 1};
void on_capabilities_ex(void* user, int code, const zelko_ptz_capabilities_ex* caps) {
    on_code(user, code);
    g_caps_ex = caps != nullptr ? *caps : zelko_ptz_capabilities_ex{};
}
void on_patrols(void* user, int code, const zelko_ptz_patrol* patrols, size_t count) {
    on_code(user, code);
    g_count = count;
    std::memcpy(g_patrols, patrols, std::min<size_t>(count, 5) * sizeof *patrols);
}
void on_patterns(void* user, int code, const zelko_ptz_pattern* patterns, size_t count) {
    on_code(user, code);
    g_count = count;
    std::memcpy(g_patterns, patterns, std::min<size_t>(count, 5) * sizeof *patterns);
}
void on_park(void* user, int code, const zelko_ptz_park_action* action) {
    on_code(user, code);
    g_park = action != nullptr ? *action : zelko_ptz_park_action{};
}

// What the C functions wrote, byte for byte.
std::string written() {
    std::string all;
    for (const auto& block : {std::make_pair<const void*, size_t>(&g_position, sizeof g_position),
                              {g_presets, sizeof g_presets},
                              {&g_count, sizeof g_count},
                              {&g_where, sizeof g_where},
                              {&g_caps, sizeof g_caps},
                              {&g_caps_ex, sizeof g_caps_ex},
                              {g_patrols, sizeof g_patrols},
                              {g_patterns, sizeof g_patterns},
                              {&g_park, sizeof g_park}}) {
        all.append(static_cast<const char*>(block.first), block.second);
    }
    return all;
}

void clear_written() {
    g_position = {};
    std::memset(g_presets, 0, sizeof g_presets);
    g_count = 0;
    g_where = {};
    g_caps = {};
    g_caps_ex = {};
    std::memset(g_patrols, 0, sizeof g_patrols);
    std::memset(g_patterns, 0, sizeof g_patterns);
    g_park = {};
}

// Struct members of several types, to compare with the values expected in one line.
template <typename... Member>
std::vector<double> values(Member... member) {
    return {static_cast<double>(member)...};
}

struct Entry {
    const char* name;
    std::function<int(zelko_ptz_camera*)> call;
    std::string request;  // what a camera that accepts receives
    std::function<int(zelko_ptz_camera*)> with_null = nullptr;  // a NULL pointer argument
    // Its asynchronous form with a callback that keeps the value where `call` writes it, or with
    // a NULL callback or pointer argument when `none`.
    std::function<uint64_t(zelko_ptz_camera*, zelko_ptz_engine*, bool none, void* user)> async;
};

using Numbered = int (*)(zelko_ptz_camera*, int32_t);
using NumberedAsync = uint64_t (*)(zelko_ptz_camera*, zelko_ptz_engine*, int32_t, zelko_ptz_done,
                                   void*);

// A function of one number, and its asynchronous form.
Entry numbered(const char* name, Numbered call, NumberedAsync async, int32_t n,
               std::string request) {
    return {name, [call, n](zelko_ptz_camera* c) { return call(c, n); }, std::move(request),
            nullptr,
            [async, n](zelko_ptz_camera* c, zelko_ptz_engine* e, bool none, void* u) {
                return async(c, e, n, none ? nullptr : on_code, u);
            }};
}

const std::string kInputs = "/ISAPI/System/Video/inputs/channels/1";

const Entry kEntries[] = {
    numbered("SetFocus", zelko_ptz_set_focus, zelko_ptz_set_focus_async, -5,
             "PUT " + kInputs + "/focus"),
    numbered("SetIris", zelko_ptz_set_iris, zelko_ptz_set_iris_async, 5,
             "PUT " + kInputs + "/iris"),
    numbered("StartPatrol", zelko_ptz_start_patrol, zelko_ptz_start_patrol_async, 1,
             "PUT " + kChannel + "/patrols/1/start"),
    numbered("StopPatrol", zelko_ptz_stop_patrol, zelko_ptz_stop_patrol_async, 1,
             "PUT " + kChannel + "/patrols/1/stop"),
    numbered("RemovePatrol", zelko_ptz_remove_patrol, zelko_ptz_remove_patrol_async, 2,
             "DELETE " + kChannel + "/patrols/2"),
    numbered("StopPattern", zelko_ptz_stop_pattern, zelko_ptz_stop_pattern_async, 1,
             "PUT " + kChannel + "/patterns/1/stop"),
    numbered("StartPatternRecording", zelko_ptz_start_pattern_recording,
             zelko_ptz_start_pattern_recording_async, 2,
             "PUT " + kChannel + "/patterns/2/recordstart"),
    numbered("StopPatternRecording", zelko_ptz_stop_pattern_recording,
             zelko_ptz_stop_pattern_recording_async, 2,
             "PUT " + kChannel + "/patterns/2/recordstop"),
    numbered("RemovePattern", zelko_ptz_remove_pattern, zelko_ptz_remove_pattern_async, 3,
             "DELETE " + kChannel + "/patterns/3"),
    {"OnePushFocus", zelko_ptz_one_push_focus, "PUT " + kChannel + "/onepushfoucs/start", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_one_push_focus_async(c, e, n ? nullptr : on_code, u);
     }},
    {"GetCapabilitiesEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_capabilities_ex(c, &g_caps_ex); },
     "GET " + kChannel + "/capabilities",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_capabilities_ex(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_capabilities_ex_async(c, e, n ? nullptr : on_capabilities_ex, u);
     }},
    {"GetPatrols",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_patrols(c, g_patrols, 5, &g_count); },
     "GET " + kChannel + "/patrols",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_patrols(c, nullptr, 5, &g_count); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_patrols_async(c, e, n ? nullptr : on_patrols, u);
     }},
    {"SetPatrol", [](zelko_ptz_camera* c) { return zelko_ptz_set_patrol(c, &kPatrol); },
     "PUT " + kChannel + "/patrols/3",
     [](zelko_ptz_camera* c) { return zelko_ptz_set_patrol(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_set_patrol_async(c, e, n ? nullptr : &kPatrol, on_code, u);
     }},
    {"GetPatterns",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_patterns(c, g_patterns, 5, &g_count); },
     "GET " + kChannel + "/patterns",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_patterns(c, g_patterns, 5, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_patterns_async(c, e, n ? nullptr : on_patterns, u);
     }},
    {"GetParkAction", [](zelko_ptz_camera* c) { return zelko_ptz_get_park_action(c, &g_park); },
     "GET " + kChannel + "/parkaction",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_park_action(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_park_action_async(c, e, n ? nullptr : on_park, u);
     }},
    {"SetParkAction", [](zelko_ptz_camera* c) { return zelko_ptz_set_park_action(c, &kPark); },
     "PUT " + kChannel + "/parkaction",
     [](zelko_ptz_camera* c) { return zelko_ptz_set_park_action(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_set_park_action_async(c, e, n ? nullptr : &kPark, on_code, u);
     }},
    {"GetInfo", [](zelko_ptz_camera* c) { return zelko_ptz_get_info(c, "/ISAPI/System/time"); },
     "GET /ISAPI/System/time", [](zelko_ptz_camera* c) { return zelko_ptz_get_info(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_info_async(c, e, "/ISAPI/System/time", n ? nullptr : on_info, u);
     }},
    {"GetPosition",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_ptz_absoluteEx(c, &g_position); },
     "GET " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_ptz_absoluteEx(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_ptz_absoluteEx_async(c, e, n ? nullptr : on_absolute, u);
     }},
    {"SetPosition", [](zelko_ptz_camera* c) { return zelko_ptz_set_ptz_absoluteEx(c, g_position); },
     "PUT " + kChannel + "/absoluteEx", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_set_ptz_absoluteEx_async(c, e, g_position, n ? nullptr : on_code, u);
     }},
    {"ResetZoom", zelko_ptz_reset_zoom, "PUT " + kChannel + "/absoluteEx", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_reset_zoom_async(c, e, n ? nullptr : on_code, u);
     }},
    {"ResetPosition", zelko_ptz_reset_position, "PUT " + kChannel + "/homeposition/goto", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_reset_position_async(c, e, n ? nullptr : on_code, u);
     }},
    {"SetAux",
     [](zelko_ptz_camera* c) {
         return zelko_ptz_set_ptz_aux(c, ZELKO_PTZ_AUX_FAN, ZELKO_PTZ_STATUS_OFF);
     },
     "PUT " + kChannel + "/auxcontrols/1", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_set_ptz_aux_async(c, e, ZELKO_PTZ_AUX_FAN, ZELKO_PTZ_STATUS_OFF,
                                            n ? nullptr : on_code, u);
     }},
    {"SetCtrl", [](zelko_ptz_camera* c) { return zelko_ptz_set_ptz_ctrl(c, kMove); },
     "PUT " + kChannel + "/continuous", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_set_ptz_ctrl_async(c, e, kMove, n ? nullptr : on_code, u);
     }},
    {"GotoPreset", [](zelko_ptz_camera* c) { return zelko_ptz_goto_preset(c, 1); },
     "PUT " + kChannel + "/presets/1/goto", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_goto_preset_async(c, e, 1, n ? nullptr : on_code, u);
     }},
    {"SetPreset", [](zelko_ptz_camera* c) { return zelko_ptz_set_preset(c, 2, "Dock"); },
     "PUT " + kChannel + "/presets/2",
     [](zelko_ptz_camera* c) { return zelko_ptz_set_preset(c, 2, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_set_preset_async(c, e, 2, n ? nullptr : "Dock", on_code, u);
     }},
    {"RemovePreset", [](zelko_ptz_camera* c) { return zelko_ptz_remove_preset(c, 1); },
     "DELETE " + kChannel + "/presets/1", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_remove_preset_async(c, e, 1, n ? nullptr : on_code, u);
     }},
    {"GetPresets",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_presets(c, g_presets, 2, &g_count); },
     "GET " + kChannel + "/presets",
     [](zelko_ptz_camera* c) {
         const int no_array = zelko_ptz_get_presets(c, nullptr, 2, &g_count);
         return no_array == zelko_ptz_get_presets(c, g_presets, 2, nullptr) ? no_array : -1;
     },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_presets_async(c, e, n ? nullptr : on_presets, u);
     }},
    {"GetPositionOfAnyCamera",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_position(c, &g_where); },
     "GET " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_position(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_position_async(c, e, n ? nullptr : on_where, u);
     }},
    {"SetPositionOfSomeValues",
     [](zelko_ptz_camera* c) { return zelko_ptz_set_position(c, &kSome); },
     "PUT " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_set_position(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_set_position_async(c, e, n ? nullptr : &kSome, on_code, u);
     }},
    {"MoveFor", [](zelko_ptz_camera* c) { return zelko_ptz_move_for(c, kMove, 100); },
     "PUT " + kChannel + "/momentary", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_move_for_async(c, e, kMove, 100, n ? nullptr : on_code, u);
     }},
    {"MoveBy", [](zelko_ptz_camera* c) { return zelko_ptz_move_by(c, 1, 2, 3); },
     "PUT " + kChannel + "/absoluteEx", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_move_by_async(c, e, 1, 2, 3, n ? nullptr : on_code, u);
     }},
    {"CenterOn", [](zelko_ptz_camera* c) { return zelko_ptz_center_on(c, 0.5f, 0.5f); },
     "PUT " + kChannel + "/position3D", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_center_on_async(c, e, 0.5f, 0.5f, n ? nullptr : on_code, u);
     }},
    {"ZoomToArea", [](zelko_ptz_camera* c) { return zelko_ptz_zoom_to_area(c, 0, 0, 1, 1); },
     "PUT " + kChannel + "/position3D", nullptr,
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_zoom_to_area_async(c, e, 0, 0, 1, 1, n ? nullptr : on_code, u);
     }},
    {"WaitForStop", [](zelko_ptz_camera* c) { return zelko_ptz_wait_for_stop(c, &g_where, 5); },
     "GET " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_wait_for_stop(c, nullptr, 5); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_wait_for_stop_async(c, e, 5, nullptr, n ? nullptr : on_where, u);
     }},
    {"GetCapabilities", [](zelko_ptz_camera* c) { return zelko_ptz_get_capabilities(c, &g_caps); },
     "GET " + kChannel + "/capabilities",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_capabilities(c, nullptr); },
     [](zelko_ptz_camera* c, zelko_ptz_engine* e, bool n, void* u) {
         return zelko_ptz_get_capabilities_async(c, e, n ? nullptr : on_capabilities, u);
     }},
};

class CInterfaceTest : public SimTest, public ::testing::WithParamInterface<Entry> {
protected:
    void SetUp() override {
        SimTest::SetUp();
        with_gate();
    }
    void with_gate() {
        sim::CameraState state = camera_sim->state();
        state.presets[1] = {"Gate", {}};
        camera_sim->set_state(state);
    }
};

TEST_P(CInterfaceTest, SendsWhatItsMethodSendsAndRefusesNull) {
    const Entry& e = GetParam();
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, nullptr);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(e.call(nullptr), ZELKO_PTZ_NULL_ARGUMENT);
    if (e.with_null) {
        EXPECT_EQ(e.with_null(camera), ZELKO_PTZ_NULL_ARGUMENT);
    }
    EXPECT_TRUE(camera_sim->requests().empty());
    EXPECT_EQ(e.call(camera), ZELKO_PTZ_OK);
    ASSERT_FALSE(sent().empty());
    EXPECT_EQ(sent().back(), e.request);
    zelko_ptz_camera_free(camera);
}

// The asynchronous form sends the same requests and writes the same values, once; with a NULL
// argument it is not submitted and its callback never runs.
TEST_P(CInterfaceTest, AsynchronousFormSendsAndWritesWhatTheBlockingOneDoes) {
    const Entry& e = GetParam();
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, nullptr);
    zelko_ptz_engine* engine = zelko_ptz_engine_new();
    clear_written();
    ASSERT_EQ(e.call(camera), ZELKO_PTZ_OK);
    const std::string blocking = written();
    const std::vector<std::string> listed = sent();
    with_gate();  // which the blocking form may have removed
    const std::set<std::string> blocking_sent(listed.begin(), listed.end());
    camera_sim->clear_requests();
    g_calls = 0;
    EXPECT_EQ(e.async(nullptr, engine, false, &g_calls), 0u);
    EXPECT_EQ(e.async(camera, nullptr, false, &g_calls), 0u);
    EXPECT_EQ(e.async(camera, engine, true, &g_calls), 0u);
    EXPECT_EQ(zelko_ptz_engine_run(engine, 0), 0);
    EXPECT_TRUE(camera_sim->requests().empty());
    clear_written();
    EXPECT_NE(e.async(camera, engine, false, &g_calls), 0u);
    while (zelko_ptz_engine_run(engine, 1000) > 0) {
    }
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(g_code, ZELKO_PTZ_OK);
    const std::vector<std::string> async_listed = sent();
    EXPECT_EQ(std::set<std::string>(async_listed.begin(), async_listed.end()), blocking_sent);
    EXPECT_TRUE(written() == blocking) << "the values written differ";
    zelko_ptz_engine_free(engine);
    zelko_ptz_camera_free(camera);
}

INSTANTIATE_TEST_SUITE_P(Entries, CInterfaceTest, ::testing::ValuesIn(kEntries), ByName());

TEST_F(SimTest, CInterfaceFillsItsStructsAndTellsAListTooSmall) {
    sim::CameraState state = camera_sim->state();
    state.position = {10.5f, 200.25f, 7.0f, 100, 48, 0.5f, 1.5f};
    // A name longer than the field, with a two-byte character across its end.
    const std::string long_name = std::string(126, 'n') + "\xc3\xa9" + "tail";
    state.presets[4] = {"Gate", {}};
    state.presets[9] = {long_name, {}};
    camera_sim->set_state(state);
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, nullptr);
    zelko_ptz_absolute_ex position{};
    ASSERT_EQ(zelko_ptz_get_ptz_absoluteEx(camera, &position), ZELKO_PTZ_OK);
    EXPECT_EQ(values(position.azimuth, position.focalLen, position.verticalSpeed),
              values(200.25, 48, 1.5));

    zelko_ptz_preset presets[2] = {{-1, -1, "kept"}, {-1, -1, "kept"}};
    size_t count = 0;
    EXPECT_EQ(zelko_ptz_get_presets(camera, nullptr, 0, &count), ZELKO_PTZ_LIST_TOO_SMALL);
    EXPECT_EQ(count, 2u);  // the number alone first, as a host sizes its array
    count = 0;
    EXPECT_EQ(zelko_ptz_get_presets(camera, presets, 1, &count), ZELKO_PTZ_LIST_TOO_SMALL);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(presets[0].id, -1);
    ASSERT_EQ(zelko_ptz_get_presets(camera, presets, 2, &count), ZELKO_PTZ_OK);
    EXPECT_EQ(values(presets[0].id, presets[0].enabled, presets[1].id), values(4, 1, 9));
    EXPECT_STREQ(presets[0].name, "Gate");
    EXPECT_EQ(std::string(presets[1].name), std::string(126, 'n'));

    // The values the camera reports, each in its place, and the mask of them.
    zelko_ptz_position where{};
    ASSERT_EQ(zelko_ptz_get_position(camera, &where), ZELKO_PTZ_OK);
    EXPECT_EQ(values(where.zoom, where.focal_length, where.horizontal_speed, where.present),
              values(7, 48, 0.5, 0x7f));
    // Still for less than the 0.5 s a stop takes: the time-out, and where the camera is.
    where = {};
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(zelko_ptz_wait_for_stop(camera, &where, 0.2), 5); }),
              error_line("wait_for_stop", "The camera was still moving after 0.2 s."));
    EXPECT_EQ(where.azimuth, 200.25f);
    // The asynchronous form hands it alike.
    zelko_ptz_engine* engine = zelko_ptz_engine_new();
    g_given = false;
    stderr_of([&] {
        zelko_ptz_wait_for_stop_async(camera, engine, 0.2, nullptr, on_where, &g_calls);
        while (zelko_ptz_engine_run(engine, 1000) > 0) {
        }
    });
    EXPECT_EQ(values(g_code, g_given, g_where.azimuth), values(5, true, 200.25));
    // A real camera's capabilities: every range of its own.
    camera_sim->script(kChannel + "/capabilities", answer(kRealCapabilities));
    zelko_ptz_capabilities caps;
    caps.aux_type_count = 99;
    ASSERT_EQ(zelko_ptz_get_capabilities(camera, &caps), ZELKO_PTZ_OK);
    EXPECT_EQ(values(caps.reported, caps.elevation_min, caps.zoom_max, caps.pan_min, caps.tilt_min,
                     caps.zoom_speed_max, caps.max_preset_name_length, caps.special_preset_count,
                     caps.special_presets[28], caps.aux_type_count),
              values(0x1ff, -50, 25, -100, -90, 60, 20, 29, 105, 4));
    EXPECT_STREQ(caps.aux_types[3], "HEATER");
    // Lists longer than the struct holds are cut to it; a value not reported has no bit.
    std::string numbers = "1";
    for (int n = 2; n <= 300; ++n) {
        numbers += "," + std::to_string(n);
    }
    camera_sim->script(
        kChannel + "/capabilities",
        answer("<PTZChanelCap><PresetNameCap><specialNo opt=\"" + numbers +
               "\"/></PresetNameCap><PTZAuxType opt=\"" + numbers + "\"/></PTZChanelCap>"));
    ASSERT_EQ(zelko_ptz_get_capabilities(camera, &caps), ZELKO_PTZ_OK);
    EXPECT_EQ(values(caps.reported, caps.special_preset_count, caps.special_presets[255],
                     caps.aux_type_count),
              values(0, ZELKO_PTZ_MAX_SPECIAL_PRESETS, 256, ZELKO_PTZ_MAX_AUX_TYPES));
    EXPECT_STREQ(caps.aux_types[15], "16");

    // A failed query leaves the caller's position as it was.
    camera_sim->script(kChannel + "/absoluteEx", answer("x", "GET"));
    stderr_of([&] {
        EXPECT_EQ(zelko_ptz_get_ptz_absoluteEx(camera, &position), ZELKO_PTZ_NOT_XML);
        EXPECT_EQ(zelko_ptz_get_position(camera, &where), ZELKO_PTZ_NOT_XML);
    });
    EXPECT_EQ(position.azimuth, 200.25f);
    EXPECT_EQ(where.azimuth, 200.25f);
    EXPECT_STREQ(zelko_ptz_failure_reason(camera), "the answer is not XML");
    // An answer that is not XML is handed with its code, as the blocking form hands it.
    stderr_of([&] {
        zelko_ptz_get_info_async(camera, engine, (kChannel + "/absoluteEx").c_str(), on_info,
                                 &g_calls);
        while (zelko_ptz_engine_run(engine, 1000) > 0) {
        }
    });
    EXPECT_EQ(g_code, ZELKO_PTZ_NOT_XML);
    EXPECT_EQ(g_answer, "x");
    zelko_ptz_engine_free(engine);
    EXPECT_STREQ(zelko_ptz_failure_reason(nullptr), "");
    zelko_ptz_camera_free(camera);
}

// The console's structs as the camera holds their values; a patrol of more steps than the struct
// holds is the library's refusal, nothing sent.
TEST_F(SimTest, CInterfaceFillsTheConsolesStructs) {
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, nullptr);
    sim::CameraState state = camera_sim->state();
    state.presets[1] = {"Gate", {}};
    camera_sim->set_state(state);
    ASSERT_EQ(zelko_ptz_set_patrol(camera, &kPatrol), ZELKO_PTZ_OK);
    ASSERT_EQ(zelko_ptz_get_patrols(camera, g_patrols, 5, &g_count), ZELKO_PTZ_OK);
    ASSERT_EQ(g_count, 4u);
    EXPECT_EQ(zelko_ptz_get_patrols(camera, g_patrols, 3, &g_count), ZELKO_PTZ_LIST_TOO_SMALL);
    ASSERT_EQ(zelko_ptz_get_patrols(camera, g_patrols, 4, &g_count), ZELKO_PTZ_OK);
    const zelko_ptz_patrol& read = g_patrols[2];
    EXPECT_EQ(values(read.id, read.enabled, read.step_count, read.steps[0].preset,
                     read.steps[0].speed, read.steps[0].dwell_seconds, read.steps[1].speed),
              values(3, 0, 2, 1, 40, 2, 1));
    EXPECT_STREQ(read.name, "Yard");
    ASSERT_EQ(zelko_ptz_get_patterns(camera, g_patterns, 5, &g_count), ZELKO_PTZ_OK);
    EXPECT_EQ(values(g_count, g_patterns[3].id, g_patterns[3].enabled), values(4, 4, 0));
    ASSERT_EQ(zelko_ptz_set_park_action(camera, &kPark), ZELKO_PTZ_OK);
    ASSERT_EQ(zelko_ptz_get_park_action(camera, &g_park), ZELKO_PTZ_OK);
    EXPECT_EQ(values(g_park.enabled, g_park.seconds, g_park.number), values(0, 60, 1));
    EXPECT_STREQ(g_park.kind, "preset");
    ASSERT_EQ(zelko_ptz_get_capabilities_ex(camera, &g_caps_ex), ZELKO_PTZ_OK);
    EXPECT_EQ(values(g_caps_ex.max_patrols, g_caps_ex.max_patterns, g_caps_ex.park_seconds_min,
                     g_caps_ex.park_seconds_max, g_caps_ex.park_action_kind_count,
                     g_caps_ex.base.max_presets),
              values(8, 4, 5, 720, 8, 300));
    EXPECT_STREQ(g_caps_ex.park_action_kinds[5], "preset");
    const uint32_t console =
        ZELKO_PTZ_CAP_MAX_PATROLS | ZELKO_PTZ_CAP_MAX_PATTERNS | ZELKO_PTZ_CAP_PARK_SECONDS;
    EXPECT_EQ(g_caps_ex.base.reported & console, console);
    // Every step one the camera would take: only their number is too many.
    zelko_ptz_patrol longer = kPatrol;
    for (zelko_ptz_patrol_step& step : longer.steps) {
        step = kPatrol.steps[0];
    }
    longer.step_count = SIZE_MAX;
    camera_sim->clear_requests();
    stderr_of([&] { EXPECT_EQ(zelko_ptz_set_patrol(camera, &longer), ZELKO_PTZ_REJECTED); });
    EXPECT_TRUE(camera_sim->requests().empty());
    zelko_ptz_camera_free(camera);
}

// Options from a host built against an older, shorter struct: the fields past its size keep
// their defaults, whatever the bytes there hold.
TEST_F(SimTest, CInterfaceReadsOnlyTheOptionsWithinTheirSize) {
    sim::Options o;
    o.channels = 3;
    camera_sim = std::make_unique<sim::CameraSim>(o);
    camera_sim->start();
    for (const size_t size : {offsetof(zelko_ptz_options, channel), sizeof(zelko_ptz_options)}) {
        zelko_ptz_options options;
        zelko_ptz_options_init(&options);
        options.size = size;
        options.keep_session = 2;  // on, as any value but 0 is true in C
        options.channel = 3;
        zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, &options);
        EXPECT_EQ(zelko_ptz_reset_position(camera), ZELKO_PTZ_OK);
        EXPECT_EQ(zelko_ptz_reset_position(camera), ZELKO_PTZ_OK);
        zelko_ptz_camera_free(camera);
    }
    EXPECT_EQ(sent(),
              (std::vector<std::string>{"PUT " + kChannel + "/homeposition/goto",
                                        "PUT " + kChannel + "/homeposition/goto",
                                        "PUT /ISAPI/PTZCtrl/channels/3/homeposition/goto",
                                        "PUT /ISAPI/PTZCtrl/channels/3/homeposition/goto"}));
    EXPECT_EQ(camera_sim->requests().size(), 6u) << "a kept session each";

    // The options cross: a check of the peer off without https is a bad option.
    zelko_ptz_options options;
    zelko_ptz_options_init(&options);
    options.verify_peer = 0;
    zelko_ptz_camera* unchecked = zelko_ptz_camera_new("127.0.0.1", kUserPwd, &options);
    EXPECT_STREQ(zelko_ptz_camera_error(unchecked), "Bad option verify_peer: false needs https.");
    stderr_of([&] { EXPECT_EQ(zelko_ptz_reset_position(unchecked), ZELKO_PTZ_REJECTED); });
    zelko_ptz_camera_free(unchecked);
    // A hold out of range is refused at creation; a host built before 1.2 has none to give.
    zelko_ptz_options_init(&options);
    EXPECT_EQ(options.refusal_hold_seconds, 30.0);
    options.refusal_hold_seconds = -1;
    EXPECT_EQ(zelko_ptz_camera_new("127.0.0.1", kUserPwd, &options), nullptr);
    options.size = offsetof(zelko_ptz_options, refusal_hold_seconds);
    zelko_ptz_camera* older = zelko_ptz_camera_new("127.0.0.1", kUserPwd, &options);
    EXPECT_NE(older, nullptr);
    zelko_ptz_camera_free(older);
}

struct Throwing {
    const char* name;
    void (*sink)(void*, const char*, int, const char*);
    int code;
};

const Throwing kThrowing[] = {
    {"OutOfMemory", [](void*, const char*, int, const char*) { throw std::bad_alloc(); },
     ZELKO_PTZ_OUT_OF_MEMORY},
    {"AnythingElse", [](void*, const char*, int, const char*) { throw std::runtime_error("x"); },
     ZELKO_PTZ_UNEXPECTED},
};

class ThrowingSinkTest : public SimTest, public ::testing::WithParamInterface<Throwing> {};

// A sink that throws is the host's bug; it stops at the C boundary, and the camera object goes on.
TEST_P(ThrowingSinkTest, BecomesACodeAndLeavesTheCameraUsable) {
    camera_sim->script(kChannel + "/continuous", answer("<html>busy"));
    zelko_ptz_options options;
    zelko_ptz_options_init(&options);
    options.keep_session = 1;
    options.error_sink = GetParam().sink;
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, &options);
    EXPECT_EQ(stderr_of([&] {
                  EXPECT_EQ(zelko_ptz_set_ptz_ctrl(camera, {1, 0, 0}), GetParam().code);
                  EXPECT_EQ(zelko_ptz_reset_position(camera), ZELKO_PTZ_OK);
              }),
              "");
    EXPECT_EQ(camera_sim->requests().size(), 3u) << "the session outlived the exception";
    zelko_ptz_camera_free(camera);
}

INSTANTIATE_TEST_SUITE_P(Sinks, ThrowingSinkTest, ::testing::ValuesIn(kThrowing), ByName());

// A cancelled operation ends with 6 and no value; the engine's end cancels what is pending, each
// callback once; NULL handles and unknown ids are refused.
TEST_F(SimTest, CEngineCancelsOnceAndRefusesNull) {
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, nullptr);
    zelko_ptz_engine* engine = zelko_ptz_engine_new();
    g_calls = 0;
    g_given = true;
    const uint64_t waiting =
        zelko_ptz_wait_for_stop_async(camera, engine, 5, nullptr, on_where, &g_calls);
    EXPECT_EQ(zelko_ptz_cancel(engine, waiting), ZELKO_PTZ_OK);
    EXPECT_EQ(zelko_ptz_cancel(engine, waiting), ZELKO_PTZ_REJECTED);
    EXPECT_EQ(zelko_ptz_cancel(engine, waiting + 100), ZELKO_PTZ_REJECTED);
    EXPECT_EQ(zelko_ptz_cancel(nullptr, waiting), ZELKO_PTZ_NULL_ARGUMENT);
    EXPECT_EQ(zelko_ptz_engine_run(engine, 1000), 0);
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(g_code, ZELKO_PTZ_CANCELLED);
    EXPECT_FALSE(g_given) << "no position on 6";
    EXPECT_TRUE(camera_sim->requests().empty());

    g_given = true;
    EXPECT_NE(zelko_ptz_get_capabilities_async(camera, engine, on_capabilities, &g_calls), 0u);
    zelko_ptz_engine_free(engine);
    EXPECT_EQ(g_calls, 2);
    EXPECT_EQ(g_code, ZELKO_PTZ_CANCELLED);
    EXPECT_FALSE(g_given) << "no capabilities on 6";

    EXPECT_EQ(zelko_ptz_engine_run(nullptr, 0), -ZELKO_PTZ_NULL_ARGUMENT);
    EXPECT_EQ(zelko_ptz_engine_set_hooks(nullptr, nullptr, nullptr, nullptr),
              ZELKO_PTZ_NULL_ARGUMENT);
    zelko_ptz_engine* other = zelko_ptz_engine_new();
    EXPECT_EQ(zelko_ptz_engine_set_hooks(other, nullptr, nullptr, nullptr), ZELKO_PTZ_REJECTED);
    EXPECT_EQ(zelko_ptz_engine_run(other, 0), 0);
    zelko_ptz_engine_free(other);
    zelko_ptz_engine_free(nullptr);
    zelko_ptz_engine_wakeup(nullptr);
    zelko_ptz_engine_on_timeout(nullptr);
    zelko_ptz_engine_on_socket(nullptr, 0, 0);
    zelko_ptz_camera_free(camera);
}

// Of three moves submitted at once, the one waiting behind the first is replaced by the third.
TEST_F(SimTest, CMovesCoalesceWhenAsked) {
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, nullptr);
    EXPECT_EQ(zelko_ptz_set_move_coalescing(camera, 2), ZELKO_PTZ_OK);
    EXPECT_EQ(zelko_ptz_set_move_coalescing(nullptr, 1), ZELKO_PTZ_NULL_ARGUMENT);
    zelko_ptz_engine* engine = zelko_ptz_engine_new();
    std::vector<int> codes;
    for (const int pan : {10, 20, 0}) {
        zelko_ptz_set_ptz_ctrl_async(
            camera, engine, {pan, 0, 0},
            [](void* user, int code) { static_cast<std::vector<int>*>(user)->push_back(code); },
            &codes);
    }
    while (zelko_ptz_engine_run(engine, 1000) > 0) {
    }
    EXPECT_EQ(codes, (std::vector<int>{ZELKO_PTZ_CANCELLED, 0, 0}));
    EXPECT_EQ(sent().size(), 2u);
    zelko_ptz_engine_free(engine);
    zelko_ptz_camera_free(camera);
}

// A check that says yes gives up a blocking wait with 6; removed, the wait runs to its time-out.
TEST_F(SimTest, CInterruptCheckGivesUpAWait) {
    zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, nullptr);
    ASSERT_EQ(zelko_ptz_set_ptz_ctrl(camera, {50, 0, 0}), ZELKO_PTZ_OK);
    int asked = 0;
    const auto second = +[](void* user) { return ++*static_cast<int*>(user) == 2 ? 7 : 0; };
    EXPECT_EQ(zelko_ptz_set_interrupt_check(nullptr, second, &asked), ZELKO_PTZ_NULL_ARGUMENT);
    EXPECT_EQ(zelko_ptz_set_interrupt_check(camera, second, &asked), ZELKO_PTZ_OK);
    stderr_of(
        [&] { EXPECT_EQ(zelko_ptz_wait_for_stop(camera, &g_where, 5), ZELKO_PTZ_CANCELLED); });
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(zelko_ptz_set_interrupt_check(camera, nullptr, &asked), ZELKO_PTZ_OK);
    stderr_of(
        [&] { EXPECT_EQ(zelko_ptz_wait_for_stop(camera, &g_where, 0.3), ZELKO_PTZ_TIMED_OUT); });
    EXPECT_EQ(asked, 2);
    zelko_ptz_camera_free(camera);
}

// A thread whose cancellation is pending goes through a call (blocking, on an engine that it frees
// with the call in flight, which ends it with 6, or an HttpClient's) and the frees after it, whose
// closes are cancellation points too; it is cancelled at the first point past them, and nothing
// aborts.
enum class Cancelled { Blocking, EngineFreed, ClientGet };
struct CancelledThreadTest : SimTest, ::testing::WithParamInterface<Cancelled> {
    int code = -1;  // set once the frees are through
    static void* call_then_free(void* test) {
        CancelledThreadTest& t = *static_cast<CancelledThreadTest*>(test);
        pthread_cancel(pthread_self());
        zelko_ptz_options options;
        zelko_ptz_options_init(&options);
        options.keep_session = 1;
        options.error_sink = [](void*, const char*, int, const char*) {};
        zelko_ptz_camera* camera = zelko_ptz_camera_new("127.0.0.1", kUserPwd, &options);
        zelko_ptz_set_timeouts(camera, 1, 1);
        int got = -1;
        std::string answer;
        if (t.GetParam() == Cancelled::Blocking) {
            got = zelko_ptz_get_position(camera, &g_where);
        } else if (t.GetParam() == Cancelled::ClientGet) {
            got = Utils::HttpClient().get("http://127.0.0.1:9/", kUserPwd, answer) ? 0 : 1;
        } else {
            zelko_ptz_engine* engine = zelko_ptz_engine_new();
            zelko_ptz_get_position_async(camera, engine, on_where, &g_calls);
            while (zelko_ptz_engine_run(engine, 50) > 0 && t.camera_sim->requests().empty()) {
            }
            zelko_ptz_engine_free(engine);
            got = g_code;
        }
        zelko_ptz_camera_free(camera);
        t.code = got;
        pthread_testcancel();
        return nullptr;
    }
};

TEST_P(CancelledThreadTest, EndsItsCallsThenIsCancelled) {
    silence("/absoluteEx");
    pthread_t thread;
    void* ended = nullptr;
    ASSERT_EQ(pthread_create(&thread, nullptr, call_then_free, this), 0);
    pthread_join(thread, &ended);
    EXPECT_EQ(ended, PTHREAD_CANCELED);
    EXPECT_EQ(code, GetParam() == Cancelled::EngineFreed ? ZELKO_PTZ_CANCELLED
                                                         : ZELKO_PTZ_TRANSFER_FAILED);
}

INSTANTIATE_TEST_SUITE_P(Calls, CancelledThreadTest,
                         ::testing::Values(Cancelled::Blocking, Cancelled::EngineFreed,
                                           Cancelled::ClientGet));

TEST(CInterface, NamesItsVersionAndEveryCode) {
    EXPECT_STREQ(zelko_ptz_version(), ZELKO_PTZ_VERSION);
    std::set<std::string> texts;
    for (const int code : {0, 1, 2, 3, 5, 6, 10, 20, 21, 22, 23}) {
        texts.insert(zelko_ptz_result_text(code));
    }
    EXPECT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts.count(zelko_ptz_result_text(4)), 0u);
    EXPECT_EQ(zelko_ptz_camera_new(nullptr, kUserPwd, nullptr), nullptr);
    EXPECT_EQ(zelko_ptz_camera_new("127.0.0.1", nullptr, nullptr), nullptr);
    EXPECT_STREQ(zelko_ptz_camera_error(nullptr), "");
    zelko_ptz_camera* typed = zelko_ptz_camera_new("127.0.0.1:80", "admin\n:pw", nullptr);
    EXPECT_STREQ(zelko_ptz_camera_error(typed),  // the credentials said before the address
                 "Please input a user name without control characters.");
    zelko_ptz_camera_free(typed);
}

}  // namespace
