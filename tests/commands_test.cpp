// The commands as tables of answers, without a server: what the camera object makes of each
// answer of a position, real cameras' documents among them, as the query of seven values,
// reset_zoom and get_position read it; the resources get_position asks, on older firmware and on
// a locked account; waiting for the camera to come to rest; the hold after refused credentials
// and the kept session's retry, with the clock passed in.

#include <gtest/gtest.h>

#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "ptz/camera_access.h"
#include "sim_fixture.h"
#include "utils/http_session.h"

namespace {

using namespace testing_support;
using P = Ptz::PtzPosition;

// Answers each request as `answer` says, on a clock that each request moves on by 10 ms and that
// a wait moves to its end.
struct Scripted final : Ptz::Transport {
    explicit Scripted(Camera& camera, std::function<Ptz::Answer(const Ptz::Request&)> answer)
        : answer(std::move(answer)) {
        Ptz::CameraAccess::link(camera).transport = this;
    }
    bool transfer(const Ptz::CameraLink&, const Ptz::Request& request, Ptz::Answer& got,
                  Utils::TransferInfo& info) override {
        const char* const methods[] = {"GET", "PUT", "POST", "DELETE"};
        sent.push_back(std::string(methods[static_cast<int>(request.method)]) + " " +
                       request.url.substr(request.url.find("/ISAPI")));
        clock += std::chrono::milliseconds(10);
        got = answer(request);
        info.status = got.status;
        return got.status != 0;
    }
    Ptz::TimePoint now() override { return clock; }
    void sleep_until(Ptz::TimePoint when) override { clock = std::max(clock, when); }

