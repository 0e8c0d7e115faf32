// What the simulated camera promises as a tool, beyond what the library's tests exercise: it
// moves as documented, in the time of its clock; it checks Digest as a camera does; it refuses the
// bodies a camera would refuse.

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <functional>
#include <system_error>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

using Step = std::function<void(Camera&, sim::ManualClock&)>;

Step send(std::function<int(Camera&)> command) {
    return [command](Camera& camera, sim::ManualClock&) { EXPECT_EQ(command(camera), 0); };
}
Step ctrl(int pan, int tilt, int zoom) {
    return send([=](Camera& c) { return c.set_ptz_ctrl({pan, tilt, zoom}); });
}
Step go(float elevation, float azimuth, float zoom) {
    return send([=](Camera& c) {
        return c.set_ptz_absoluteEx({elevation, azimuth, zoom, 1, 2, 0, 0});
    });
}
Step wait(double seconds) {
    return [seconds](Camera&, sim::ManualClock& clock) {
        clock.advance(std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::duration<double>(seconds)));
    };
}
// The position read through the library at that instant.
Step at(float elevation, float azimuth, float zoom) {
    return [=](Camera& camera, sim::ManualClock&) {
        Ptz::PtzAbsoluteEx p{};
        ASSERT_EQ(camera.get_ptz_absoluteEx(p), 0);
        EXPECT_EQ((std::vector<float>{p.elevation, p.azimuth, p.absoluteZoom}),
                  (std::vector<float>{elevation, azimuth, zoom}));
    };
}
Step save(int id) {
    return send([id](Camera& c) { return c.set_preset(id, "Gate"); });
}
Step recall(int id) {
    return send([id](Camera& c) { return c.goto_preset(id); });
}
Step momentary(int pan, int tilt, int zoom, int ms) {
    return send([=](Camera& c) { return c.move_for({pan, tilt, zoom}, ms); });
}
Step box(float x0, float y0, float x1, float y1) {
    return send([=](Camera& c) { return c.zoom_to_area(x0, y0, x1, y1); });
}
// wait_for_stop, the camera's clock advancing 0.1 s with each read, as it would between them.
Step settles(int code) {
    return [code](Camera& camera, sim::ManualClock& clock) {
        const auto advance = [](void* user, const Ptz::PtzPosition&) {
            static_cast<sim::ManualClock*>(user)->advance(std::chrono::milliseconds(100));
            return false;
        };
        Ptz::PtzPosition p{};
        stderr_of([&] { EXPECT_EQ(camera.wait_for_stop(p, 0.8, advance, &clock), code); });
    };
}
// Within 2 degrees: what runs by itself, the camera follows in slices of 10 ms of its time, and
// each change of a replay or a tour comes in the slice after it is due.
Step near(float elevation, float azimuth) {
    return [=](Camera& camera, sim::ManualClock&) {
        Ptz::PtzAbsoluteEx p{};
        ASSERT_EQ(camera.get_ptz_absoluteEx(p), 0);
        EXPECT_NEAR(p.elevation, elevation, 2);
        EXPECT_NEAR(p.azimuth, azimuth, 2);
    };
}
Step focus_at(int focus) {
    return [=](Camera& camera, sim::ManualClock&) {
        Ptz::PtzAbsoluteEx p{};
        ASSERT_EQ(camera.get_ptz_absoluteEx(p), 0);
        EXPECT_EQ(p.focus, focus);
    };
}
Step focus(int speed) {
    return send([=](Camera& c) { return c.set_focus(speed); });
}
// Patrol 1 between presets 1 and 2 at the top speed, dwelling 1 s at each.
const Step kTour = send([](Camera& c) {
    return c.set_patrol({1, "Yard", true, {{1, 40, 1}, {2, 40, 1}}});
});
Step tour(int (Camera::*command)(int)) {
    return send([command](Camera& c) { return (c.*command)(1); });
}
// Pattern 2 was never recorded: stopping a recording it never had leaves it empty, not started.
const Step kEmptyPatternRefused = send([](Camera& c) {
    int started = 0;
    const int stopped = c.stop_pattern_recording(2);
    stderr_of([&] { started = c.start_pattern(2); });
    return stopped == 0 && started == 10 ? 0 : 1;
});
Step park(const char* kind, int number) {
    return send([=](Camera& c) { return c.set_park_action({true, 5, kind, number}); });
}
const Step kHome = send([](Camera& c) { return c.reset_position(); });
const Step kResetZoom = send([](Camera& c) { return c.reset_zoom(); });

