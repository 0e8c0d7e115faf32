// ptzctl as an operator and a script run it: argument vector in, exit status, output and the
// requests the camera took out. The camera runs on the real clock, so --wait sees it move.

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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

struct Invocation {
    std::vector<std::string> args;
    const char* env_user = nullptr;  // PTZCTL_USER; unset when null
    bool terminal = false;           // stdout and stderr on one pseudo-terminal, read as `out`
    int interrupt_after_ms = 0;      // SIGINT then
};

Outcome ptzctl(Invocation in) {
    char paths[2][24] = {"/tmp/ptzctl-out-XXXXXX", "/tmp/ptzctl-err-XXXXXX"};
    const int files[2] = {mkstemp(paths[0]), mkstemp(paths[1])};
    in.args.insert(in.args.begin(), PTZCTL_PATH);
    int terminal = -1;
    const pid_t pid = in.terminal ? forkpty(&terminal, nullptr, nullptr, nullptr) : fork();
    if (pid == 0) {
        if (!in.terminal) {
            dup2(files[0], 1);
            dup2(files[1], 2);
        }
        in.env_user != nullptr ? setenv("PTZCTL_USER", in.env_user, 1) : unsetenv("PTZCTL_USER");
        std::vector<char*> argv;
        for (auto& a : in.args) {
            argv.push_back(&a[0]);
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (in.interrupt_after_ms > 0) {
        usleep(in.interrupt_after_ms * 1000);
        kill(pid, SIGINT);
    }
    Outcome run{-1, "", ""};
    char buffer[4096];
    for (ssize_t n; in.terminal && (n = read(terminal, buffer, sizeof buffer)) > 0;) {
        run.out.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (int i = 0; i < 2; ++i) {
        std::stringstream text;
        text << std::ifstream(paths[i], std::ios::binary).rdbuf();
        (i == 0 ? run.out : run.err) += text.str();
        close(files[i]);
        unlink(paths[i]);
    }
    close(terminal);
    return run;
}

// `text` matches `pattern`, in which each * stands for any run of bytes.
bool matches(const char* pattern, const char* text) {
    if (*pattern == '*') {
        return matches(pattern + 1, text) || (*text != '\0' && matches(pattern, text + 1));
    }
    return *pattern == *text && (*text == '\0' || matches(pattern + 1, text + 1));
}

const std::string kAbs = kChannel + "/absoluteEx";
const std::string kCtrl = kChannel + "/continuous";
const std::string kAux = kChannel + "/auxcontrols/1";
const std::string kHome = kChannel + "/homeposition/goto";

struct Case {
    const char* name;
    Invocation in;
    int status;
    std::string out;  // patterns
    std::string err;
    std::vector<std::string> sent = {};  // "METHOD target" of each request the camera took
    std::string body_has = "";           // in the last of them
    std::string script_path = "";        // answered with `script_body` instead of the camera
    std::string script_body = "";
};

Invocation cam(std::vector<std::string> args, bool terminal = false) {
    args.insert(args.begin(), {"--host", "127.0.0.1", "--user", kUserPwd});
    return {args, nullptr, terminal};
}

// A run that exits with `status` and prints `out` and `err`.
Case prints(const char* name, Invocation in, int status, std::string out, std::string err = "") {
    return {name, std::move(in), status, std::move(out), std::move(err)};
}

// A run that exits 0, prints nothing and sends `sent`, the last with `body_has` in its body.
Case sends(const char* name, Invocation in, std::vector<std::string> sent,
           std::string body_has = "") {
    Case c = prints(name, std::move(in), 0, "");
    c.sent = std::move(sent);
    c.body_has = std::move(body_has);
    return c;
}

// The camera takes `requests`, "METHOD target" each.
Case took(Case c, std::vector<std::string> requests) {
    c.sent = std::move(requests);
    return c;
}

// The camera answers a GET of `path` with `body`.
Case answered(Case c, std::string path, std::string body) {
    c.script_path = std::move(path);
    c.script_body = std::move(body);
    return c;
}

// A run refused with exit 64, its reason and the usage.
Case refused(const char* name, std::vector<std::string> args, const std::string& reason) {
    return prints(name, {std::move(args)}, 64, "", "ptzctl: " + reason + "\n\nusage: ptzctl*");
}

Case bad_host(const char* name, const std::string& host) {
    return refused(name, {"--host", host, "--user", "a:b", "home"},
                   "--host takes a host name, an IPv4 address or a bracketed IPv6 address, "
                   "without scheme, port, path, query, user or spaces: " +
                       host);
}

const std::string kSample = "*     89.500    200.250    1.500   29000       48   0.500   1.500\n";
const std::string kJsonTail =
    "\"focus\":29000,\"focalLen\":48,\"horizontalSpeed\":0.5,\"verticalSpeed\":1.5}\n";
const std::string kZeros = "<pan>0</pan>\n\t<tilt>0</tilt>\n\t<zoom>0</zoom>";
const char* const kProbe = "<a>\x1b[2J\r</a>";

const Case kCases[] = {
    prints("Position", cam({"position"}), 0,
           "elevation        89.5\nazimuth          200.25\nabsoluteZoom     1.5\n"
           "focus            29000\nfocalLen         48\nhorizontalSpeed  0.5\n"
           "verticalSpeed    1.5\n"),
    answered(prints("PositionJsonOddNumbers", cam({"position", "--json"}), 0,
                    "{\"elevation\":null,\"azimuth\":1e-05,\"absoluteZoom\":null,\"focus\":1,"
                    "\"focalLen\":2,\"horizontalSpeed\":3,\"verticalSpeed\":4}\n"),
             kAbs,
             "<PTZAbsoluteEx><elevation>nan</elevation><azimuth>1e-05</azimuth><absoluteZoom>inf"
             "</absoluteZoom><focus>1</focus><focalLen>2</focalLen><horizontalSpeed>3"
             "</horizontalSpeed><verticalSpeed>4</verticalSpeed></PTZAbsoluteEx>"),
    answered(prints("PositionNotNumbers", cam({"position"}), 3, "",
                    "ptzctl: the camera's position answer is not numbers (stof)\n"),
             kAbs, status_answer("OK")),
    answered(prints("PositionOutOfRange", cam({"position"}), 3, "",
                    "ptzctl: the camera's position answer is out of range (stof)\n"),
             kAbs, "<PTZAbsoluteEx><elevation>1e39</elevation></PTZAbsoluteEx>"),
    sends("GotoKeepsTheFieldsNotGiven",
          cam({"goto", "--azimuth", "90.5", "--focus", "100", "--hspeed", "2"}),
          {"GET " + kAbs, "PUT " + kAbs},
          "<azimuth>90.500000</azimuth>\n\t<elevation>89.500000</elevation>\n\t<focalLen>48"
          "</focalLen>\n\t<focus>100</focus>\n\t<horizontalSpeed>2.000000</horizontalSpeed>\n"
          "\t<verticalSpeed>1.500000</verticalSpeed>"),
    answered(
        prints("GotoSendsNothingAfterABadAnswer", cam({"goto", "--azimuth", "1"}), 2, "",
               error_line("get_ptz_absoluteEx", "Fail to parse reponse data, response data: x.")),
        kAbs, "x"),
    sends("MoveForStopsAfterwards", cam({"move", "5", "-3", "1", "--for", "0.1"}),
          {"PUT " + kCtrl, "PUT " + kCtrl}, kZeros),
    sends("Stop", cam({"stop"}), {"PUT " + kCtrl}, kZeros),
    sends("WiperOff", cam({"wiper", "off"}), {"PUT " + kAux},
          "<status>off</status>\n\t<type>WIPER"),
    answered(prints("GetExactIntoAFile", cam({"get", "/probe"}), 0, kProbe), "/probe", kProbe),
    answered(
        prints("GetEscapedOnATerminal", cam({"get", "/probe"}, true), 0, "<a>\\x1b[2J\\x0d</a>"),
        "/probe", kProbe),
    answered(prints("GetNotXml", cam({"get", "/probe"}), 2, "hello",
                    "ptzctl: the answer is not well-formed XML\n"),
             "/probe", "hello"),
    prints("GetUnreachable", {{"--host", kDeadAddress, "--user", kUserPwd, "get", "/x"}}, 1, "",
           "ptzctl: the HTTP transfer did not complete\n"),
    prints("BracketedIpv6Host", {{"--host", "[::1]", "--user", kUserPwd, "home"}}, 1, "",
           error_line("reset_position", "Fail to complete http request.")),
    sends("CredentialsFromTheEnvironment", {{"--host", "127.0.0.1", "home"}, kUserPwd},
          {"PUT " + kHome}),
    sends("UserBeatsTheEnvironment", {cam({"home"}).args, "admin:wrong"}, {"PUT " + kHome}),
    prints("WrongPassword", {{"--host", "127.0.0.1", "--user", "admin:nope", "home"}}, 10, "",
           "\x1b[31m[Error] [reset_position] Fail to get node name in xml, response data: <?xml*"),
    prints("WaitReached", cam({"goto", "--azimuth", "201", "--wait"}), 0, "reached: azimuth 201\n"),
    prints("WaitComparesAzimuthRoundTheCircle", cam({"goto", "--azimuth", "560.25", "--wait"}), 0,
           "reached: azimuth 200.25\n"),
    prints("WaitReachedOnATerminal", cam({"goto", "--azimuth", "202", "--wait"}, true), 0,
           "*\r\x1b[Kreached: azimuth 202\r\n"),
    prints("WaitSettledElsewhere", cam({"goto", "--elevation", "95", "--wait"}), 4, "",
           "ptzctl: settled elsewhere: elevation 90 (target 95)\n"),
    prints("WaitTimedOut", cam({"goto", "--azimuth", "20.25", "--wait", "--timeout", "0.2"}), 5, "",
           "ptzctl: timed out after 0.2 s: azimuth * (target 20.25)\n"),
    prints("HomeWaitSettles", cam({"home", "--wait"}), 0,
           "settled: elevation 89.5, azimuth 201, absoluteZoom 1.5\n"),
    prints("ZoomResetWaitReaches", cam({"zoom-reset", "--wait"}), 0, "reached: absoluteZoom 1\n"),
    took(prints("Watch", cam({"watch", "--count", "2", "--interval", "0.05"}), 0,
                "        t  elevation    azimuth     zoom   focus focalLen  hspeed  vspeed\n" +
                    kSample + kSample),
         {"GET " + kAbs, "GET " + kAbs}),
    prints("WatchJson", cam({"watch", "--count", "1", "--json"}), 0,
           "{\"t\":*,\"elevation\":89.5,\"azimuth\":200.25,\"absoluteZoom\":1.5," + kJsonTail),
    prints("WatchEndsOnCtrlC", {cam({"watch", "--json"}).args, nullptr, false, 300}, 0,
           "{\"t\":*}\n"),
    prints("Help", {{"--help"}}, 0,
           "usage: ptzctl --host ADDRESS*goto*--wait*watch*--count*PTZCTL_USER*4 --wait: the "
           "camera settled elsewhere; 5 --wait: timed*"),
    refused("NoHost", {"--user", "a:b", "home"}, "--host is required"),
    refused("UnknownOption", cam({"home", "--fast", "1"}).args, "unknown option: --fast"),
    refused("MissingValue", {"--host"}, "--host needs a value"),
    refused("MovePastTheIntRange", cam({"move", "1", "2", "2147483648"}).args,
            "move needs three integers: PAN TILT ZOOM"),
    refused("MoveForZero", cam({"move", "1", "2", "3", "--for", "0"}).args,
            "--for needs a number of seconds between 0 and 3600"),
    refused("WaitElsewhere", cam({"stop", "--wait"}).args,
            "--wait belongs to goto, home and zoom-reset"),
    refused("CountZero", cam({"watch", "--count", "0"}).args,
            "--count needs a positive whole number"),
    bad_host("HostWithPort", "127.0.0.1:8080"),
    bad_host("HostWithPathAndQuery", "127.0.0.1/ISAPI/x?y="),
    bad_host("HostWithScheme", "http://cam"),
    bad_host("HostWithUser", "me@cam"),
};

class PtzctlTest : public SimTest, public ::testing::WithParamInterface<Case> {
protected:
    PtzctlTest() : SimTest(sim::Options(), true) {}
};

TEST_P(PtzctlTest, ExitsAndPrintsAsDocumented) {
    const Case& c = GetParam();
    set_position({89.5f, 200.25f, 1.5f, 29000, 48, 0.5f, 1.5f}, {89.5f, 201.0f, 1.5f, 29000, 48});
    if (!c.script_path.empty()) {
        camera_sim->script(c.script_path, answer(c.script_body, "GET"));
    }
    const Outcome run = ptzctl(c.in);
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(matches(c.out.c_str(), run.out.c_str())) << ::testing::PrintToString(run.out);
    EXPECT_TRUE(matches(c.err.c_str(), run.err.c_str())) << ::testing::PrintToString(run.err);
    std::vector<std::string> bodies;
    const auto requests = sent(&bodies);
    if (c.status == 64) {
        EXPECT_TRUE(camera_sim->requests().empty());
    }
    if (!c.sent.empty()) {
        EXPECT_EQ(requests, c.sent);
    }
    if (!c.body_has.empty()) {
        ASSERT_FALSE(bodies.empty());
        EXPECT_NE(bodies.back().find(c.body_has), std::string::npos) << bodies.back();
    }
}

INSTANTIATE_TEST_SUITE_P(Invocations, PtzctlTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return info.param.name;
                         });

}  // namespace