    std::function<Ptz::Answer(const Ptz::Request&)> answer;
    std::vector<std::string> sent;
    Ptz::TimePoint clock{};
};

const Ptz::Answer kOk{200, status_answer("OK")};
const std::string kStatus = "GET " + kChannel + "/status";

const Ptz::PtzAbsoluteEx kSentinel{-1.0f, -2.0f, -3.0f, -4, -5, -6.0f, -7.0f};
const P kKept{-1.0f, -2.0f, -3.0f, -4, -5, -6.0f, -7.0f, P::Focus};

std::string position_answer(const char* elevation, const char* focus = "29000",
                            const char* focal_len = "48", const char* vertical = "1.5",
                            const char* root = "PTZAbsoluteEx") {
    std::string doc = std::string("<?xml version=\"1.0\"?><") + root + ">";
    if (elevation != nullptr) {
        doc += std::string("<elevation>") + elevation + "</elevation>";
    }
    doc += "<azimuth>200.25</azimuth><absoluteZoom>4.0</absoluteZoom><focus>" + std::string(focus) +
           "</focus><focalLen>" + focal_len + "</focalLen><horizontalSpeed>0.5</horizontalSpeed>";
    doc += std::string("<verticalSpeed>") + vertical + "</verticalSpeed>";
    return doc + "</" + root + ">";
}

// Older firmware's ".../status": tenths of a degree and of the zoom ratio.
const std::string kStatusAnswer =
    "<PTZStatus version=\"2.0\" xmlns=\"http://www.isapi.org/ver20/XMLSchema\">\n"
    "  <AbsoluteHigh>\n    <elevation>121</elevation>\n    <azimuth>1117</azimuth>\n"
    "    <absoluteZoom>209</absoluteZoom>\n  </AbsoluteHigh>\n</PTZStatus>\n";

// What a query ends in: a result code, or an exception and its what().
struct Outcome {
    int code;
    std::string thrown;  // "invalid_argument stof" and the like; "" for none
};

struct QueryCase {
    const char* name;
    std::string answer;
    Outcome outcome;
    Ptz::PtzAbsoluteEx read;  // the record afterwards
    int position_code;        // of get_position
    P position;               // what it read, or kKept
};

// An answer that converts into `read`, which get_position reads as `position`, or refuses.
QueryCase reads(const char* name, std::string answer, Ptz::PtzAbsoluteEx read, P position = {}) {
    const bool whole = position.present == 0;
    const int code = position.present == P::Focus ? 10 : 0;  // kKept: nothing read
    return {
        name, std::move(answer), {0, ""}, read, code, whole ? Ptz::to_position(read) : position};
}

// An answer that ends the query, and reset_zoom, in `outcome` with nothing sent.
QueryCase fails(const char* name, std::string answer, Outcome outcome, int position_code = 10,
                P position = kKept) {
    return {name, std::move(answer), std::move(outcome), kSentinel, position_code, position};
}

const QueryCase kCases[] = {
    reads("AllSeven", position_answer("10.5"), {10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}),
    reads("IntegersInBaseTen", position_answer("10.5", "0x1A", "010"),
          {10.5f, 200.25f, 4.0f, 0, 10, 0.5f, 1.5f}, kKept),
    reads("TrailingUnit", position_answer("12.5deg"), {12.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f},
          kKept),
    reads("SpaceAroundANegativeElevation", position_answer(" \t-3.25\n"),
          {-3.25f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}),
    reads("FocusNotWhole", position_answer("10.5", "12.7"),
          {10.5f, 200.25f, 4.0f, 12, 48, 0.5f, 1.5f}, kKept),
    fails("EmptyTextNotReported", position_answer("10.5", "29000", "48", ""),
          {0, "invalid_argument stof"}, 0,
          {10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 0, P::All & ~P::VerticalSpeed}),
    fails("LeanCamera", kLeanAnswer, {0, "invalid_argument stoi"}, 0,
          {8.09f, 214.21f, 1.0f, 25110, 0, 0, 0, P::Axes | P::Focus}),
    fails("FocusTooLarge", position_answer("10.5", "2147483648"), {0, "out_of_range stoi"}),
    fails("ElevationTooLarge", position_answer("1e39"), {0, "out_of_range stof"}),
    fails("ElevationMissing", position_answer(nullptr), {0, "invalid_argument stof"}),
    fails("AzimuthMissing", "<PTZAbsoluteEx><elevation>1</elevation></PTZAbsoluteEx>",
          {0, "invalid_argument stof"}),
    fails("FocusNotANumber", position_answer("10.5", "near"), {0, "invalid_argument stoi"}),
    fails("RootOfALongerName", position_answer("10.5", "29000", "48", "1.5", "PTZAbsoluteExtra"),
          {0, "invalid_argument stof"}),
    fails("RootSpelledLikeTheCommand",
          position_answer("10.5", "29000", "48", "1.5", "PtzAbsoluteEx"),
          {0, "invalid_argument stof"}),
    fails("LockedAccount", kLockAnswer, {0, "invalid_argument stof"}),
    fails("NotXml", "<PTZAbsoluteEx>", {2, ""}, 2),
};

class PositionTest : public ::testing::TestWithParam<QueryCase> {};

// Runs `call`, turning the conversion exceptions into what they say.
template <typename Call>
Outcome outcome(Call call) {
    try {
        return {call(), ""};
    } catch (const std::invalid_argument& e) {
        return {0, std::string("invalid_argument ") + e.what()};
    } catch (const std::out_of_range& e) {
        return {0, std::string("out_of_range ") + e.what()};
    }
}

TEST_P(PositionTest, QueryAndZoomResetConvertAllOrNothingAndGetPositionReadsWhatIsThere) {
    const QueryCase& c = GetParam();
    Camera camera("127.0.0.1", kUserPwd);
    Scripted camera_side(camera, [&c](const Ptz::Request& r) {
        return r.method == Utils::HttpMethod::Get ? Ptz::Answer{200, c.answer} : kOk;
    });
    Ptz::PtzAbsoluteEx record = kSentinel;
    stderr_of([&] {
        const Outcome query = outcome([&] { return camera.get_ptz_absoluteEx(record); });
        EXPECT_EQ(query.code, c.outcome.code);
        EXPECT_EQ(query.thrown, c.outcome.thrown);
    });
    EXPECT_EQ(std::memcmp(&record, &c.read, sizeof record), 0) << "the record afterwards";

    // reset_zoom ends as its query did, and sends only after a query that converted.
    camera_side.sent.clear();
    stderr_of([&] {
        const Outcome reset = outcome([&] { return camera.reset_zoom(); });
        EXPECT_EQ(reset.code, c.outcome.code);
        EXPECT_EQ(reset.thrown, c.outcome.thrown);
    });
    EXPECT_EQ(camera_side.sent.size(), c.outcome.code == 0 && c.outcome.thrown.empty() ? 2u : 1u);

    P position = kKept;
    int code = -1;
    stderr_of([&] { code = camera.get_position(position); });
    EXPECT_EQ(code, c.position_code);
    EXPECT_EQ(position, c.position);
}

INSTANTIATE_TEST_SUITE_P(Answers, PositionTest, ::testing::ValuesIn(kCases), ByName());

// Older firmware answers ".../absoluteEx" with its web server's page and keeps the position in
// ".../status"; a locked account is refused, and must not cost a second request.
TEST(Commands, GetPositionFallsBackOnceOn404AndNeverOn401) {
    Camera older("127.0.0.1", kUserPwd);
    Scripted firmware(older, [](const Ptz::Request& r) {
        return r.url.find("/status") != std::string::npos
                   ? Ptz::Answer{200, kStatusAnswer}
                   : Ptz::Answer{404, "<html><body>Page not found</body></html>"};
    });
    P position{};
    ASSERT_EQ(older.get_position(position), 0);
    EXPECT_EQ(position, (P{12.1f, 111.7f, 20.9f, 0, 0, 0, 0, P::Axes}));
    ASSERT_EQ(older.get_position(position), 0);
    EXPECT_EQ(firmware.sent, (std::vector<std::string>{"GET " + kAbs, kStatus, kStatus}));

    // Without a kept session every call asks, as it always did.
    Camera refused("127.0.0.1", kUserPwd);
    Scripted locked(refused, [](const Ptz::Request&) { return Ptz::Answer{401, kLockAnswer}; });
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(refused.get_position(position), 10); }),
                  error_line("get_position",
                             "Fail to get node name in xml, response data: " + kLockAnswer + "."));
    }
    EXPECT_EQ(refused.failure_reason(),
              "camera refused: Unauthorized; the account is locked for 210 s");
    EXPECT_EQ(locked.sent, std::vector<std::string>(2, "GET " + kAbs));
}