struct MotionCase {
    const char* name;
    sim::Position start;
    std::vector<Step> steps;
};

// Top speeds: azimuth 120 deg/s, elevation 60 deg/s, zoom 8/s. Home is (-10, 90, 2). The picture
// is 60 by 33.75 degrees at zoom 1.
const MotionCase kMotions[] = {
    {"PanWrapsPast360", {0, 350}, {ctrl(50, 0, 0), wait(0.5), at(0, 20, 1)}},
    {"PanWrapsBelowZero", {0, 10}, {ctrl(-100, 0, 0), wait(0.25), at(0, 340, 1)}},
    {"SpeedsPast100AreClamped", {}, {ctrl(1000, -1000, 0), wait(0.5), at(-30, 60, 1)}},
    {"TiltStopsAtItsLimit", {80, 0}, {ctrl(0, 100, 0), wait(1), at(90, 0, 1)}},
    {"ZoomStopsAtBothLimits",
     {0, 0, 30},
     {ctrl(0, 0, 100), wait(1), at(0, 0, 32), ctrl(0, 0, -100), wait(10), at(0, 0, 1)}},
    {"TravelReadMidMoveThenArrives",
     {},
     {go(30, 90, 3), wait(0.25), at(15, 30, 3), wait(1), at(30, 90, 3)}},
    {"TargetClampedIntoRange", {}, {go(120, 370, 50), wait(10), at(90, 10, 32)}},
    // Azimuth is below 360, and said so: the float nearest 360 wraps to 0, whether panned or
    // aimed at, and one below is written in full.
    {"AzimuthNeverReads360",
     {},
     {ctrl(-1, 0, 0), wait(0.000001), at(0, 0, 1), ctrl(0, 0, 0), go(0, -0.000001f, 1), wait(1),
      at(0, 0, 1), go(0, 359.99997f, 1), wait(1), at(0, 359.99997f, 1)}},
    {"StopEndsMotionAndTravel",
     {},
     {ctrl(100, 0, 0), wait(0.25), ctrl(0, 0, 0), wait(1), at(0, 30, 1), go(0, 180, 1), wait(0.5),
      ctrl(0, 0, 0), wait(1), at(0, 90, 1)}},
    {"HomeTravels", {}, {kHome, wait(0.125), at(-7.5f, 15, 2), wait(1), at(-10, 90, 2)}},
    {"PresetKeepsThePositionOfItsSavingAndTravelsBackTheShortWay",
     {0, 340, 4},
     {ctrl(100, 0, 0), wait(0.125), save(3), ctrl(0, 0, 0), go(0, 20, 4), wait(1), recall(3),
      wait(0.125), at(0, 5, 4), wait(1), at(0, 355, 4)}},
    {"ZoomResetTravels", {0, 0, 5}, {kResetZoom, wait(0.25), at(0, 0, 3), wait(1), at(0, 0, 1)}},
    {"MomentaryStopsByItself",
     {},
     {momentary(50, 0, 0, 500), wait(0.25), at(0, 15, 1), wait(1), at(0, 30, 1), wait(1),
      at(0, 30, 1)}},
    {"ContinuousReplacesMomentary",
     {},
     {momentary(100, 0, 0, 1000), wait(0.25), ctrl(-50, 0, 0), wait(1), at(0, 330, 1)}},
    {"MomentaryReplacesContinuous",
     {},
     {ctrl(100, 0, 0), wait(0.25), momentary(0, 100, 0, 250), wait(1), at(15, 30, 1)}},
    // 0.12 degrees between reads is moving; a stop is still.
    {"SlowPanIsNotStill", {}, {ctrl(1, 0, 0), settles(5), ctrl(0, 0, 0), settles(0)}},
    {"CenterOnTheBottomRightCornerAtZoom2",
     {0, 100, 2},
     {box(1, 1, 1, 1), wait(0.0625), at(-3.75f, 107.5f, 2), wait(1), at(-8.4375f, 115, 2)}},
    {"BoxFromTopLeftZoomsIn",
     {0, 100, 1},
     {box(0, 0, 1 / 3.f, 1 / 3.f), wait(1), at(11.25f, 80, 3)}},
    {"BoxFromBottomRightZoomsOut",
     {0, 100, 2},
     {box(1 / 3.f, 1 / 3.f, 0, 0), wait(1), at(5.625f, 90, 1)}},
    {"FocusMovesWhileCommandedAndOnePushSharpens",
     {},
     {focus(100), wait(1), focus_at(34000), focus(0), wait(1), focus_at(34000), focus(-50),
      wait(100), focus_at(0), send([](Camera& c) { return c.one_push_focus(); }), focus_at(29000)}},
    // 60 degrees at the top speed take 0.5 s: at 0 from 0.5 s to 1.5 s, at 60 from 2 s to 3 s.
    // Stopping another patrol leaves it touring.
    {"PatrolToursItsPresetsUntilAManualMove",
     {},
     {save(1), go(0, 60, 1), wait(1), save(2), kTour, tour(&Camera::start_patrol),
      send([](Camera& c) { return c.stop_patrol(2); }), wait(1), at(0, 0, 1), wait(1.5),
      at(0, 60, 1), wait(0.75), near(0, 35), ctrl(0, 0, 0), wait(5), near(0, 35)}},
    {"PatrolStops",
     {},
     {save(1), go(0, 60, 1), wait(1), save(2), kTour, tour(&Camera::start_patrol), wait(1),
      tour(&Camera::stop_patrol), wait(5), at(0, 0, 1)}},
    // Recorded: half a second of pan at the top speed, then half a second still; replayed from
    // where the recording began, after travelling there.
    {"PatternReplaysTheRecordedMovesFromItsStart",
     {},
     {kEmptyPatternRefused, tour(&Camera::start_pattern_recording), ctrl(100, 0, 0), wait(0.5),
      ctrl(0, 0, 0), wait(0.5), tour(&Camera::stop_pattern_recording), go(0, 180, 1), wait(2),
      at(0, 180, 1), tour(&Camera::start_pattern), wait(2.25), near(0, 60), wait(1), near(0, 120),
      tour(&Camera::stop_pattern), wait(1), near(0, 120)}},
    // Its 5 s count from the last command, not from its setting.
    {"ParkActionRunsAfterItsTimeWithoutCommands",
     {},
     {save(1), park("preset", 1), wait(3), go(0, 90, 1), wait(4), at(0, 90, 1), wait(2),
      at(0, 0, 1)}},
    {"ParkActionScansWhenSoSet",
     {},
     {park("autoscan", 0), wait(4), at(0, 0, 1), wait(1.5), near(0, 20)}},
};

