#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "sim_fixture.h"

namespace {

using namespace testing_support;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs ptzctl with `args`, and PTZCTL_USER set to `env_user` unless it is null.
Outcome ptzctl(std::vector<std::string> args, const char* env_user = nullptr) {
    char out_path[] = "/tmp/ptzctl-out-XXXXXX";
    char err_path[] = "/tmp/ptzctl-err-XXXXXX";
    const int out = mkstemp(out_path);
    const int err = mkstemp(err_path);
    args.insert(args.begin(), PTZCTL_PATH);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out, 1);
        dup2(err, 2);
        if (env_user != nullptr) {
            setenv("PTZCTL_USER", env_user, 1);
        } else {
            unsetenv("PTZCTL_USER");
        }
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(&a[0]);
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(out);
    close(err);
    Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out_path), slurp(err_path)};
    unlink(out_path);
    unlink(err_path);
    return run;
}

std::vector<std::string> with_camera(std::vector<std::string> args,
                                     const std::string& user = kUserPwd) {
    args.insert(args.begin(), {"--host", "127.0.0.1", "--user", user});
    return args;
}

class PtzctlTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        set_position({10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f});
    }

    std::vector<std::string> methods() const {
        std::vector<std::string> result;
        for (const auto& r : authenticated()) {
            result.push_back(r.method + " " + r.target);
        }
        return result;
    }
};

TEST_F(PtzctlTest, PositionPrintsTheSevenValues) {
    const Outcome run = ptzctl(with_camera({"position"}));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "elevation        10.5\nazimuth          200.25\nabsoluteZoom     4\n"
              "focus            29000\nfocalLen         48\nhorizontalSpeed  0.5\n"
              "verticalSpeed    1.5\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(PtzctlTest, PositionAsJson) {
    const Outcome run = ptzctl(with_camera({"position", "--json"}));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "{\"elevation\":10.5,\"azimuth\":200.25,\"absoluteZoom\":4,\"focus\":29000,"
              "\"focalLen\":48,\"horizontalSpeed\":0.5,\"verticalSpeed\":1.5}\n");
}

TEST_F(PtzctlTest, GotoKeepsTheFieldsNotGiven) {
    const Outcome run = ptzctl(with_camera({"goto", "--azimuth", "90.5", "--focus", "100"}));
    EXPECT_EQ(run.status, 0) << run.err;
    finish_moves();
    EXPECT_EQ(camera_sim.state().position,
              (sim::Position{10.5f, 90.5f, 4.0f, 100, 48, 0.5f, 1.5f}));
    EXPECT_EQ(methods(), (std::vector<std::string>{"GET " + kChannel + "/absoluteEx",
                                                   "PUT " + kChannel + "/absoluteEx"}));
}

TEST_F(PtzctlTest, MoveForSecondsStopsAfterwards) {
    const Outcome run = ptzctl(with_camera({"move", "5", "-3", "1", "--for", "0.1"}));
    EXPECT_EQ(run.status, 0) << run.err;
    const auto requests = authenticated();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].body.find("<pan>5</pan>\n\t<tilt>-3</tilt>\n\t<zoom>1</zoom>"),
              std::string::npos);
    EXPECT_NE(requests[1].body.find("<pan>0</pan>\n\t<tilt>0</tilt>\n\t<zoom>0</zoom>"),
              std::string::npos);
    EXPECT_EQ(camera_sim.state().motion.pan, 0);
}

struct StateCase {
    const char* name;
    std::vector<std::string> args;
    std::string request;  // method and target of the one command sent
};

std::ostream& operator<<(std::ostream& os, const StateCase& c) {
    return os << c.name;
}

class PtzctlCommandTest : public PtzctlTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(PtzctlCommandTest, SendsOneCommandAndExitsZero) {
    const Outcome run = ptzctl(with_camera(GetParam().args));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto sent = methods();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), GetParam().request);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PtzctlCommandTest,
    ::testing::Values(
        StateCase{"Move", {"move", "1", "2", "3"}, "PUT " + kChannel + "/continuous"},
        StateCase{"Stop", {"stop"}, "PUT " + kChannel + "/continuous"},
        StateCase{"Home", {"home"}, "PUT " + kChannel + "/homeposition/goto"},
        StateCase{"ZoomReset", {"zoom-reset"}, "PUT " + kChannel + "/absoluteEx"},
        StateCase{"LightOn", {"light", "on"}, "PUT " + kChannel + "/auxcontrols/1"},
        StateCase{"WiperOff", {"wiper", "off"}, "PUT " + kChannel + "/auxcontrols/1"},
        StateCase{"FanOn", {"fan", "on"}, "PUT " + kChannel + "/auxcontrols/1"},
        StateCase{"Get", {"get", "/ISAPI/System/deviceInfo"}, "GET /ISAPI/System/deviceInfo"}),
    [](const ::testing::TestParamInfo<StateCase>& info) { return info.param.name; });

TEST_F(PtzctlTest, AuxiliaryCommandsSwitchTheDevices) {
    EXPECT_EQ(ptzctl(with_camera({"light", "on"})).status, 0);
    EXPECT_EQ(ptzctl(with_camera({"fan", "on"})).status, 0);
    EXPECT_EQ(ptzctl(with_camera({"fan", "off"})).status, 0);
    EXPECT_TRUE(camera_sim.state().light);
    EXPECT_FALSE(camera_sim.state().fan);
}