// A kept session that the camera refused sends nothing until the hold has passed, on the clock
// passed in; a locked account's own time is kept when it is longer.
TEST(Commands, RefusedCredentialsHoldTheSessionForItsTime) {
    Camera camera("127.0.0.1", "admin:wrong", kept_session());
    std::string refusal = status_answer("Unauthorized");
    Scripted camera_side(camera, [&refusal](const Ptz::Request&) {
        return Ptz::Answer{401, refusal};
    });
    const auto held = [](const char* seconds) {
        return error_line("reset_position",
                          std::string("The camera refused the credentials; the next try is in ") +
                              seconds + " s.");
    };
    stderr_of([&] { EXPECT_EQ(camera.reset_position(), 10); });
    camera_side.clock += std::chrono::milliseconds(29980);
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(camera.reset_position(), 10); }), held("1"));
    EXPECT_EQ(camera_side.sent.size(), 1u);
    camera_side.clock += std::chrono::milliseconds(20);
    refusal = kLockAnswer;  // 210 s
    stderr_of([&] { EXPECT_EQ(camera.reset_position(), 10); });
    EXPECT_EQ(camera_side.sent.size(), 2u) << "the hold ended: one more try";
    camera_side.clock += std::chrono::seconds(200);
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(camera.reset_position(), 10); }), held("10"));
    EXPECT_EQ(camera_side.sent.size(), 2u);
    // A camera's own time is bounded by a day: a hold ends.
    camera_side.clock += std::chrono::seconds(10);
    refusal.replace(refusal.find(">210<"), 5, ">1e12<");
    stderr_of([&] { EXPECT_EQ(camera.reset_position(), 10); });
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(camera.reset_position(), 10); }), held("86400"));
}

