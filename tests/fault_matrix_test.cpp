// Whatever a camera does, each operation answers with its documented code and error line, within
// the time-outs, and leaves the caller's record and the camera's state as they were.

#include <array>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

enum class Op { Info, Query, Command };
const Op kOps[] = {Op::Info, Op::Query, Op::Command};

const char* op_name(Op op) {
    return op == Op::Info ? "get_info" : op == Op::Query ? "get_ptz_absoluteEx" : "set_ptz_ctrl";
}

std::ostream& operator<<(std::ostream& os, Op op) {
    return os << op_name(op);
}

std::string op_path(Op op) {
    return op == Op::Info    ? "/ISAPI/System/deviceInfo"
           : op == Op::Query ? kChannel + "/absoluteEx"
                             : kChannel + "/continuous";
}

// What a well-behaved camera would answer for the operation, wrapped around `extra` children.
std::string good_answer(Op op, const std::string& extra = "") {
    if (op == Op::Query) {
        return "<PTZAbsoluteEx><elevation>1.5</elevation><azimuth>2</azimuth><absoluteZoom>3</"
               "absoluteZoom><focus>4</focus><focalLen>5</focalLen><horizontalSpeed>6</"
               "horizontalSpeed><verticalSpeed>7</verticalSpeed>" +
               extra + "</PTZAbsoluteEx>";
    }
    return "<ResponseStatus><statusString>OK</statusString>" + extra + "</ResponseStatus>";
}

// -1: the position query throws std::invalid_argument.
const int kThrows = -1;

struct Fault {
    const char* name;
    std::function<sim::Script(Op)> script;  // null: the camera's own answer
    std::array<int, 3> codes;               // get_info, position query, command
    std::string shown;  // the answer as an error line shows it; "=" for the script's body
    const char* address = "127.0.0.1";
    const char* userpwd = kUserPwd;
};

std::ostream& operator<<(std::ostream& os, const Fault& f) {
    return os << f.name;
}

sim::Script body(std::string text, unsigned status = 200) {
    sim::Script s;
    s.body = std::move(text);
    s.status = status;
    return s;
}

std::function<sim::Script(Op)> fixed(std::string text, unsigned status = 200) {
    return [text, status](Op) { return body(text, status); };
}

std::function<sim::Script(Op)> transfer(sim::Script::Transfer t) {
    return [t](Op op) {
        sim::Script s = body(good_answer(op));
        s.transfer = t;
        return s;
    };
}

std::string deep(int depth, bool closed) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    return "<ResponseStatus>" + open + (closed ? close + "</ResponseStatus>" : "");
}

// An answer of exactly HttpClient::kMaxResponseBytes, plus `extra` bytes.
std::function<sim::Script(Op)> padded(std::size_t extra) {
    return [extra](Op op) {
        const std::size_t frame = good_answer(op, "<pad></pad>").size();
        return body(
            good_answer(op, "<pad>" + std::string((16u << 20) - frame + extra, 'p') + "</pad>"));
    };
}

// Peak resident memory since the last reset, in KiB.
long peak_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

const std::string kDoctype =
    "<!DOCTYPE ResponseStatus [<!ENTITY ok \"OK\"><!ENTITY lol \"&ok;&ok;&ok;&ok;\">"
    "<!ENTITY file SYSTEM \"file:///etc/hostname\">]>"
    "<ResponseStatus><statusString>&ok;&lol;&file;</statusString></ResponseStatus>";
const std::string kLongText = "<ResponseStatus><statusString>" + std::string(1 << 20, 'A') +
                              "</statusString></ResponseStatus>";
const std::string kBadUtf8 =
    "<ResponseStatus><statusString>\xff\xfe\xc3</statusString></ResponseStatus>";