class MotionTest : public SimTest, public ::testing::WithParamInterface<MotionCase> {};

TEST_P(MotionTest, MovesInTheTimeOfItsClock) {
    sim::CameraState state = camera_sim->state();
    state.position = GetParam().start;
    state.home = {-10.0f, 90.0f, 2.0f};
    camera_sim->set_state(state);
    Camera camera("127.0.0.1", kUserPwd);
    for (const Step& step : GetParam().steps) {
        step(camera, *clock);
    }
}

INSTANTIATE_TEST_SUITE_P(Model, MotionTest, ::testing::ValuesIn(kMotions), ByName());

struct BodyCase {
    const char* name;
    const char* method;
    std::string target;
    std::string body;
    unsigned status;
    std::array<bool, 3> devices = {false, false, false};  // light, wiper and fan afterwards
};

std::string doc(const std::string& root, const std::string& children) {
    return "<" + root + " xmlns=\"http://www.isapi.org/ver20/XMLSchema\">" + children + "</" +
           root + ">";
}

const std::string kGood =
    "<elevation>1</elevation><azimuth>2</azimuth><absoluteZoom>3</absoluteZoom><focus>4</focus>"
    "<focalLen>5</focalLen><horizontalSpeed>6</horizontalSpeed><verticalSpeed>7</verticalSpeed>";
const char* const kPut = "PUT";

std::string aux_body(const char* type) {
    return doc("PTZAux", std::string("<id>1</id><type>") + type + "</type><status>on</status>");
}