// What a kept session does after an answer: a refusal of a challenge that was good before is
// tried once more in the time left, challenged afresh; a refusal after a refusal never.
TEST(Commands, KeptSessionRetriesAForgottenChallengeOnceInTheTimeLeft) {
    using Next = Utils::HttpSession::Next;
    Utils::HttpSession session("admin:password");
    const struct {
        long status;
        long spent_ms;
        bool retried;
        Next next;
    } steps[] = {
        {401, 5, false, Next::Deliver},    // the first refusal: wrong credentials
        {200, 5, false, Next::Deliver},    // accepted
        {401, 4999, false, Next::Retry},   // forgotten: once more
        {401, 5001, true, Next::Deliver},  // refused again: not a third time
        {200, 5, false, Next::Deliver},
        {401, 5000, false, Next::Fail},  // forgotten, and no time left
    };
    for (const auto& step : steps) {
        EXPECT_EQ(session.after(step.status, step.spent_ms, 5000, step.retried), step.next)
            << step.status << " after " << step.spent_ms << " ms";
    }
    EXPECT_STREQ(session.reason(), "Timeout was reached");
}

// The position read every 0.1 s: still for 0.5 s ends the wait, a watch ends it at once,
// moving past the time-out is 5 with the last position, and an interrupt check asked after each
// wait gives it up with 6, `where` untouched.
TEST(Commands, WaitForStopOnTheClockPassedIn) {
    const struct {
        const char* name;
        std::vector<const char*> elevations;  // read in turn, the last one from then on
        double timeout;
        bool watch;  // ends the wait at the second read
        int code;
        std::size_t reads;
        float where;
        std::vector<const char*> azimuths{"200.25"};  // read in turn, round and round
        int interrupt_at = 0;                         // the interrupt check's first yes; 0: none
    } cases[] = {
        {"StillAtOnce", {"1"}, 5, false, 0, 6, 1},
        {"SettlesWithinTolerance", {"1", "5", "9", "9.08"}, 5, false, 0, 8, 9.08f},
        {"WatchEndsIt", {"1", "5", "9"}, 5, true, 0, 2, 5},
        {"TimeOutPastTheClocksReach", {"1", "5", "9"}, 1e300, true, 0, 2, 5},
        {"StillMovingAtTheTimeOut",
         {"0", "1", "2", "3", "4", "5", "6", "7", "8"},
         0.35,
         false,
         5,
         5,
         4},
        // A camera at rest facing north reads either side of it: 0.03 degrees apart, not 359.97.
        {"StillAcrossNorth", {"1"}, 1, false, 0, 6, 1, {"359.98", "0.01"}},
        {"InterruptedAtTheThirdWait", {"1", "2", "3", "4", "5"}, 5, false, 6, 3, 0, {"1"}, 3},
    };
    for (const auto& c : cases) {
        Camera camera("127.0.0.1", kUserPwd);
        std::size_t reads = 0;
        Scripted camera_side(camera, [&](const Ptz::Request&) {
            const char* e = c.elevations[std::min(reads, c.elevations.size() - 1)];
            std::string answer = position_answer(e);
            answer.replace(answer.find("200.25"), 6, c.azimuths[reads++ % c.azimuths.size()]);
            return Ptz::Answer{200, answer};
        });
        int seen = 0;
        const Ptz::PositionWatch second = [](void* user, const P&) {
            return ++*static_cast<int*>(user) == 2;
        };
        int asked = 0;
        if (c.interrupt_at != 0) {
            camera.set_interrupt_check([&] { return ++asked == c.interrupt_at; });
        }
        P where{};
        const std::string lines = stderr_of([&] {
            EXPECT_EQ(camera.wait_for_stop(where, c.timeout, c.watch ? second : nullptr, &seen),
                      c.code)
                << c.name;
        });
        if (c.code == 6) {
            EXPECT_EQ(lines, error_line("wait_for_stop", "The operation was cancelled."));
        }
        EXPECT_EQ(reads, c.reads) << c.name;
        EXPECT_EQ(where.elevation, c.where) << c.name;
    }
}

