#include <climits>
#include <functional>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

// One command as a host calls it, and the request it must send.
struct Command {
    const char* name;
    const char* operation;
    std::function<int(Ptz::ZelkoPtzCameraIsapi&)> call;
    std::string path;
    std::string body;
};

std::ostream& operator<<(std::ostream& os, const Command& c) {
    return os << c.name;
}

const Ptz::PtzAbsoluteEx kPosition{10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f};

const std::string kPositionBody = kHead + "<PtzAbsoluteEx " + kRootAttributes +
                                  ">\n"
                                  "\t<absoluteZoom>4.000000</absoluteZoom>\n"
                                  "\t<azimuth>200.250000</azimuth>\n"
                                  "\t<elevation>10.500000</elevation>\n"
                                  "\t<focalLen>48</focalLen>\n"
                                  "\t<focus>29000</focus>\n"
                                  "\t<horizontalSpeed>0.500000</horizontalSpeed>\n"
                                  "\t<verticalSpeed>1.500000</verticalSpeed>\n"
                                  "\t<zoomType>absoluteZoom</zoomType>\n"
                                  "</PtzAbsoluteEx>\n";

const Command kCommands[] = {
    {"SetAbsolute", "set_ptz_absoluteEx",
     [](Ptz::ZelkoPtzCameraIsapi& c) { return c.set_ptz_absoluteEx(kPosition); },
     kChannel + "/absoluteEx", kPositionBody},
    {"ResetPosition", "reset_position",
     [](Ptz::ZelkoPtzCameraIsapi& c) { return c.reset_position(); },
     kChannel + "/homeposition/goto", ""},
    {"AuxLightOn", "set_ptz_aux",
     [](Ptz::ZelkoPtzCameraIsapi& c) {
         return c.set_ptz_aux(Ptz::PtzAux::Light, Ptz::PtzStatus::On);
     },
     kChannel + "/auxcontrols/1",
     kHead + "<PTZAux " + kRootAttributes +
         ">\n\t<id>1</id>\n\t<status>on</status>\n\t<type>LIGHT</type>\n</PTZAux>\n"},
    {"Continuous", "set_ptz_ctrl",
     [](Ptz::ZelkoPtzCameraIsapi& c) {
         return c.set_ptz_ctrl({30, -15, 0});
     },
     kChannel + "/continuous",
     kHead + "<PTZData " + kRootAttributes +
         ">\n\t<pan>30</pan>\n\t<tilt>-15</tilt>\n\t<zoom>0</zoom>\n</PTZData>\n"},
};

// How the camera answers, and what the library must make of it.
struct Outcome {
    const char* name;
    bool reachable;
    bool scripted;
    std::string answer;
    int code;
    const char* message;  // nullptr: no line; "%s" stands for the answer
};

std::ostream& operator<<(std::ostream& os, const Outcome& c) {
    return os << c.name;
}

const std::string kNoStatus = "<ResponseStatus><statusCode>1</statusCode></ResponseStatus>";
const std::string kOtherRoot = "<Status><statusString>OK</statusString></Status>";

const Outcome kOutcomes[] = {
    {"CameraAccepts", true, false, "", 0, nullptr},
    {"StatusOkWithExtras", true, true,
     "<ResponseStatus><a/><statusString>OK</statusString><b>x</b></ResponseStatus>", 0, nullptr},
    {"StatusLowerCase", true, true, status_answer("ok"), 10,
     "Fail to get node name in xml, response data: %s."},
    {"StatusPadded", true, true, status_answer("OK "), 10,
     "Fail to get node name in xml, response data: %s."},
    {"StatusRejected", true, true, status_answer("Invalid XML Content"), 10,
     "Fail to get node name in xml, response data: %s."},
    {"StatusMissing", true, true, kNoStatus, 10,
     "Fail to get node name in xml, response data: %s."},
    {"OtherRoot", true, true, kOtherRoot, 10, "Fail to get node name in xml, response data: %s."},
    {"NotXml", true, true, "<html>busy", 2, "Fail to parse reponse data, response data: %s."},
    {"Empty", true, true, "", 2, "Fail to parse reponse data, response data: %s."},
    {"Unreachable", false, false, "", 1, "Fail to complete http request."},
};

std::string error_line(const std::string& operation, std::string message,
                       const std::string& answer) {
    const auto at = message.find("%s");
    if (at != std::string::npos) {
        message.replace(at, 2, answer);
    }
    return "\x1b[31m[Error] [" + operation + "] " + message + "\n\x1b[0m\n";
}

class CommandTest : public SimTest,
                    public ::testing::WithParamInterface<std::tuple<Command, Outcome>> {};

