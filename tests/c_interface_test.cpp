// The C interface over the camera object: each entry point sends its method's request and
// returns its codes, a NULL argument sends and writes nothing, lists and options cross in their
// C forms, and nothing unwinds into C.

#include <cstring>
#include <functional>
#include <new>
#include <set>
#include <stdexcept>

#include "ptz/zelko_ptz_c.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

zelko_ptz_absolute_ex g_position;
zelko_ptz_preset g_presets[2];
size_t g_count;
zelko_ptz_position g_where;
zelko_ptz_capabilities g_caps;
const zelko_ptz_ctrl kMove{1, 2, 3};

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
};

const Entry kEntries[] = {
    {"GetInfo", [](zelko_ptz_camera* c) { return zelko_ptz_get_info(c, "/ISAPI/System/time"); },
     "GET /ISAPI/System/time", [](zelko_ptz_camera* c) { return zelko_ptz_get_info(c, nullptr); }},
    {"GetPosition",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_ptz_absoluteEx(c, &g_position); },
     "GET " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_ptz_absoluteEx(c, nullptr); }},
    {"SetPosition", [](zelko_ptz_camera* c) { return zelko_ptz_set_ptz_absoluteEx(c, g_position); },
     "PUT " + kChannel + "/absoluteEx"},
    {"ResetZoom", zelko_ptz_reset_zoom, "PUT " + kChannel + "/absoluteEx"},
    {"ResetPosition", zelko_ptz_reset_position, "PUT " + kChannel + "/homeposition/goto"},
    {"SetAux",
     [](zelko_ptz_camera* c) {
         return zelko_ptz_set_ptz_aux(c, ZELKO_PTZ_AUX_FAN, ZELKO_PTZ_STATUS_OFF);
     },
     "PUT " + kChannel + "/auxcontrols/1"},
    {"SetCtrl", [](zelko_ptz_camera* c) { return zelko_ptz_set_ptz_ctrl(c, kMove); },
     "PUT " + kChannel + "/continuous"},
    {"GotoPreset", [](zelko_ptz_camera* c) { return zelko_ptz_goto_preset(c, 1); },
     "PUT " + kChannel + "/presets/1/goto"},
    {"SetPreset", [](zelko_ptz_camera* c) { return zelko_ptz_set_preset(c, 2, "Dock"); },
     "PUT " + kChannel + "/presets/2",
     [](zelko_ptz_camera* c) { return zelko_ptz_set_preset(c, 2, nullptr); }},
    {"RemovePreset", [](zelko_ptz_camera* c) { return zelko_ptz_remove_preset(c, 1); },
     "DELETE " + kChannel + "/presets/1"},
    {"GetPresets",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_presets(c, g_presets, 2, &g_count); },
     "GET " + kChannel + "/presets",
     [](zelko_ptz_camera* c) {
         const int no_array = zelko_ptz_get_presets(c, nullptr, 2, &g_count);
         return no_array == zelko_ptz_get_presets(c, g_presets, 2, nullptr) ? no_array : -1;
     }},
    {"GetPositionOfAnyCamera",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_position(c, &g_where); },
     "GET " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_position(c, nullptr); }},
    {"SetPositionOfSomeValues",
     [](zelko_ptz_camera* c) {
         const zelko_ptz_position p{1, 2, 3, 4, 5, 6, 7, ZELKO_PTZ_POSITION_AZIMUTH};
         return zelko_ptz_set_position(c, &p);
     },
     "PUT " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_set_position(c, nullptr); }},
    {"MoveFor", [](zelko_ptz_camera* c) { return zelko_ptz_move_for(c, kMove, 100); },
     "PUT " + kChannel + "/momentary"},
    {"MoveBy", [](zelko_ptz_camera* c) { return zelko_ptz_move_by(c, 1, 2, 3); },
     "PUT " + kChannel + "/absoluteEx"},
    {"CenterOn", [](zelko_ptz_camera* c) { return zelko_ptz_center_on(c, 0.5f, 0.5f); },
     "PUT " + kChannel + "/position3D"},
    {"ZoomToArea", [](zelko_ptz_camera* c) { return zelko_ptz_zoom_to_area(c, 0, 0, 1, 1); },
     "PUT " + kChannel + "/position3D"},
    {"WaitForStop", [](zelko_ptz_camera* c) { return zelko_ptz_wait_for_stop(c, &g_where, 5); },
     "GET " + kChannel + "/absoluteEx",
     [](zelko_ptz_camera* c) { return zelko_ptz_wait_for_stop(c, nullptr, 5); }},
    {"GetCapabilities", [](zelko_ptz_camera* c) { return zelko_ptz_get_capabilities(c, &g_caps); },
     "GET " + kChannel + "/capabilities",
     [](zelko_ptz_camera* c) { return zelko_ptz_get_capabilities(c, nullptr); }},
};

class CInterfaceTest : public SimTest, public ::testing::WithParamInterface<Entry> {
protected:
    void SetUp() override {
        SimTest::SetUp();
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

    // A failed query leaves the caller's position as it was.
    camera_sim->script(kChannel + "/absoluteEx", answer("x", "GET"));
    stderr_of([&] {
        EXPECT_EQ(zelko_ptz_get_ptz_absoluteEx(camera, &position), ZELKO_PTZ_NOT_XML);
        EXPECT_EQ(zelko_ptz_get_position(camera, &where), ZELKO_PTZ_NOT_XML);
    });
    EXPECT_EQ(position.azimuth, 200.25f);
    EXPECT_EQ(where.azimuth, 200.25f);
    EXPECT_STREQ(zelko_ptz_failure_reason(camera), "the answer is not XML");
    EXPECT_STREQ(zelko_ptz_failure_reason(nullptr), "");
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
        options.keep_session = 1;
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

TEST(CInterface, NamesItsVersionAndEveryCode) {
    EXPECT_STREQ(zelko_ptz_version(), ZELKO_PTZ_VERSION);
    std::set<std::string> texts;
    for (const int code : {0, 1, 2, 3, 5, 10, 20, 21, 22, 23}) {
        texts.insert(zelko_ptz_result_text(code));
    }
    EXPECT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts.count(zelko_ptz_result_text(4)), 0u);
    EXPECT_EQ(zelko_ptz_camera_new(nullptr, kUserPwd, nullptr), nullptr);
    EXPECT_EQ(zelko_ptz_camera_new("127.0.0.1", nullptr, nullptr), nullptr);
}

}  // namespace
