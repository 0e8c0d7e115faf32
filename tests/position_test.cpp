// The position answers as numbers, real cameras' documents among them: what the query of seven
// values and reset_zoom make of each, whole or not at all, and what get_position reads of it;
// and the resources get_position asks, on older firmware and on a locked account.

#include <cstring>
#include <stdexcept>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;
using P = Ptz::PtzPosition;

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

class PositionTest : public SimTest, public ::testing::WithParamInterface<QueryCase> {};

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
    camera_sim->script(kChannel + "/absoluteEx", answer(c.answer, "GET"));
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    Ptz::PtzAbsoluteEx record = kSentinel;
    stderr_of([&] {
        const Outcome query = outcome([&] { return camera.get_ptz_absoluteEx(record); });
        EXPECT_EQ(query.code, c.outcome.code);
        EXPECT_EQ(query.thrown, c.outcome.thrown);
    });
    EXPECT_EQ(std::memcmp(&record, &c.read, sizeof record), 0) << "the record afterwards";

    // reset_zoom ends as its query did, and sends only after a query that converted.
    camera_sim->clear_requests();
    stderr_of([&] {
        const Outcome reset = outcome([&] { return camera.reset_zoom(); });
        EXPECT_EQ(reset.code, c.outcome.code);
        EXPECT_EQ(reset.thrown, c.outcome.thrown);
    });
    EXPECT_EQ(sent().size(), c.outcome.code == 0 && c.outcome.thrown.empty() ? 2u : 1u);

    P position = kKept;
    int code = -1;
    stderr_of([&] { code = camera.get_position(position); });
    EXPECT_EQ(code, c.position_code);
    EXPECT_EQ(position, c.position);
}

INSTANTIATE_TEST_SUITE_P(Answers, PositionTest, ::testing::ValuesIn(kCases), ByName());

// Older firmware answers ".../absoluteEx" with its web server's page and keeps the position in
// ".../status"; a locked account is refused, and must not cost a second request.
TEST_F(SimTest, GetPositionFallsBackOnceOn404AndNeverOn401) {
    sim::Script page = answer("<html><body>Page not found</body></html>", "GET");
    page.status = 404;
    camera_sim->script(kChannel + "/absoluteEx", page);
    camera_sim->script(kChannel + "/status", answer(kStatusAnswer, "GET"));
    Ptz::ZelkoPtzCameraIsapi older("127.0.0.1", kUserPwd);
    P position{};
    ASSERT_EQ(older.get_position(position), 0);
    EXPECT_EQ(position, (P{12.1f, 111.7f, 20.9f, 0, 0, 0, 0, P::Axes}));
    ASSERT_EQ(older.get_position(position), 0);
    EXPECT_EQ(sent(), (std::vector<std::string>{"GET " + kChannel + "/absoluteEx",
                                                "GET " + kChannel + "/status",
                                                "GET " + kChannel + "/status"}));

    camera_sim->clear_requests();
    sim::Script locked = answer(kLockAnswer, "GET");
    locked.status = 401;
    camera_sim->script(kChannel + "/absoluteEx", locked);
    // Without a kept session every call asks, as it always did.
    Ptz::ZelkoPtzCameraIsapi refused("127.0.0.1", kUserPwd);
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(refused.get_position(position), 10); }),
                  error_line("get_position",
                             "Fail to get node name in xml, response data: " + kLockAnswer + "."));
    }
    EXPECT_EQ(refused.failure_reason(),
              "camera refused: Unauthorized; the account is locked for 210 s");
    EXPECT_EQ(sent(), std::vector<std::string>(2, "GET " + kChannel + "/absoluteEx"));
}

}  // namespace