TEST_P(CommandTest, SendsItsRequestAndJudgesTheAnswer) {
    const Command& command = std::get<0>(GetParam());
    const Outcome& outcome = std::get<1>(GetParam());
    if (outcome.scripted) {
        camera_sim.script(command.path, answer(outcome.answer));
    }
    Ptz::ZelkoPtzCameraIsapi camera(outcome.reachable ? "127.0.0.1" : kDeadAddress, kUserPwd);

    StderrCapture err;
    EXPECT_EQ(command.call(camera), outcome.code);
    EXPECT_EQ(err.text(), outcome.message == nullptr
                              ? ""
                              : error_line(command.operation, outcome.message, outcome.answer));

    const auto requests = authenticated();
    if (!outcome.reachable) {
        EXPECT_TRUE(camera_sim.requests().empty());
        return;
    }
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "PUT");
    EXPECT_EQ(requests[0].target, command.path);
    EXPECT_EQ(requests[0].header("Content-Type"), "application/xml; charset=\"UTF-8\"");
    EXPECT_EQ(requests[0].body, command.body);
}

INSTANTIATE_TEST_SUITE_P(Matrix, CommandTest,
                         ::testing::Combine(::testing::ValuesIn(kCommands),
                                            ::testing::ValuesIn(kOutcomes)),
                         [](const ::testing::TestParamInfo<std::tuple<Command, Outcome>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

TEST_F(SimTest, CommandsChangeTheCamerasState) {
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    sim::CameraState initial = camera_sim.state();
    initial.home.elevation = -5.0f;
    initial.home.azimuth = 90.0f;
    camera_sim.set_state(initial);

    ASSERT_EQ(camera.set_ptz_absoluteEx(kPosition), 0);
    finish_moves();
    EXPECT_EQ(camera_sim.state().position,
              (sim::Position{10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}));

    ASSERT_EQ(camera.set_ptz_ctrl({-7, 3, 1}), 0);
    EXPECT_EQ(camera_sim.state().motion.pan, -7);
    EXPECT_EQ(camera_sim.state().motion.tilt, 3);
    EXPECT_EQ(camera_sim.state().motion.zoom, 1);

    ASSERT_EQ(camera.set_ptz_aux(Ptz::PtzAux::Wiper, Ptz::PtzStatus::On), 0);
    ASSERT_EQ(camera.set_ptz_aux(Ptz::PtzAux::Fan, Ptz::PtzStatus::On), 0);
    ASSERT_EQ(camera.set_ptz_aux(Ptz::PtzAux::Fan, Ptz::PtzStatus::Off), 0);
    EXPECT_FALSE(camera_sim.state().light);
    EXPECT_TRUE(camera_sim.state().wiper);
    EXPECT_FALSE(camera_sim.state().fan);

    ASSERT_EQ(camera.reset_position(), 0);
    finish_moves();
    EXPECT_EQ(camera_sim.state().position.elevation, -5.0f);
    EXPECT_EQ(camera_sim.state().position.azimuth, 90.0f);
}

struct AuxCase {
    const char* name;
    std::int32_t aux;
    std::int32_t status;
    std::string children;  // "" when the command must send nothing
    std::string error;
};

std::ostream& operator<<(std::ostream& os, const AuxCase& c) {
    return os << c.name;
}

class AuxTest : public SimTest, public ::testing::WithParamInterface<AuxCase> {};

TEST_P(AuxTest, MapsOrRejectsItsArguments) {
    const AuxCase& c = GetParam();
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    StderrCapture err;
    const int code =
        camera.set_ptz_aux(static_cast<Ptz::PtzAux>(c.aux), static_cast<Ptz::PtzStatus>(c.status));
    EXPECT_EQ(err.text(), c.error);
    if (c.children.empty()) {
        EXPECT_EQ(code, 10);
        EXPECT_TRUE(camera_sim.requests().empty());
        return;
    }
    EXPECT_EQ(code, 0);
    const auto requests = authenticated();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, kChannel + "/auxcontrols/1");
    EXPECT_EQ(requests[0].body,
              kHead + "<PTZAux " + kRootAttributes + ">\n" + c.children + "</PTZAux>\n");
}

const std::string kBadType =
    "\x1b[31m[Error] [set_ptz_aux] Please input the correct aux type.\n\x1b[0m\n";
const std::string kBadStatus =
    "\x1b[31m[Error] [set_ptz_aux] Please input the correct ptz status.\n\x1b[0m\n";

INSTANTIATE_TEST_SUITE_P(
    Arguments, AuxTest,
    ::testing::Values(
        AuxCase{"LightOn", 0, 0, "\t<id>1</id>\n\t<status>on</status>\n\t<type>LIGHT</type>\n", ""},
        AuxCase{"WiperOff", 1, 1, "\t<id>1</id>\n\t<status>off</status>\n\t<type>WIPER</type>\n",
                ""},
        AuxCase{"FanOn", 2, 0, "\t<id>1</id>\n\t<status>on</status>\n\t<type>FAN</type>\n", ""},
        AuxCase{"BothOutOfRange", 3, 5, "", kBadType},
        AuxCase{"NegativeDevice", -1, 0, "", kBadType},
        AuxCase{"LargestDevice", INT32_MAX, 0, "", kBadType},
        AuxCase{"StateTwo", 2, 2, "", kBadStatus},
        AuxCase{"NegativeState", 0, INT32_MIN, "", kBadStatus}),
    [](const ::testing::TestParamInfo<AuxCase>& info) { return info.param.name; });

// Value edge cases: each is one more command, sent to the camera itself, which must accept it.
std::string ctrl_body(const std::string& children) {
    return kHead + "<PTZData " + kRootAttributes + ">\n" + children + "</PTZData>\n";
}

std::string absolute_body(const std::string& children) {
    return kHead + "<PtzAbsoluteEx " + kRootAttributes + ">\n" + children +
           "\t<zoomType>absoluteZoom</zoomType>\n</PtzAbsoluteEx>\n";
}

Command ctrl(const char* name, Ptz::PtzCtrl values, const std::string& children) {
    return {name, "set_ptz_ctrl",
            [values](Ptz::ZelkoPtzCameraIsapi& c) { return c.set_ptz_ctrl(values); },
            kChannel + "/continuous", ctrl_body(children)};
}

Command absolute(const char* name, Ptz::PtzAbsoluteEx values, const std::string& children) {
    return {name, "set_ptz_absoluteEx",
            [values](Ptz::ZelkoPtzCameraIsapi& c) { return c.set_ptz_absoluteEx(values); },
            kChannel + "/absoluteEx", absolute_body(children)};
}

const Command kValueCases[] = {
    ctrl("CtrlZeros", {0, 0, 0}, "\t<pan>0</pan>\n\t<tilt>0</tilt>\n\t<zoom>0</zoom>\n"),
    ctrl("CtrlNegative", {-1, -100, 5}, "\t<pan>-1</pan>\n\t<tilt>-100</tilt>\n\t<zoom>5</zoom>\n"),
    ctrl("CtrlExtremes", {INT32_MIN, INT32_MAX, 0},
         "\t<pan>-2147483648</pan>\n\t<tilt>2147483647</tilt>\n\t<zoom>0</zoom>\n"),
    ctrl("CtrlFarOutOfRange", {1000000, 1000000, 1000000},
         "\t<pan>1000000</pan>\n\t<tilt>1000000</tilt>\n\t<zoom>1000000</zoom>\n"),
    absolute("AbsoluteZeros", {0, 0, 0, 0, 0, 0, 0},
             "\t<absoluteZoom>0.000000</absoluteZoom>\n\t<azimuth>0.000000</azimuth>\n"
             "\t<elevation>0.000000</elevation>\n\t<focalLen>0</focalLen>\n"
             "\t<focus>0</focus>\n\t<horizontalSpeed>0.000000</horizontalSpeed>\n"
             "\t<verticalSpeed>0.000000</verticalSpeed>\n"),
    absolute("AbsoluteRoundedAndNegative", {-12.5f, 0.1f, 0.1234567f, -5, INT32_MIN, -0.25f, 1e6f},
             "\t<absoluteZoom>0.123457</absoluteZoom>\n\t<azimuth>0.100000</azimuth>\n"
             "\t<elevation>-12.500000</elevation>\n\t<focalLen>-2147483648</focalLen>\n"
             "\t<focus>-5</focus>\n\t<horizontalSpeed>-0.250000</horizontalSpeed>\n"
             "\t<verticalSpeed>1000000.000000</verticalSpeed>\n"),
};

INSTANTIATE_TEST_SUITE_P(Values, CommandTest,
                         ::testing::Combine(::testing::ValuesIn(kValueCases),
                                            ::testing::Values(kOutcomes[0])),
                         [](const ::testing::TestParamInfo<std::tuple<Command, Outcome>>& info) {
                             return std::string(std::get<0>(info.param).name);
                         });

TEST_F(SimTest, RepeatedHomeCommandsSendIdenticalRequests) {
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    EXPECT_EQ(camera.reset_position(), 0);
    EXPECT_EQ(camera.reset_position(), 0);
    const auto requests = authenticated();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, requests[1].target);
    EXPECT_EQ(requests[0].body, requests[1].body);
}

}  // namespace