// A host that took its user's locale, which writes a decimal comma, still reads the camera's
// decimal point, and writes its lines with one.
TEST(Commands, DecimalPointWhateverTheHostsLocale) {
    // localedef says 1 for a warning about its sources too: newlocale tells whether it made one.
    [[maybe_unused]] const int made =
        std::system("cd " ZELKO_TEST_LOCALES " && localedef -c -i de_DE -f UTF-8 ./de_DE.UTF-8");
    setenv("LOCPATH", ZELKO_TEST_LOCALES, 1);
    const locale_t comma = newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr);
    unsetenv("LOCPATH");
    ASSERT_NE(comma, nullptr) << "made by localedef of Debian's locales";
    uselocale(comma);
    Camera camera("127.0.0.1", kUserPwd);
    int reads = 0;
    Scripted camera_side(camera, [&](const Ptz::Request&) {
        return Ptz::Answer{200, position_answer((std::to_string(reads++) + ".5").c_str())};
    });
    Ptz::PtzAbsoluteEx record{};
    EXPECT_EQ(camera.get_ptz_absoluteEx(record), 0);
    EXPECT_EQ(record.elevation, 0.5f);
    P where{};
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(camera.wait_for_stop(where, 0.35), 5); }),
              error_line("wait_for_stop", "The camera was still moving after 0.35 s."));
    uselocale(LC_GLOBAL_LOCALE);
    freelocale(comma);
}

// The console's lists as real cameras write them: every line followed by blank lines, empty
// slots left out of a patrol's steps; an answer of another kind refused with `kept` untouched.
TEST(Commands, ConsoleReadsTheCamerasDocuments) {
    using Patrols = std::vector<Ptz::PtzPatrol>;
    using Patterns = std::vector<Ptz::PtzPattern>;
    const Patrols kept_patrols{{9, "kept", true, {}}};
    const Patterns kept_patterns{{9, true}};
    const Ptz::PtzParkAction kept_park{true, 9, "kept", 9};
    struct Read {
        Patrols patrols;
        Patterns patterns;
        Ptz::PtzParkAction park;
    };
    const struct {
        const char* name;
        std::string answer;
        int (*call)(Camera&, Read&);
        const char* request;
        int code;
        Read read;
    } cases[] = {
        {"RealPatrolList",
         fixture("patrol-list.xml"),
         [](Camera& c, Read& r) { return c.get_patrols(r.patrols); },
         "/patrols",
         0,
         {{{1, "1", false, {}}, {2, "2", false, {}}, {3, "3", false, {}}, {4, "4", false, {}}},
          kept_patterns,
          kept_park}},
        {"PatrolStepsAroundAnEmptySlot",
         "<PTZPatrolList><PTZPatrol><id> 2 </id><enabled>true</enabled><patrolName>Yard</"
         "patrolName><PatrolSequenceList><PatrolSequence><presetID>5</presetID><seqSpeed>40"
         "</seqSpeed><delay>3</delay></PatrolSequence><PatrolSequence><presetID>0</presetID>"
         "<seqSpeed>30</seqSpeed><delay>15</delay></PatrolSequence><PatrolSequence><presetID>7"
         "</presetID><seqSpeed>1</seqSpeed><delay>0</delay></PatrolSequence>"
         "</PatrolSequenceList></PTZPatrol></PTZPatrolList>",
         [](Camera& c, Read& r) { return c.get_patrols(r.patrols); },
         "/patrols",
         0,
         {{{2, "Yard", true, {{5, 40, 3}, {7, 1, 0}}}}, kept_patterns, kept_park}},
        {"PatrolStepNotANumber",
         "<PTZPatrolList><PTZPatrol><id>1</id><PatrolSequenceList><PatrolSequence><presetID>x"
         "</presetID></PatrolSequence></PatrolSequenceList></PTZPatrol></PTZPatrolList>",
         [](Camera& c, Read& r) { return c.get_patrols(r.patrols); },
         "/patrols",
         10,
         {kept_patrols, kept_patterns, kept_park}},
        {"PatternList",
         "<PTZPatternList><PTZPattern><enabled>true</enabled><id>1</id></PTZPattern>"
         "<PTZPattern><enabled>false</enabled><id>4</id></PTZPattern></PTZPatternList>",
         [](Camera& c, Read& r) { return c.get_patterns(r.patterns); },
         "/patterns",
         0,
         {kept_patrols, {{1, true}, {4, false}}, kept_park}},
        {"PatternWithoutId",
         "<PTZPatternList><PTZPattern/></PTZPatternList>",
         [](Camera& c, Read& r) { return c.get_patterns(r.patterns); },
         "/patterns",
         10,
         {kept_patrols, kept_patterns, kept_park}},
        {"RealParkAction",
         fixture("park-action.xml"),
         [](Camera& c, Read& r) { return c.get_park_action(r.park); },
         "/parkaction",
         0,
         {kept_patrols, kept_patterns, {false, 5, "autoscan", 0}}},
        {"ParkActionOfAnotherKind",
         status_answer("OK"),
         [](Camera& c, Read& r) { return c.get_park_action(r.park); },
         "/parkaction",
         10,
         {kept_patrols, kept_patterns, kept_park}},
    };
    for (const auto& c : cases) {
        Camera camera("127.0.0.1", kUserPwd);
        Scripted camera_side(camera, [&](const Ptz::Request&) {
            return Ptz::Answer{200, c.answer};
        });
        Read read{kept_patrols, kept_patterns, kept_park};
        stderr_of([&] { EXPECT_EQ(c.call(camera, read), c.code) << c.name; });
        EXPECT_EQ(camera_side.sent, std::vector<std::string>{"GET " + kChannel + c.request})
            << c.name;
        EXPECT_EQ(read.patrols, c.read.patrols) << c.name;
        EXPECT_EQ(read.patterns, c.read.patterns) << c.name;
        EXPECT_EQ(read.park, c.read.park) << c.name;
    }
}