const BodyCase kBodies[] = {
    {"Position", kPut, kAbs, doc("PtzAbsoluteEx", kGood + "<zoomType>absoluteZoom</zoomType>"),
     200},
    {"PositionPartial", kPut, kAbs, doc("PTZAbsoluteEx", "<azimuth>2</azimuth>"), 200},
    {"PositionOfNoValue", kPut, kAbs, doc("PTZAbsoluteEx", ""), 400},
    {"PositionWithUnit", kPut, kAbs, doc("PtzAbsoluteEx", "<elevation>1deg</elevation>"), 400},
    {"MomentaryWithoutDuration", kPut, kChannel + "/momentary",
     doc("PTZData", "<pan>1</pan><tilt>0</tilt><zoom>0</zoom>"), 400},
    {"Position3DOffTheFrame", kPut, kChannel + "/position3D",
     doc("Position3D",
         "<StartPoint><positionX>256</positionX><positionY>0</positionY></StartPoint>"
         "<EndPoint><positionX>0</positionX><positionY>0</positionY></EndPoint>"),
     400},
    {"AuxLight", kPut, kAux, aux_body("LIGHT"), 200, {true, false, false}},
    {"AuxWiper", kPut, kAux, aux_body("WIPER"), 200, {false, true, false}},
    {"AuxFan", kPut, kAux, aux_body("FAN"), 200, {false, false, true}},
    {"Continuous", kPut, kCtrl + "?type=x",
     doc("PTZData", "<pan>-1</pan><tilt>0</tilt><zoom>9</zoom>"), 200},
    {"ContinuousFraction", kPut, kCtrl,
     doc("PTZData", "<pan>1.5</pan><tilt>0</tilt><zoom>9</zoom>"), 400},
    {"AuxUnknownType", kPut, kAux,
     doc("PTZAux", "<id>1</id><type>HEATER</type><status>on</status>"), 400},
    {"FocusPastItsRange", kPut, "/ISAPI/System/Video/inputs/channels/1/focus",
     doc("FocusData", "<focus>101</focus>"), 400},
    {"FocusIsNotRead", "GET", "/ISAPI/System/Video/inputs/channels/1/focus", "", 403},
    {"PatrolOfAnotherNumber", kPut, kChannel + "/patrols/2",
     doc("PTZPatrol", "<id>3</id><PatrolSequenceList/>"), 400},
    {"PatrolStepOfSpeedZero", kPut, kChannel + "/patrols/2",
     doc("PTZPatrol",
         "<id>2</id><PatrolSequenceList><PatrolSequence><presetID>1</presetID>"
         "<seqSpeed>0</seqSpeed><delay>1</delay></PatrolSequence></PatrolSequenceList>"),
     400},
    {"ParkTimePastItsRange", kPut, kChannel + "/parkaction",
     doc("ParkAction",
         "<enabled>true</enabled><Parktime>721</Parktime><Action><ActionType>"
         "preset</ActionType><ActionNum>1</ActionNum></Action>"),
     400},
    {"ParkActionEnabledNotABoolean", kPut, kChannel + "/parkaction",
     doc("ParkAction",
         "<enabled>yes</enabled><Parktime>5</Parktime><Action><ActionType>"
         "preset</ActionType><ActionNum>1</ActionNum></Action>"),
     400},
    {"ParkActionUnknown", kPut, kChannel + "/parkaction",
     doc("ParkAction",
         "<enabled>true</enabled><Parktime>5</Parktime><Action><ActionType>"
         "spin</ActionType><ActionNum>0</ActionNum></Action>"),
     400},
};

class BodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(BodyTest, RefusesWhatACameraWouldRefuse) {
    const BodyCase& c = GetParam();
    std::vector<sim::CameraState> channels(1);
    const std::string path = c.target.substr(0, c.target.find('?'));
    const sim::Answer a = sim::answer_request(
        channels, sim::Firmware(), std::chrono::nanoseconds(0), c.method, path, c.target, c.body);
    EXPECT_EQ(a.status, c.status);
    EXPECT_EQ(channels[0].commands_accepted, c.status == 200 ? 1u : 0u);
    const std::array<bool, 3> devices = {channels[0].light, channels[0].wiper, channels[0].fan};
    EXPECT_EQ(devices, c.devices);
    if (c.status == 400) {
        EXPECT_NE(a.body.find("<statusString>Invalid XML Content</statusString>"),
                  std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, BodyTest, ::testing::ValuesIn(kBodies), ByName());

// An answer to a challenge, sent again as it was, is refused.
TEST_F(SimTest, DigestRefusesAReplayedAnswer) {
    ASSERT_EQ(Ptz::ZelkoPtzCameraIsapi("127.0.0.1", kUserPwd).reset_position(), 0);
    const sim::RecordedRequest taken = camera_sim->requests().back();
    const std::string authorization = "Authorization: " + taken.header("Authorization");
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, authorization.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, ("http://127.0.0.1" + taken.target).c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "PUT");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t, size_t n, void*) { return n; });
    EXPECT_EQ(curl_easy_perform(curl), CURLE_OK);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    EXPECT_TRUE(taken.authenticated);
    EXPECT_FALSE(camera_sim->requests().back().authenticated);
    EXPECT_EQ(camera_sim->requests().back().status, 401u);
}

// The account locks after so many refused logins in a row: a login accepted between them
// starts the count again, and so does the end of a lock.
class LockTest : public SimTest {
protected:
    LockTest() : SimTest(options()) {}
    static sim::Options options() {
        sim::Options o;
        o.lock_after = 3;
        o.lock_time = std::chrono::seconds(60);
        return o;
    }
    // Logs in with the wrong ('w') or right ('r') password in turn: whether each right one got in.
    std::string logins(const std::string& order) {
        Camera wrong("127.0.0.1", "admin:wrong"), right("127.0.0.1", kUserPwd);
        std::string in;
        stderr_of([&] {
            for (char c : order) {
                const int code = (c == 'w' ? wrong : right).reset_position();
                in += c == 'w' ? "" : code == 0 ? "y" : "n";
            }
        });
        return in;
    }
};

TEST_F(LockTest, CountsRefusedLoginsInARow) {
    EXPECT_EQ(logins("wwrwwr"), "yy");
    EXPECT_EQ(logins("wwwr"), "n");
    clock->advance(std::chrono::seconds(61));
    EXPECT_EQ(logins("wwr"), "y");
}

// A challenge with its nonce's random part, 32 hex digits, shown as "<random>".
std::string nonce_shown(std::string challenge) {
    const std::size_t at = challenge.find("nonce=\"");
    if (at != std::string::npos &&
        challenge.find_first_not_of("0123456789abcdef", at + 7) == at + 7 + 32) {
        challenge.replace(at + 7, 32, "<random>");
    }
    return challenge;
}

// The challenges as the two firmware generations write them, with a fresh nonce.
TEST(DigestChallenge, IsTheFirmwaresOwn) {
    const auto of = [](sim::DigestAuth::Form form) {
        std::vector<std::string> challenges =
            sim::DigestAuth("PTZ Camera", "admin", "password", {}, form)
                .challenges(std::chrono::seconds(5), false);
        std::transform(challenges.begin(), challenges.end(), challenges.begin(), nonce_shown);
        return challenges;
    };
    EXPECT_EQ(of(sim::DigestAuth::Form::Newer),
              (std::vector<std::string>{
                  R"(Digest realm="PTZ Camera", domain="::", qop="auth", nonce="<random>:5000", )"
                  R"(opaque="", algorithm="MD5", stale="FALSE")",
                  R"(Basic realm="PTZ Camera")"}));
    EXPECT_EQ(of(sim::DigestAuth::Form::Older),
              (std::vector<std::string>{
                  R"(Digest qop="auth", realm="PTZ Camera", nonce="<random>", stale="FALSE")"}));
}

// A second camera on an address and port taken would share the connections with the first,
// each refusing what it did not expect: it fails to start instead.
TEST_F(SimTest, RefusesAnAddressAndPortTaken) {
    for (int cameras : {1, 2}) {
        sim::Options taken;
        taken.cameras = cameras;
        sim::CameraSim second(taken);
        try {
            second.start();
            ADD_FAILURE() << cameras << " camera(s) started on 127.0.0.1:80, which is taken";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), EADDRINUSE);
            EXPECT_STREQ(e.what(), "cannot listen on 127.0.0.1:80: Address already in use");
        }
    }
    EXPECT_EQ(Ptz::ZelkoPtzCameraIsapi("127.0.0.1", kUserPwd).reset_position(), 0);
}

}  // namespace