const Fault kFaults[] = {
    {"Refused", nullptr, {1, 1, 1}, "", kDeadAddress},
    {"DripsPastTheTimeout",
     [](Op op) {
         sim::Script s = body(good_answer(op));
         s.mode = sim::Script::Mode::Drip;
         s.delay = std::chrono::milliseconds(400);
         return s;
     },
     {1, 1, 1},
     ""},
    {"ClosedMidBody",
     [](Op op) {
         sim::Script s = body(good_answer(op));
         s.mode = sim::Script::Mode::CloseMidBody;
         return s;
     },
     {1, 1, 1},
     ""},
    {"EmptyBody", fixed(""), {2, 2, 2}, "="},
    {"NotXml", fixed("Service Unavailable"), {2, 2, 2}, "="},
    {"ControlBytesShownEscaped",
     fixed(std::string("%s%n\x1b]0;x\x07\x1b[2J\x1b[8m\ta\rb\r\nc\x08\x7f\0\xc3\xa9\n", 31)),
     {2, 2, 2},
     "%s%n\\x1b]0;x\\x07\\x1b[2J\\x1b[8m\ta\\x0db\r\nc\\x08\\x7f\\x00\xc3\xa9\n"},
    {"NulDoesNotHideTheRest",
     fixed(std::string("<ResponseStatus>\0</ResponseStatus>", 34)),
     {2, 2, 2},
     "<ResponseStatus>\\x00</ResponseStatus>"},
    {"Gzip",
     [](Op) {
         sim::Script s =
             body(std::string("\x1f\x8b\x08\0\0\0\0\0\x02\x03\xb3\x09J-.\xc8\xcf+N\x0d.I,)"
                              "-\xd6\xb7\x03\0\xa5\x43\x0e\xf1\x11\0\0\0",
                              37));
         s.headers = {{"Content-Encoding", "gzip"}};
         return s;
     },
     {2, 2, 2},
     "\\x1f\x8b\\x08\\x00\\x00\\x00\\x00\\x00\\x02\\x03\xb3\tJ-.\xc8\xcf+N\\x0d.I,)-\xd6\xb7"
     "\\x03\\x00\xa5"
     "C\\x0e\xf1\\x11\\x00\\x00\\x00"},
    {"NulAfterTheDocument",
     fixed(std::string("<ResponseStatus><statusString>OK</statusString></ResponseStatus>\0<", 65)),
     {0, kThrows, 0},
     ""},
    {"InvalidUtf8", fixed(kBadUtf8), {0, kThrows, 10}, "="},
    {"VeryLongTextShownCut",
     fixed(kLongText),
     {0, kThrows, 10},
     kLongText.substr(0, 4096) + "[cut: 1048638 bytes in all]"},
    {"AnswerAtTheLimit", padded(0), {0, 0, 0}, ""},
    {"AnswerPastTheLimit", padded(1), {1, 1, 1}, ""},
    {"EndlessAnswer",
     [](Op) {
         sim::Script s = body("<ResponseStatus>");
         s.mode = sim::Script::Mode::Endless;
         return s;
     },
     {1, 1, 1},
     ""},
    {"DeeplyNested",
     fixed(deep(100000, true)),
     {0, kThrows, 10},
     deep(2000, false).substr(0, 4096) + "[cut: 700033 bytes in all]"},
    {"DoctypeEntitiesNotExpanded", fixed(kDoctype), {0, kThrows, 10}, "="},
    {"RedirectNotFollowed",
     [](Op op) {
         sim::Script s = body(good_answer(op), 302);
         s.headers = {{"Location", "/elsewhere"}};
         return s;
     },
     {0, 0, 0},
     ""},
    {"Unauthorized401WithXml",
     [](Op) {
         sim::Script s = body(status_answer("Unauthorized"), 401);
         s.before_auth = true;
         return s;
     },
     {0, kThrows, 10},
     "="},
    {"Unauthorized401Empty",
     [](Op) {
         sim::Script s = body("", 401);
         s.before_auth = true;
         return s;
     },
     {2, 2, 2},
     "="},
    {"BasicOnly",
     [](Op) {
         sim::Script s = body(status_answer("Unauthorized"), 401);
         s.mode = sim::Script::Mode::BasicOnly;
         return s;
     },
     {0, kThrows, 10},
     "="},
    {"WrongCredentials", nullptr, {0, kThrows, 10}, "camera", "127.0.0.1", "admin:wrong"},
    {"Chunked", transfer(sim::Script::Transfer::Chunked), {0, 0, 0}, ""},
    {"Http10WithoutLength", transfer(sim::Script::Transfer::Http10), {0, 0, 0}, ""},
};

