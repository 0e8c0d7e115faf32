// ptzctl as an operator and a script run it: argument vector in, exit status, output and the
// requests the camera took out. The camera runs on the real clock, so --wait sees it move.

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>

#include "sim_fixture.h"

namespace {

using namespace testing_support;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

using Environment = std::vector<std::pair<const char*, std::string>>;

struct Invocation {
    std::vector<std::string> args;
    const char* env_user = nullptr;   // PTZCTL_USER; unset when null
    bool terminal = false;            // stdout and stderr on one pseudo-terminal, read as `out`
    std::size_t interrupt_after = 0;  // `signal` once the camera has taken this many requests
    Environment env = {};             // more of it; XDG_CONFIG_HOME is a folder of the test's
    rlim_t open_files = 0;            // the soft limit of open files; 0: the test's
    bool hard_limit = false;          // open_files is the hard limit too
    enum class Out { File, FullDisk, Closed } out = Out::File;  // stdout on /dev/full, or closed
    int signal = SIGINT;
    bool nohup = false;  // SIGHUP ignored from the start, as nohup starts a command
};

// The folder ptzctl finds camera files in, one per test process.
const std::string kConfigHome = "/tmp/ptzctl-test-" + std::to_string(getpid());

Outcome ptzctl(Invocation in, const sim::CameraSim* camera = nullptr) {
    char paths[2][24] = {"/tmp/ptzctl-out-XXXXXX", "/tmp/ptzctl-err-XXXXXX"};
    const int files[2] = {mkstemp(paths[0]), mkstemp(paths[1])};
    in.args.insert(in.args.begin(), PTZCTL_PATH);
    int terminal = -1;
    const pid_t pid = in.terminal ? forkpty(&terminal, nullptr, nullptr, nullptr) : fork();
    if (pid == 0) {
        if (!in.terminal) {
            dup2(in.out == Invocation::Out::FullDisk ? open("/dev/full", O_WRONLY) : files[0], 1);
            dup2(files[1], 2);
        }
        if (in.out == Invocation::Out::Closed) {
            close_range(0, 1, 0);  // stdin too, as a careless daemon's
        }
        // Only what ptzctl opens itself, so that a limit of open files counts it alone.
        close_range(3, ~0U, 0);
        if (in.open_files != 0) {
            rlimit limit{};
            getrlimit(RLIMIT_NOFILE, &limit);
            limit.rlim_cur = in.open_files;
            limit.rlim_max = in.hard_limit ? in.open_files : limit.rlim_max;
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        signal(SIGHUP, in.nohup ? SIG_IGN : SIG_DFL);
        in.env_user != nullptr ? setenv("PTZCTL_USER", in.env_user, 1) : unsetenv("PTZCTL_USER");
        setenv("XDG_CONFIG_HOME", kConfigHome.c_str(), 1);
        // In the folder of the camera files, where a bare "lab.toml" names the file itself.
        [[maybe_unused]] const int in_folder = chdir((kConfigHome + "/ptzctl").c_str());
        for (const auto& variable : in.env) {
            setenv(variable.first, variable.second.c_str(), 1);
        }
        std::vector<char*> argv;
        for (auto& a : in.args) {
            argv.push_back(&a[0]);
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (in.interrupt_after > 0) {
        EXPECT_TRUE(camera->wait_for_requests(in.interrupt_after, std::chrono::seconds(5)));
        kill(pid, in.signal);
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
        (i == 0 ? run.out : run.err) += read_file(paths[i]);
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

const std::string kHome = kChannel + "/homeposition/goto";
const std::string kFocus = "/ISAPI/System/Video/inputs/channels/1/focus";

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
    std::string script_method = "";           // the scripted answer's; "": every one
    void (*camera)(sim::Options&) = nullptr;  // a camera set up otherwise
    std::string file = "";                    // the camera file "lab", when given
    mode_t file_mode = 0600;
};

Invocation cam(std::vector<std::string> args, bool terminal = false) {
    args.insert(args.begin(), {"--host", "127.0.0.1", "--user", kUserPwd});
    return {args, nullptr, terminal};
}

// `home` with a password the camera refuses, after `options`.
Invocation wrong_password(std::vector<std::string> options, bool terminal = false) {
    options.insert(options.begin(), {"--host", "127.0.0.1", "--user", "admin:nope"});
    options.push_back("home");
    return {options, nullptr, terminal};
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

// The camera answers a GET of `path` with `body`, and other methods itself.
Case answered_get(Case c, std::string path, std::string body) {
    c.script_method = "GET";
    return answered(std::move(c), std::move(path), std::move(body));
}

// A run refused with exit 64 and its reason.
Case refused(const char* name, Invocation in, const std::string& reason) {
    return prints(name, std::move(in), 64, "", "ptzctl: " + reason + "\n");
}

// The camera file "lab" holds `file`, with `mode`.
Case with_file(Case c, std::string file, mode_t mode = 0600) {
    c.file = std::move(file);
    c.file_mode = mode;
    return c;
}

Case on(Case c, void (*camera)(sim::Options&)) {
    c.camera = camera;
    return c;
}

// `in` with at most `files` open files, or with the system letting it raise that.
Invocation open_files(Invocation in, rlim_t files, bool hard) {
    in.open_files = files;
    in.hard_limit = hard;
    return in;
}

// Three cameras at 127.0.0.1 to 127.0.0.3.
void three_cameras(sim::Options& o) {
    o.cameras = 3;
}

// `args` on the cameras at `hosts`, in that order.
Invocation fleet(std::vector<std::string> hosts, std::vector<std::string> args) {
    std::vector<std::string> given = {"--user", kUserPwd};
    for (const std::string& host : hosts) {
        given.insert(given.end(), {"--host", host});
    }
    given.insert(given.end(), args.begin(), args.end());
    return {given};
}

Invocation with_out(Invocation in, Invocation::Out out = Invocation::Out::FullDisk) {
    in.out = out;
    return in;
}

const std::string kFullDisk = "ptzctl: cannot write the output: No space left on device\n";

Invocation with_env(Invocation in, Environment env) {
    in.env = std::move(env);
    return in;
}

// Preset 1's name is not all UTF-8, as a client saving in another encoding leaves it: an "ä", a
// lone byte, a surrogate's bytes and a character cut short. Preset 33's holds a tab, an escape
// and a line feed, which a table shows on its own line.
const std::string kPresetList =
    "<PTZPresetList><PTZPreset><id>1</id>"
    "<presetName>G\xc3\xa4te\xff\xed\xa0\x80\xe2\x82</presetName><enabled>true</enabled>"
    "</PTZPreset><PTZPreset><id>33</id><presetName>Dock \"2\"\t\x1b\n</presetName><enabled>false"
    "</enabled></PTZPreset></PTZPresetList>";

const std::string kSample =
    "*    89.500   200.250        1.500     29000        48           0.500         1.500\n";
const std::string kJsonTail =
    "\"focus\":29000,\"focalLen\":48,\"horizontalSpeed\":0.5,\"verticalSpeed\":1.5}\n";
const std::string kZeros = "<pan>0</pan>\n\t<tilt>0</tilt>\n\t<zoom>0</zoom>\n";
const char* const kProbe = "<a>\x1b[2J\r</a>";
const std::string kRefusal = "ptzctl: home: camera refused: Invalid Operation (badAuthorization)";
const std::string kMomentary = kChannel + "/momentary";
const std::string kNoMomentary =
    "ptzctl: move: the camera takes no momentary move (camera refused: Invalid Operation "
    "(notSupport)); moving continuously and stopping after the time\n";

const std::string kYardPatrol =
    "<PTZPatrolList><PTZPatrol><id>2</id><enabled>true</enabled><patrolName>Yard \"2\""
    "</patrolName><PatrolSequenceList><PatrolSequence><presetID>5</presetID><seqSpeed>40"
    "</seqSpeed><delay>3</delay></PatrolSequence><PatrolSequence><presetID>7</presetID>"
    "<seqSpeed>1</seqSpeed><delay>0</delay></PatrolSequence></PatrolSequenceList>"
    "</PTZPatrol></PTZPatrolList>";

const Case kCases[] = {
    prints("Position", cam({"position"}), 0,
           "elevation        89.5\nazimuth          200.25\nabsoluteZoom     1.5\n"
           "focus            29000\nfocalLen         48\nhorizontalSpeed  0.5\n"
           "verticalSpeed    1.5\n"),
    on(prints("PositionJsonOfALeanCamera", cam({"position", "--json"}), 0,
              "{\"elevation\":89.5,\"azimuth\":200.25,\"absoluteZoom\":1.5,\"focus\":29000,"
              "\"focalLen\":null,\"horizontalSpeed\":null,\"verticalSpeed\":null}\n"),
       [](sim::Options& o) { o.firmware.position_answer = sim::Firmware::PositionAnswer::Lean; }),
    on(took(prints("PositionOfOlderFirmware", cam({"position"}), 0,
                   "elevation        89.5\nazimuth          200.3\nabsoluteZoom     1.5\n"),
            {"GET " + kAbs, "GET " + kChannel + "/status"}),
       [](sim::Options& o) { o.firmware.position_answer = sim::Firmware::PositionAnswer::Legacy; }),
    on(prints("GotoOnOlderFirmware", cam({"goto", "--azimuth", "1"}), 10, "",
              "ptzctl: goto: the answer is not a status of OK (HTTP 404)\n"),
       [](sim::Options& o) { o.firmware.position_answer = sim::Firmware::PositionAnswer::Legacy; }),
    sends("GotoSendsTheAxesAndTheValuesGiven",
          cam({"goto", "--elevation", "5", "--azimuth", "90.5", "--focus", "100", "--hspeed", "2"}),
          {"GET " + kAbs, "PUT " + kAbs},
          "<elevation>5.000000</elevation>\n\t<azimuth>90.500000</azimuth>\n\t<absoluteZoom>"
          "1.500000</absoluteZoom>\n\t<focus>100</focus>\n\t<horizontalSpeed>2.000000"
          "</horizontalSpeed>\n</PTZAbsoluteEx>"),
    answered(prints("GotoSendsNothingAfterABadAnswer", cam({"goto", "--azimuth", "1"}), 2, "",
                    "ptzctl: goto: the answer is not XML\n"),
             kAbs, "x"),
    sends("MoveForIsOneMomentaryMove", cam({"move", "5", "-3", "1", "--for", "0.1"}),
          {"PUT " + kMomentary}, "<zoom>1</zoom>\n\t<Momentary>\n\t\t<duration>100</duration>"),
    took(answered(prints("MoveForFallsBackToContinuous",
                         cam({"move", "5", "-3", "1", "--for", "0.1"}), 0, "", kNoMomentary),
                  kMomentary,
                  sim::response_status(kMomentary, 4, "Invalid Operation", "notSupport")),
         {"PUT " + kMomentary, "PUT " + kCtrl, "PUT " + kCtrl}),
    // A refusal of the asker is no camera without momentary moves: nothing more is sent.
    on(took(prints("MoveForOnAPtzHeldByAnotherUser", cam({"move", "5", "-3", "1", "--for", "0.1"}),
                   10, "",
                   "ptzctl: move: camera refused: the PTZ is held by a user of higher priority "
                   "(ptzOccupiedPriority)\n"),
            {"PUT " + kMomentary}),
       [](sim::Options& o) { o.firmware.occupied = true; }),
    prints(
        "MoveForWithCredentialsRefused",
        {{"--host", "127.0.0.1", "--user", "admin:wrong", "move", "5", "0", "0", "--for", "0.1"}},
        10, "", "ptzctl: move: camera refused: Invalid Operation (badAuthorization)\n"),
    took(answered(
             prints("MoveForOnALockedAccount", cam({"move", "5", "0", "0", "--for", "0.1"}), 10, "",
                    "ptzctl: move: camera refused: Unauthorized; the account is locked for "
                    "1800 s\n"),
             kMomentary,
             "<userCheck><statusValue>401</statusValue><statusString>Unauthorized"
             "</statusString><lockStatus>lock</lockStatus><unlockTime>1800</unlockTime>"
             "</userCheck>"),
         {"PUT " + kMomentary}),
    took(answered(prints("MoveForInterruptedStopsTheCamera",
                         {cam({"move", "5", "-3", "1", "--for", "10"}).args, nullptr, false, 2},
                         128 + SIGINT, "", kNoMomentary),
                  kMomentary,
                  sim::response_status(kMomentary, 4, "Invalid Operation", "notSupport")),
         {"PUT " + kMomentary, "PUT " + kCtrl, "PUT " + kCtrl}),
    sends("FocusForStopsAfterTheTime", cam({"focus", "near", "--speed", "20", "--for", "0.1"}),
          {"PUT " + kFocus, "PUT " + kFocus}, "<focus>0</focus>"),
    // The operator's connection lost: the lens stops, unless nohup keeps the command going.
    [] {
        Invocation in{cam({"focus", "far", "--for", "10"}).args, nullptr, false, 1};
        in.signal = SIGHUP;
        Case c = took(prints("FocusForHungUpStopsTheLens", in, 128 + SIGHUP, ""),
                      {"PUT " + kFocus, "PUT " + kFocus});
        c.body_has = "<focus>0</focus>";
        return c;
    }(),
    [] {
        Invocation in{cam({"focus", "far", "--for", "0.5"}).args, nullptr, false, 1};
        in.signal = SIGHUP;
        in.nohup = true;
        return took(prints("FocusForUnderNohupRunsItsTime", in, 0, ""),
                    {"PUT " + kFocus, "PUT " + kFocus});
    }(),
    sends("FocusNearAtItsSpeed", cam({"focus", "near", "--speed", "20"}), {"PUT " + kFocus},
          "<focus>-20</focus>"),
    sends("IrisOpensAtHalfSpeed", cam({"iris", "open"}),
          {"PUT /ISAPI/System/Video/inputs/channels/1/iris"}, "<iris>50</iris>"),
    sends("FocusAutoIsOnePush", cam({"focus", "auto"}),
          {"PUT " + kChannel + "/onepushfoucs/start"}),
    took(sends("PatrolSetStepsWithTheirDefaults",
               cam({"patrol", "set", "2", "--step", "1:40:2", "7", "--name", "Yard", "--disabled"}),
               {},
               "<enabled>false</enabled>\n\t<id>2</id>\n\t<patrolName>Yard</patrolName>\n\t<Patrol"
               "SequenceList>\n\t\t<PatrolSequence>\n\t\t\t<presetID>1</presetID>\n\t\t\t<seq"
               "Speed>40</seqSpeed>\n\t\t\t<delay>2</delay>\n\t\t</PatrolSequence>\n\t\t<Patrol"
               "Sequence>\n\t\t\t<presetID>7</presetID>\n\t\t\t<seqSpeed>30</seqSpeed>\n\t\t\t"
               "<delay>15</delay>"),
         {"GET " + kChannel + "/capabilities", "PUT " + kChannel + "/patrols/2"}),
    took(
        prints("PatrolOfASpecialPresetRefused", cam({"patrol", "set", "2", "--step", "33"}), 10, "",
               "ptzctl: patrol set: Please input patrol steps of presets of 1 or more, none of "
               "them special.\n"),
        {"GET " + kChannel + "/capabilities", "GET " + kChannel + "/patrols"}),
    refused("PatrolStepNotNumbers", cam({"patrol", "set", "2", "--step", "1:x"}),
            "--step: 1:x: PRESET[:SPEED[:DWELL]], whole numbers"),
    refused("PatrolStepOfFourParts", cam({"patrol", "set", "2", "--step", "1:2:3:4"}),
            "--step: 1:2:3:4: PRESET[:SPEED[:DWELL]], whole numbers"),
    refused("FocusSpeedZero", cam({"focus", "near", "--speed", "0"}), "--speed: takes 1 to 100: 0"),
    prints("PatrolListOfARealCamerasSlots", cam({"patrol", "list"}), 0,
           "   1  1 (disabled): -\n   2  2 (disabled): -\n   3  3 (disabled): -\n"
           "   4  4 (disabled): -\n"),
    prints("PatternListJson", cam({"pattern", "list", "--json"}), 0,
           "[{\"id\":1,\"enabled\":false},{\"id\":2,\"enabled\":false},{\"id\":3,\"enabled\":"
           "false},{\"id\":4,\"enabled\":false}]\n"),
    answered(
        prints("PatrolListJson", cam({"patrol", "list", "--json"}), 0,
               "[{\"id\":2,\"name\":\"Yard \\\"2\\\"\",\"enabled\":true,\"steps\":[{\"preset\":5,"
               "\"speed\":40,\"dwell_seconds\":3},{\"preset\":7,\"speed\":1,\"dwell_seconds\":0}]}]"
               "\n"),
        kChannel + "/patrols", kYardPatrol),
    // Saved without --name, a patrol keeps the camera's name for it, or takes its number.
    took(answered(sends("PatrolSetKeepsItsName", cam({"patrol", "set", "2", "--step", "5"}), {},
                        "<patrolName>Yard \"2\"</patrolName>"),
                  kChannel + "/patrols", kYardPatrol),
         {"GET " + kChannel + "/capabilities", "GET " + kChannel + "/patrols",
          "PUT " + kChannel + "/patrols/2"}),
    answered(sends("PatrolSetNamesANewOneByItsNumber", cam({"patrol", "set", "3", "--step", "5"}),
                   {}, "<patrolName>3</patrolName>"),
             kChannel + "/patrols", kYardPatrol),
    prints("PatternList", cam({"pattern", "list"}), 0,
           "   1  empty\n   2  empty\n   3  empty\n   4  empty\n"),
    sends("PatternRecordStart", cam({"pattern", "record-start", "3"}),
          {"PUT " + kChannel + "/patterns/3/recordstart"}),
    prints("ParkShow", cam({"park", "show"}), 0, "off after 5 s: autoscan\n"),
    answered(prints("ParkShowJson", cam({"park", "show", "--json"}), 0,
                    "{\"enabled\":true,\"seconds\":60,\"kind\":\"patrol\",\"number\":2}\n"),
             kChannel + "/parkaction",
             "<ParkAction><enabled>true</enabled><Parktime>60</Parktime><Action><ActionType>patrol"
             "</ActionType><ActionNum>2</ActionNum></Action></ParkAction>"),
    took(
        sends("ParkSetOff",
              cam({"park", "set", "--seconds", "30", "--kind", "patrol", "--number", "2", "--off"}),
              {},
              "<enabled>false</enabled>\n\t<Parktime>30</Parktime>\n\t<Action>\n\t\t<Action"
              "Type>patrol</ActionType>\n\t\t<ActionNum>2</ActionNum>"),
        {"GET " + kChannel + "/capabilities", "PUT " + kChannel + "/parkaction"}),
    took(prints("ParkTimePastTheCamerasRange",
                cam({"park", "set", "--seconds", "721", "--kind", "preset", "--number", "1"}), 10,
                "", "ptzctl: park set: Please input a park time of 5 to 720 seconds.\n"),
         {"GET " + kChannel + "/capabilities"}),
    on(prints("FocusOnAPtzHeldByAnotherUser", cam({"focus", "near"}), 10, "",
              "ptzctl: focus near: camera refused: the PTZ is held by a user of higher priority "
              "(ptzOccupiedPriority)\n"),
       [](sim::Options& o) { o.firmware.occupied = true; }),
    sends("Stop", cam({"stop"}), {"PUT " + kCtrl}, kZeros),
    sends("LightOn", cam({"light", "on"}), {"PUT " + kAux}, "<status>on</status>\n\t<type>LIGHT"),
    sends("WiperOff", cam({"wiper", "off"}), {"PUT " + kAux},
          "<status>off</status>\n\t<type>WIPER"),
    sends("FanOn", cam({"fan", "on"}), {"PUT " + kAux}, "<status>on</status>\n\t<type>FAN"),
    sends("CenterHalvesRoundUp", cam({"center", "0.5", "0.2"}), {"PUT " + kChannel + "/position3D"},
          "<positionX>128</positionX>\n\t\t<positionY>204</positionY>\n\t</EndPoint>"),
    sends("ZoomBoxCornersInOrder", cam({"zoom-box", "0.25", "0.2", "0.5", "0.6"}),
          {"PUT " + kChannel + "/position3D"},
          "<positionX>64</positionX>\n\t\t<positionY>204</positionY>\n\t</StartPoint>\n\t"
          "<EndPoint>\n\t\t<positionX>128</positionX>\n\t\t<positionY>102</positionY>"),
    prints("MoveByWaits", cam({"move-by", "--azimuth", "170", "--wait"}), 0,
           "reached: elevation 89.5, azimuth 10.25, absoluteZoom 1.5\n"),
    answered(prints("GetExactIntoAFile", cam({"get", "/probe"}), 0, kProbe), "/probe", kProbe),
    answered(
        prints("GetEscapedOnATerminal", cam({"get", "/probe"}, true), 0, "<a>\\x1b[2J\\x0d</a>"),
        "/probe", kProbe),
    answered(prints("GetRefusedPrintsTheAnswerAndExits10", cam({"get", "/probe"}), 10,
                    sim::response_status("/probe", 4, "Invalid Operation", "notSupport"),
                    "ptzctl: get: camera refused: Invalid Operation (notSupport)\n"),
             "/probe", sim::response_status("/probe", 4, "Invalid Operation", "notSupport")),
    answered(prints("GetNotXml", cam({"get", "/probe"}), 2, "hello",
                    "ptzctl: get: the answer is not XML\n"),
             "/probe", "hello"),
    prints("RefusedConnectionSaysWhy", {{"--host", kDeadAddress, "--user", kUserPwd, "get", "/x"}},
           1, "",
           "ptzctl: get: Failed to connect to 127.0.0.99 port 80 after * ms: Couldn't connect to "
           "server\n"),
    // A bracketed IPv6 address, with its interface as a link-local one needs, reaches a camera
    // on IPv6, through the Digest exchange.
    on(sends("BracketedIpv6Host", {{"--host", "[::1%lo]", "--user", kUserPwd, "home"}},
             {"PUT " + kHome}),
       [](sim::Options& o) { o.address = "::1"; }),
    // A name in other letters reaches the resolver in its ASCII form, by the locale's letters.
    prints("HostNameInOtherLetters",
           with_env({{"--host", "kamera-\xc3\xa4.local", "--user", kUserPwd, "home"}},
                    {{"LC_ALL", "C.UTF-8"}}),
           1, "", "ptzctl: home: Could not resolve host: xn--kamera--cxa.local\n"),
    sends("CredentialsFromTheEnvironment", {{"--host", "127.0.0.1", "home"}, kUserPwd},
          {"PUT " + kHome}),
    prints("WrongPasswordInOneLine", wrong_password({}), 10, "", kRefusal + "\n"),
    prints("WrongPasswordVerbose", wrong_password({"-v"}), 10, "",
           "ptzctl: [reset_position] Fail to get node name in xml, response data: <?xml*"
           "</ResponseStatus>\n.\n" +
               kRefusal + "\n"),
    prints("WrongPasswordRedOnATerminal", wrong_password({}, true), 10,
           "\x1b[31m" + kRefusal + "\x1b[0m\r\n"),
    prints("NoColorOnATerminalWithNoColor", with_env(wrong_password({}, true), {{"NO_COLOR", "1"}}),
           10, kRefusal + "\r\n"),
    prints("WaitComparesAzimuthRoundTheCircle", cam({"goto", "--azimuth", "560.25", "--wait"}), 0,
           "reached: azimuth 200.25\n"),
    prints("WaitReachedOnATerminal", cam({"goto", "--azimuth", "202", "--wait"}, true), 0,
           "*\r\x1b[Kreached: azimuth 202\r\n"),
    // The camera zooms to 32 at most: 0.3 away is not there.
    prints("WaitSettledElsewhere", cam({"goto", "--zoom", "32.3", "--wait"}), 4, "",
           "ptzctl: settled elsewhere: absoluteZoom 32 (target 32.3)\n"),
    // A camera at rest 0.5 degrees short has not reached the target, which is 0.1 away at most.
    answered_get(
        prints("WaitReachesOnlyWithinTheTolerance", cam({"goto", "--azimuth", "20.25", "--wait"}),
               4, "", "ptzctl: settled elsewhere: azimuth 19.75 (target 20.25)\n"),
        kAbs,
        "<PTZAbsoluteEx><elevation>0</elevation><azimuth>19.75</azimuth><absoluteZoom>1"
        "</absoluteZoom></PTZAbsoluteEx>"),
    prints("WaitTimedOut", cam({"goto", "--azimuth", "20.25", "--wait", "--timeout", "0.2"}), 5, "",
           "ptzctl: timed out after 0.2 s: azimuth * (target 20.25)\n"),
    prints("HomeWaitReaches", cam({"home", "--wait"}), 0,
           "reached: elevation 89.5, azimuth 201, absoluteZoom 1.5\n"),
    sends("ZoomResetSendsTheZoomAlone", cam({"zoom-reset"}), {"PUT " + kAbs},
          "version=\"2.0\">\n\t<absoluteZoom>1.000000</absoluteZoom>\n</PTZAbsoluteEx>"),
    took(prints("Watch", cam({"watch", "--count", "2", "--interval", "0.05"}), 0,
                "        t elevation   azimuth absoluteZoom     focus  focalLen horizontalSpeed "
                "verticalSpeed\n" +
                    kSample + kSample),
         {"GET " + kAbs, "GET " + kAbs}),
    // Output lost is a failure, and a watch ends at the first round it cannot write.
    prints("HelpOnAFullDisk", with_out({{"--help"}}), 74, "", kFullDisk),
    // Closed, they are no file of libcurl's or the engine's, which would take the output.
    took(prints("WatchWithoutStdinAndStdout",
                with_out(cam({"watch", "--count", "3"}), Invocation::Out::Closed), 74, "",
                "ptzctl: cannot write the output: Bad file descriptor\n"),
         {"GET " + kAbs}),
    prints("WatchJson", cam({"watch", "--count", "1", "--json"}), 0,
           "{\"t\":*,\"elevation\":89.5,\"azimuth\":200.25,\"absoluteZoom\":1.5," + kJsonTail),
    on(prints("ManyCamerasEachLineNamesItsCamera", fleet({"127.0.0.3", "127.0.0.1"}, {"position"}),
              0,
              "127.0.0.3: elevation        0\n127.0.0.3: azimuth          0\n*"
              "127.0.0.1: elevation        89.5\n127.0.0.1: azimuth          200.25\n*"
              "127.0.0.1: verticalSpeed    1.5\n"),
       three_cameras),
    on(prints("ManyCamerasJsonNamesItsCamera",
              fleet({"127.0.0.1", "127.0.0.2"}, {"position", "--json"}), 0,
              "{\"camera\":\"127.0.0.1\",\"elevation\":89.5,*}\n"
              "{\"camera\":\"127.0.0.2\",\"elevation\":0,*}\n"),
       three_cameras),
    // Two fail, each its own way: the status is the first one's in the order given, not the
    // last's. The fleet holds its own addresses alone: 127.0.0.99 is where no camera is.
    on(with_file(
           prints("ManyCamerasExitWithTheFirstFailure",
                  fleet({"127.0.0.2"}, {"--camera", "lab", "--host", kDeadAddress, "home"}), 10, "",
                  "ptzctl: lab: home: camera refused: Invalid Operation (notSupport)\n"
                  "ptzctl: 127.0.0.99: home: Failed to connect to 127.0.0.99 port 80 after * ms: "
                  "Couldn't connect to server\n"),
           "host = \"127.0.0.3\"\nchannel = 9\n"),
       three_cameras),
    on(prints("ManyCamerasWatchedInTheSameRound",
              fleet({"127.0.0.2", "127.0.0.1"}, {"watch", "--count", "2", "--json"}), 0,
              "{\"camera\":\"127.0.0.2\",\"t\":*}\n{\"camera\":\"127.0.0.1\",\"t\":*}\n"
              "{\"camera\":\"127.0.0.2\",\"t\":*}\n{\"camera\":\"127.0.0.1\",\"t\":*}\n"),
       three_cameras),
    // The table's columns start after the longest camera's name, the header's too.
    on(with_file(
           prints("ManyCamerasWatchedInColumns",
                  fleet({"127.0.0.2", "127.0.0.1"}, {"--camera", "lab", "watch", "--count", "1"}),
                  0,
                  "                   t elevation*\n127.0.0.2:     0.*\n"
                  "127.0.0.1:     0.*\nlab:           0.*\n"),
           "host = \"127.0.0.3\"\n"),
       three_cameras),
    // A connection a camera: ptzctl raises a low limit of open files as far as it needs, and says
    // so when the system lets it go no further.
    on(prints("ManyCamerasAboveTheOpenFilesLimit",
              open_files(fleet({"127.0.0.1", "127.0.0.2", "127.0.0.3"}, {"position", "--json"}), 8,
                         false),
              0,
              "{\"camera\":\"127.0.0.1\",*}\n{\"camera\":\"127.0.0.2\",*}\n{\"camera\":\"127.0.0."
              "3\",*}\n"),
       three_cameras),
    on(prints("ManyCamerasAboveTheHardOpenFilesLimit",
              open_files(fleet({"127.0.0.1", "127.0.0.2", "127.0.0.3"}, {"position"}), 8, true), 1,
              "127.0.0.1: elevation*",
              "ptzctl: warning: 3 cameras want about 35 open files, and this process may open 8 "
              "(ulimit -Hn): the cameras past it will fail to connect\n"
              "ptzctl: 127.0.0.2: position: *\nptzctl: 127.0.0.3: position: *\n"),
       three_cameras),
    prints("EngineBeyondTheHardOpenFilesLimit",
           open_files({{"--host", "127.0.0.1", "--user", kUserPwd, "position"}}, 4, true), 71, "",
           "ptzctl: out of memory, or of open files (ulimit -n)\n"),
    on(took(prints("ManyCamerasInterruptedAllStop",
                   {fleet({"127.0.0.1", "127.0.0.2"}, {"move", "5", "0", "0", "--for", "10"}).args,
                    nullptr, false, 2},
                   128 + SIGINT, ""),
            {"PUT " + kMomentary, "PUT " + kMomentary, "PUT " + kCtrl, "PUT " + kCtrl}),
       three_cameras),
    on(with_file(prints("ManyCamerasFromFilesAndHosts",
                        fleet({"127.0.0.2"},
                              {"--camera", "lab", "--host", "127.0.0.3", "caps", "--json"}),
                        0,
                        "{\"camera\":\"127.0.0.2\",*}\n{\"camera\":\"lab\",*}\n"
                        "{\"camera\":\"127.0.0.3\",*}\n"),
                 "host = \"127.0.0.1\"\n"),
       three_cameras),
    refused("ManyCamerasNoneContactedBeforeEveryFileIsRead",
            fleet({"127.0.0.1"}, {"--camera", "nope", "home"}),
            "*/ptzctl/nope.toml was not readable (missing?)"),
    prints("WatchEndsOnCtrlC", {cam({"watch", "--json"}).args, nullptr, false, 1}, 0,
           "{\"t\":*}\n"),
    on(took(prints("HttpsTrustingTheCaFile",
                   {{"--host", "localhost", "--user", kUserPwd, "--https", "--ca-file",
                     cert("test-ca.pem"), "stop"}},
                   0, ""),
            {"PUT " + kCtrl}),
       [](sim::Options& o) { serve_https(o, "localhost"); }),
    on(prints("InsecureWarnsEachTime",
              {{"--host", "localhost", "--user", kUserPwd, "--https", "--insecure", "stop"}}, 0, "",
              "ptzctl: warning: --insecure: the camera's certificate is not checked*\n"),
       [](sim::Options& o) { serve_https(o, "self-signed"); }),
    on(prints("InsecureNamesEachCamera",
              fleet({"127.0.0.2", "127.0.0.1"}, {"--https", "--insecure", "stop"}), 0, "",
              "ptzctl: 127.0.0.2: warning: --insecure: *\n"
              "ptzctl: 127.0.0.1: warning: --insecure: *\n"),
       [](sim::Options& o) {
           serve_https(o, "self-signed");
           three_cameras(o);
       }),
    on(sends("PortOfItsOwn", cam({"--port", "8080", "stop"}), {"PUT " + kCtrl}),
       [](sim::Options& o) { o.port = 8080; }),
    answered(prints("PresetListMarksTheSpecial", cam({"preset", "list"}), 0,
                    "   1  G\xc3\xa4te\\xff\\xed\\xa0\\x80\\xe2\\x82\n"
                    "  33  Dock \"2\"\\x09\\x1b\\x0a (disabled) (special)\n"),
             kPresets, kPresetList),
    answered(prints("PresetListJson", cam({"preset", "list", "--json"}), 0,
                    "[{\"id\":1,\"name\":\"G\xc3\xa4te\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\","
                    "\"enabled\":true,\"special\":false},{\"id\":33,\"name\":\"Dock \\\"2\\\""
                    "\\u0009\\u001b\\u000a\",\"enabled\":false,\"special\":true}]\n"),
             kPresets, kPresetList),
    answered(prints("PresetListWithoutCapabilities", cam({"preset", "list", "--json"}), 0,
                    "[{\"id\":1,\"name\":\"Gate\",\"enabled\":true},{\"id\":33,\"name\":"
                    "\"Auto-flip\",\"enabled\":true}]\n"),
             kChannel + "/capabilities", "<html/>"),
    sends("PresetSetNamedByItsNumber", cam({"preset", "set", "4"}),
          {"GET " + kChannel + "/capabilities", "PUT " + kPresets + "/4"},
          "<presetName>Preset 4</presetName>"),
    took(refused("PresetSetSpecialNumber", cam({"preset", "set", "105", "Dock"}),
                 "preset set: 105 is a special preset of the camera, which runs one of its "
                 "functions; take another number"),
         {"GET " + kChannel + "/capabilities"}),
    took(refused("PresetSetNameTooLong", cam({"preset", "set", "5", std::string(33, 'n')}),
                 "preset set: the name is 33 bytes long; the camera takes at most 32"),
         {"GET " + kChannel + "/capabilities"}),
    prints("PresetGotoWaitReaches", cam({"preset", "goto", "1", "--wait"}), 0,
           "reached: elevation 10, azimuth 20, absoluteZoom 2\n"),
    sends("PresetRemove", cam({"preset", "remove", "1"}), {"DELETE " + kPresets + "/1"}),
    prints("Capabilities", cam({"caps", "--json"}), 0,
           "{\"azimuth\":[0,360],\"elevation\":[-90,90],\"zoom\":[1,32],\"pan\":[-100,100],"
           "\"tilt\":[-100,100],\"zoom_speed\":[-100,100],\"max_presets\":300,"
           "\"max_preset_name_length\":32,\"special_presets\":[33,34,35,36,37,38,39,40,41,42,43,"
           "44,45,46,90,92,93,94,95,96,97,98,99,100,101,102,103,104,105],\"position3d\":true,"
           "\"aux\":[\"LIGHT\",\"WIPER\",\"FAN\"],\"max_patrols\":8,\"max_patterns\":4,"
           "\"park_seconds\":[5,720],\"park_actions\":[\"autoscan\",\"framescan\",\"randomscan\","
           "\"patrol\",\"pattern\",\"preset\",\"panoramascan\",\"tiltscan\"]}\n"),
    on(prints("SparseCapabilities", cam({"caps"}), 0,
              "azimuth                 0 to 360\nelevation               -90 to 90\n"
              "zoom                    -\npan                     -\ntilt                    -\n"
              "zoom_speed              -\nmax_presets             -\n"
              "max_preset_name_length  -\nspecial_presets         -\nposition3d              -\n"
              "aux                     -\nmax_patrols             -\nmax_patterns            -\n"
              "park_seconds            -\npark_actions            -\n"),
       [](sim::Options& o) { o.firmware.sparse_capabilities = true; }),
    prints("HttpsFromTheEnvironmentInWords", with_env(cam({"home"}), {{"PTZCTL_HTTPS", "yes"}}), 1,
           "",
           "ptzctl: home: Failed to connect to 127.0.0.1 port 443 after * ms: Couldn't connect "
           "to server\n"),
    refused("HttpsFromTheEnvironmentNotAWord", with_env(cam({"home"}), {{"PTZCTL_HTTPS", "maybe"}}),
            "PTZCTL_HTTPS: takes true or false: maybe"),
    sends("FlagBeatsTheEnvironment", with_env(cam({"home"}), {{"PTZCTL_HOST", "127.0.0.99"}}),
          {"PUT " + kHome}),
    on(with_file(sends("CameraFileBeatsTheEnvironment",
                       with_env({{"--camera", "lab", "home"}}, {{"PTZCTL_CHANNEL", "1"}}),
                       {"PUT /ISAPI/PTZCtrl/channels/2/homeposition/goto"}),
                 "# the lab's\nhost = \"127.0.0.1\"  # camera\nuser = \"admin:password\"\n"
                 "channel = 2\nhttps = false\ninsecure = false\n"),
       [](sim::Options& o) { o.channels = 2; }),
    // Written as some Windows editors write: a byte-order mark first, CRLF at the lines' ends.
    with_file(
        sends("CameraFileByPathEndingInToml", {{"--camera", "lab.toml", "home"}}, {"PUT " + kHome}),
        "\xef\xbb\xbfhost = \"127.0.0.1\"\r\nuser = \"admin:password\"\r\n"),
    with_file(
        sends("CommandLineBeatsTheCameraFile", cam({"--camera", "lab", "home"}), {"PUT " + kHome}),
        "host = \"127.0.0.99\"\nuser = \"admin:wrong\"\n"),
    // TOML's escapes in a string stand for their characters, another backslash for itself; a
    // string in single quotes stands as it is.
    on(with_file(
           sends("CameraFileEscapesInAString", {{"--camera", "lab", "home"}}, {"PUT " + kHome}),
           "host = '127.0.0.1'\nuser = \"admin:p\\u00e4\\\"s\\\\w\\U0001F600\\q\"\n"),
       [](sim::Options& o) { o.password = "p\u00e4\"s\\w\U0001F600\\q"; }),
    with_file(refused("CameraFileTextAfterAString", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml:1: host: takes a string in quotes"),
              "host = \"127.0.0.1\" x\n"),
    with_file(refused("CameraFileKeyGivenTwice", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml:2: host given twice"),
              "host = \"127.0.0.1\"\nhost = \"127.0.0.2\"\n"),
    // The key is echoed, its control bytes shown rather than sent to the terminal.
    with_file(refused("CameraFileUnknownKey", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml:1: unknown key ho\\x1b]0;x\\x07ts"),
              "ho\x1b]0;x\ats = \"127.0.0.1\"\n"),
    with_file(refused("CameraFileBadValue", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml:2: port: takes 1 to 65535: 70000"),
              "\nport = 70000\n"),
    with_file(refused("CameraFileStringForANumber", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml:1: port: takes a whole number"),
              "port = \"80\"\n"),
    with_file(refused("CameraFileNotToml", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml:1: host: takes a string in quotes"),
              "host = 2130706433\n"),
    with_file(refused("CameraFilePasswordReadableByItsGroup", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml: holds a password and others than its owner may read "
                      "it; chmod 600 it, or keep the password in PTZCTL_USER"),
              "host = \"127.0.0.1\"\nuser = \"admin:password\"\n", 0640),
    // A comment a byte past 64 KiB: a path to a device or a log is not read for ever.
    with_file(refused("CameraFileTooLarge", {{"--camera", "lab", "home"}},
                      "*/ptzctl/lab.toml: larger than 64 KiB: not a camera file"),
              std::string(65537, '#')),
    refused("UserWithALineFeed",
            {{"--host", "127.0.0.1", "--user", "admin\nX-Forged: 1:pw", "home"}},
            "--user: Please input a user name without control characters."),
    refused("CameraFileMissing", {{"--camera", "nope", "home"}},
            "*/ptzctl/nope.toml was not readable (missing?)"),
    refused("CameraFileADirectory", {{"--camera", "/", "home"}},
            "/ was not readable (a directory?)"),
    prints("Help", {{"--help"}}, 0,
           "*Usage: ptzctl [OPTIONS] SUBCOMMAND*--host*--camera*watch*goto*preset*PTZCTL_USER*"
           "    4  --wait: the camera came to rest away*   10  the camera did not answer OK*"),
    prints("CommandHelpSaysTheUnits", {{"move", "--help"}}, 0,
           "start continuous motion\nUsage: ptzctl move [OPTIONS] PAN TILT ZOOM*-100 (left) to "
           "100 (right)*--for*until `ptzctl stop`*"),
    // The manual page is made of it: every command, nested ones too, before the exit statuses.
    prints("HelpOfEveryCommand", {{"--help-all"}}, 0,
           "*\ngoto\n*--azimuth DEGREES*\nfocus near\n  focus nearer\n*--speed INT=50 * 1 to "
           "100*\npark set\n*--seconds INT REQUIRED * 5 to 720*Exit status:*"),
    prints("Version", {{"--version"}}, 0,
           std::string("ptzctl ") + ZELKO_PTZ_VERSION + ", library " + ZELKO_PTZ_VERSION + "\n"),
    refused("NoHost", {{"--user", "a:b", "home"}}, "--host is required"),
    refused("UnknownCommand", cam({"postion"}), "unknown command postion; see ptzctl --help"),
    refused("UnknownOption", cam({"park", "set", "--fast", "1"}),
            "unknown option --fast; see ptzctl park set --help"),
    refused("ArgumentTooMany", cam({"preset", "goto", "1", "2"}),
            "unexpected argument 2; see ptzctl preset goto --help"),
    refused("CommandMissing", cam({"focus"}),
            "focus needs a command: near, far, stop or auto; see ptzctl focus --help"),
    refused("NoCommand", cam({}), "a command is needed; see ptzctl --help"),
    refused("ValueMissing", cam({"move-by", "--azimuth"}),
            "--azimuth needs a value; see ptzctl move-by --help"),
    refused("ConnectionOptionTwice", cam({"home", "--user", "c:d"}),
            "--user is given more than once; see ptzctl --help"),
    refused("MoveOutsideItsRange", cam({"move", "1000", "-1000", "0"}),
            "PAN: takes -100 to 100: 1000"),
    refused("LightTakesAWordNotANumber", cam({"light", "1"}), "STATE: takes on or off: 1"),
    refused("TimeoutWithoutWait", cam({"home", "--timeout", "5"}), "--timeout requires --wait"),
    refused("WatchCountZero", cam({"watch", "--count", "0"}),
            "--count: needs a positive whole number: 0"),
    refused("MoveForZero", cam({"move", "1", "2", "3", "--for", "0"}),
            "--for: needs seconds, more than 0 and at most 3600: 0"),
    refused("PastAFloat", cam({"move-by", "--azimuth", "1e39"}),
            "--azimuth: out of a float's range: 1e39"),
    refused("PastAWholeNumber", cam({"preset", "goto", "2147483648"}),
            "N: out of a whole number's range: 2147483648"),
    refused("CenterOffThePicture", cam({"center", "1.5", "0"}),
            "X: takes 0 to 1, a fraction of the picture: 1.5"),
    refused("HostWithPort", {{"--host", "127.0.0.1:8080", "--user", "a:b", "home"}},
            "--host: takes a host name, an IPv4 address or a bracketed IPv6 address, without "
            "scheme, port, path, query, user or spaces: 127.0.0.1:8080"),
};

class PtzctlTest : public SimTest, public ::testing::WithParamInterface<Case> {
protected:
    PtzctlTest() : SimTest(options(), true) {}
    static sim::Options options() {
        sim::Options o;
        if (GetParam().camera != nullptr) {
            GetParam().camera(o);
        }
        return o;
    }
    void TearDown() override { EXPECT_EQ(std::system(("rm -rf " + kConfigHome).c_str()), 0); }
};

TEST_P(PtzctlTest, ExitsAndPrintsAsDocumented) {
    const Case& c = GetParam();
    sim::CameraState state = camera_sim->state();
    state.position = {89.5f, 200.25f, 1.5f, 29000, 48, 0.5f, 1.5f};
    state.home = {89.5f, 201.0f, 1.5f, 29000, 48};
    state.presets[1] = {"Gate", {10.0f, 20.0f, 2.0f}};
    state.presets[33] = {"Auto-flip", {}};
    camera_sim->set_state(state);
    if (!c.script_path.empty()) {
        camera_sim->script(c.script_path, answer(c.script_body, c.script_method));
    }
    if (!c.file.empty()) {
        const std::string path = kConfigHome + "/ptzctl/lab.toml";
        ASSERT_EQ(std::system(("mkdir -p " + kConfigHome + "/ptzctl").c_str()), 0);
        std::ofstream(path) << c.file;
        ASSERT_EQ(chmod(path.c_str(), c.file_mode), 0);
    }
    const Outcome run = ptzctl(c.in, camera_sim.get());
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(matches(c.out.c_str(), run.out.c_str())) << ::testing::PrintToString(run.out);
    EXPECT_TRUE(matches(c.err.c_str(), run.err.c_str())) << ::testing::PrintToString(run.err);
    std::vector<std::string> bodies;
    const auto requests = sent(&bodies);
    if (c.status == 64 && c.sent.empty()) {
        EXPECT_TRUE(camera_sim->requests().empty());
    }
    if (!c.sent.empty()) {
        EXPECT_EQ(requests, c.sent);
        // One kept session a camera: only its first request is challenged.
        const auto cameras = std::max<std::size_t>(
            1, static_cast<std::size_t>(
                   std::count(c.in.args.begin(), c.in.args.end(), std::string("--host"))));
        EXPECT_EQ(camera_sim->requests().size(), requests.size() + cameras);
        EXPECT_EQ(camera_sim->connections(), cameras);
    }
    if (!c.body_has.empty()) {
        ASSERT_FALSE(bodies.empty());
        EXPECT_NE(bodies.back().find(c.body_has), std::string::npos) << bodies.back();
    }
}

INSTANTIATE_TEST_SUITE_P(Invocations, PtzctlTest, ::testing::ValuesIn(kCases), ByName());

}  // namespace