TEST_F(PtzctlTest, CredentialsFromTheEnvironment) {
    EXPECT_EQ(ptzctl({"--host", "127.0.0.1", "home"}, kUserPwd).status, 0);
    EXPECT_EQ(authenticated().size(), 1u);
}

TEST_F(PtzctlTest, WrongPasswordExitsWithTheResultCodeAndTheLibrarysLine) {
    const Outcome run = ptzctl(with_camera({"home"}, "admin:nope"));
    EXPECT_EQ(run.status, 10);
    EXPECT_EQ(run.err.rfind("\x1b[31m[Error] [reset_position] Fail to get node name in xml, "
                            "response data: <?xml",
                            0),
              0u);
    EXPECT_EQ(run.out, "");
}

TEST_F(PtzctlTest, NonNumericPositionExitsThreeWithOneLine) {
    camera_sim.script(kChannel + "/absoluteEx", answer(status_answer("OK")));
    const Outcome run = ptzctl(with_camera({"position"}));
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "ptzctl: the camera's position answer is not numbers (stof)\n");
    EXPECT_EQ(run.out, "");
}

struct GetCase {
    const char* name;
    const char* host;
    bool scripted;
    std::string answer;
    int status;
};

std::ostream& operator<<(std::ostream& os, const GetCase& c) {
    return os << c.name;
}

class PtzctlGetTest : public SimTest, public ::testing::WithParamInterface<GetCase> {};

TEST_P(PtzctlGetTest, ExitsAsGetInfoWouldAndPrintsTheAnswer) {
    if (GetParam().scripted) {
        camera_sim.script("/probe", answer(GetParam().answer));
    }
    const Outcome run = ptzctl({"--host", GetParam().host, "--user", kUserPwd, "get", "/probe"});
    EXPECT_EQ(run.status, GetParam().status);
    if (GetParam().scripted) {
        EXPECT_EQ(run.out, GetParam().answer);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, PtzctlGetTest,
                         ::testing::Values(GetCase{"Xml", "127.0.0.1", true, "<a>1</a>", 0},
                                           GetCase{"Ipv6Literal", "[::1]", false, "", 1},
                                           GetCase{"ControlBytesExactIntoAFile", "127.0.0.1", true,
                                                   "<a>\x1b[2J\r</a>", 0},
                                           GetCase{"NotXml", "127.0.0.1", true, "hello", 2},
                                           GetCase{"Unreachable", kDeadAddress, false, "", 1}),
                         [](const ::testing::TestParamInfo<GetCase>& info) {
                             return info.param.name;
                         });

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
};

std::ostream& operator<<(std::ostream& os, const UsageCase& c) {
    return os << c.name;
}

class PtzctlUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(PtzctlUsageTest, BadArgumentsExit64WithUsage) {
    const Outcome run = ptzctl(GetParam().args);
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err.rfind("ptzctl: ", 0), 0u);
    EXPECT_NE(run.err.find("usage: ptzctl --host ADDRESS"), std::string::npos);
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, PtzctlUsageTest,
    ::testing::Values(
        UsageCase{"NoHost", {"--user", "a:b", "home"}},
        UsageCase{"NoUser", {"--host", "127.0.0.1", "home"}},
        UsageCase{"UserWithoutColon", {"--host", "h", "--user", "ab", "home"}},
        UsageCase{"NoCommand", {"--host", "h", "--user", "a:b"}},
        UsageCase{"UnknownCommand", {"--host", "h", "--user", "a:b", "dance"}},
        UsageCase{"UnknownOption", {"--host", "h", "--user", "a:b", "home", "--fast"}},
        UsageCase{"GotoWithoutFields", {"--host", "h", "--user", "a:b", "goto"}},
        UsageCase{"GotoNotANumber", {"--host", "h", "--user", "a:b", "goto", "--focus", "1.5"}},
        UsageCase{"MoveTwoValues", {"--host", "h", "--user", "a:b", "move", "1", "2"}},
        UsageCase{"MoveForNegative",
                  {"--host", "h", "--user", "a:b", "move", "1", "2", "3", "--for", "-1"}},
        UsageCase{"AuxDim", {"--host", "h", "--user", "a:b", "light", "dim"}},
        UsageCase{"GetRelative", {"--host", "h", "--user", "a:b", "get", "ISAPI"}},
        UsageCase{"JsonElsewhere", {"--host", "h", "--user", "a:b", "home", "--json"}},
        UsageCase{"MissingValue", {"--host"}},
        UsageCase{"HostWithPort", {"--host", "127.0.0.1:8080", "--user", "a:b", "home"}},
        UsageCase{"HostWithPathAndQuery",
                  {"--host", "127.0.0.1/ISAPI/x?y=", "--user", "a:b", "home"}},
        UsageCase{"HostWithScheme", {"--host", "http://cam", "--user", "a:b", "home"}},
        UsageCase{"HostWithUser", {"--host", "me@cam", "--user", "a:b", "home"}},
        UsageCase{"HostWithSpace", {"--host", "cam ", "--user", "a:b", "home"}},
        UsageCase{"HostIpv6WithPort", {"--host", "[::1]:80", "--user", "a:b", "home"}}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

TEST(Ptzctl, HelpDocumentsEveryCommandAndTheEnvironment) {
    const Outcome run = ptzctl({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* word :
         {"position", "--json", "goto", "--elevation", "--focal-length", "move", "--for", "stop",
          "home", "zoom-reset", "light|wiper|fan", "get PATH", "PTZCTL_USER"}) {
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
}

}  // namespace