// Once the capabilities are read, the console's arguments are held to what the camera said:
// its special presets, its counts, its park time's range; nothing is sent for a refusal.
TEST(Commands, ConsoleArgumentsCheckedAgainstTheCapabilitiesRead) {
    const struct {
        const char* name;
        int (*call)(Camera&);
        const char* operation;
        const char* message;
    } cases[] = {
        {"SpecialPresetInAPatrol",
         [](Camera& c) {
             return c.set_patrol({1, "p", true, {{1, 1, 1}, {33, 1, 1}}});
         },
         "set_patrol", "Please input patrol steps of presets of 1 or more, none of them special."},
        {"PatrolPastTheCamerasCount",
         [](Camera& c) {
             return c.set_patrol({9, "p", true, {{1, 1, 1}}});
         },
         "set_patrol", "Please input a patrol id of 1 to 8."},
        {"ParkPatternPastTheCamerasCount",
         [](Camera& c) {
             return c.set_park_action({true, 5, "pattern", 5});
         },
         "set_park_action", "Please input the number of a pattern the camera keeps."},
        {"ParkTimePastTheCamerasRange",
         [](Camera& c) {
             return c.set_park_action({true, 721, "autoscan", 0});
         },
         "set_park_action", "Please input a park time of 5 to 720 seconds."},
    };
    for (const auto& c : cases) {
        Camera camera("127.0.0.1", kUserPwd);
        Scripted camera_side(camera, [](const Ptz::Request&) {
            return Ptz::Answer{200, kRealCapabilities};
        });
        Ptz::PtzCapabilities caps;
        ASSERT_EQ(camera.get_capabilities(caps), 0);
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(c.call(camera), 10) << c.name; }),
                  error_line(c.operation, c.message))
            << c.name;
        EXPECT_EQ(camera_side.sent.size(), 1u) << c.name;
    }
}

// Another user of higher priority holds the PTZ: a refusal of its own, which starts no hold.
TEST(Commands, PtzHeldByAUserOfHigherPriority) {
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    Scripted camera_side(camera, [](const Ptz::Request& r) {
        return Ptz::Answer{
            403, sim::response_status(r.url, 4, "Invalid Operation", "ptzOccupiedPriority")};
    });
    stderr_of([&] {
        EXPECT_EQ(camera.set_focus(50), 10);
        EXPECT_EQ(camera.failure_reason(),
                  "camera refused: the PTZ is held by a user of higher priority "
                  "(ptzOccupiedPriority)");
        EXPECT_EQ(camera.start_patrol(1), 10);
    });
    EXPECT_EQ(camera_side.sent.size(), 2u);
}

// A status of OK where a document was asked for is no refusal of the camera's: the reason says
// what the answer is not.
TEST(Commands, StatusOfOkInPlaceOfADocument) {
    Camera camera("127.0.0.1", kUserPwd);
    Scripted camera_side(camera, [](const Ptz::Request&) { return kOk; });
    Ptz::PtzCapabilities caps;
    stderr_of([&] { EXPECT_EQ(camera.get_capabilities(caps), 10); });
    EXPECT_EQ(camera.failure_reason(), "the answer is not a capabilities document");
}

}  // namespace