std::string expected_line(Op op, int code, const std::string& shown) {
    const std::string head = std::string("\x1b[31m[Error] [") + op_name(op) + "] ";
    const std::string tail = "\n\x1b[0m\n";
    switch (code) {
        case 1:
            return head +
                   (op == Op::Info ? "Fail to complete http get."
                                   : "Fail to complete http request.") +
                   tail;
        case 2:
            return head + "Fail to parse reponse data, response data: " + shown + "." + tail;
        case 10:
            return head + "Fail to get node name in xml, response data: " + shown + "." + tail;
        default:
            return "";
    }
}

const Ptz::PtzAbsoluteEx kSentinel{-1.0f, -2.0f, -3.0f, -4, -5, -6.0f, -7.0f};

class FaultTest : public SimTest, public ::testing::WithParamInterface<std::tuple<Fault, Op>> {};

TEST_P(FaultTest, AnswersWithTheDocumentedCodeAndLine) {
    const Fault& fault = std::get<0>(GetParam());
    const Op op = std::get<1>(GetParam());
    const std::string path = op_path(op);
    std::string shown = fault.shown;
    if (fault.script) {
        const sim::Script script = fault.script(op);
        camera_sim.script(path, script);
        if (shown == "=") {
            shown = script.body;
        }
    }
    if (shown == "camera") {  // the camera's own refusal
        shown = sim::response_status(path, 4, "Invalid Operation", "badAuthorization");
    }
    const sim::CameraState before = camera_sim.state();
    Ptz::ZelkoPtzCameraIsapi camera(fault.address, fault.userpwd);
    Ptz::PtzAbsoluteEx record = kSentinel;

    StderrCapture err;
    reset_peak();
    const long peak_before = peak_kib();
    const auto start = std::chrono::steady_clock::now();
    int code = kThrows;
    switch (op) {
        case Op::Info:
            code = camera.get_info(path);
            break;
        case Op::Query:
            try {
                code = camera.get_ptz_absoluteEx(record);
            } catch (const std::invalid_argument&) {
                code = kThrows;
            }
            break;
        case Op::Command:
            code = camera.set_ptz_ctrl({7, 8, 9});
            break;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::string line = err.text();
    const int expected = fault.codes[static_cast<int>(op)];

    EXPECT_EQ(code, expected);
    EXPECT_EQ(line, expected_line(op, expected, shown));
    EXPECT_LT(elapsed, std::chrono::seconds(8)) << "past the time-outs";
    EXPECT_LT(peak_kib() - peak_before, 100 * 1024) << "peak resident memory";
    if (op == Op::Query && expected != 0) {
        EXPECT_EQ(std::memcmp(&record, &kSentinel, sizeof record), 0) << "record changed";
    }
    if (op == Op::Query && expected == 0) {
        EXPECT_EQ(record.elevation, 1.5f);
        EXPECT_EQ(record.verticalSpeed, 7.0f);
    }
    EXPECT_EQ(camera_sim.state().commands_accepted, before.commands_accepted);
    for (const auto& r : camera_sim.requests()) {
        EXPECT_EQ(r.target, path) << "a redirect was followed";
        EXPECT_EQ(r.header("Authorization").rfind("Basic", 0), std::string::npos)
            << "credentials sent in clear";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, FaultTest, ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::ValuesIn(kOps)),
    [](const ::testing::TestParamInfo<std::tuple<Fault, Op>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + op_name(std::get<1>(info.param));
    });

TEST_F(SimTest, SilentCameraEndsTheQueryAfterFiveSeconds) {
    sim::Script silent;
    silent.mode = sim::Script::Mode::NeverAnswer;
    camera_sim.script(kChannel + "/absoluteEx", silent);
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    Ptz::PtzAbsoluteEx record = kSentinel;
    StderrCapture err;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(camera.get_ptz_absoluteEx(record), 1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(err.text(),
              "\x1b[31m[Error] [get_ptz_absoluteEx] Fail to complete http request.\n\x1b[0m\n");
    EXPECT_GE(elapsed, std::chrono::milliseconds(4500));
    EXPECT_LT(elapsed, std::chrono::seconds(8));
    EXPECT_EQ(std::memcmp(&record, &kSentinel, sizeof record), 0);
}

}  // namespace
