// The position answer's texts as numbers: the query fills the caller's record whole or not at all,
// and reset_zoom sends back exactly what the query read, or nothing.

#include <cstring>
#include <stdexcept>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

const Ptz::PtzAbsoluteEx kSentinel{-1.0f, -2.0f, -3.0f, -4, -5, -6.0f, -7.0f};

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
};

// An answer that converts into `read`.
QueryCase reads(const char* name, std::string answer, Ptz::PtzAbsoluteEx read) {
    return {name, std::move(answer), {0, ""}, read};
}

// An answer that ends the query, and reset_zoom, in `outcome` with nothing sent.
QueryCase fails(const char* name, std::string answer, Outcome outcome) {
    return {name, std::move(answer), std::move(outcome), kSentinel};
}

const QueryCase kCases[] = {
    reads("AllSeven", position_answer("10.5"), {10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}),
    reads("IntegersInBaseTen", position_answer("10.5", "0x1A", "010"),
          {10.5f, 200.25f, 4.0f, 0, 10, 0.5f, 1.5f}),
    reads("TrailingUnitIgnored", position_answer("12.5deg"),
          {12.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}),
    reads("LeadingSpaceSkipped", position_answer(" \t-3.25"),
          {-3.25f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}),
    fails("FocusTooLarge", position_answer("10.5", "2147483648"), {0, "out_of_range stoi"}),
    fails("ElevationTooLarge", position_answer("1e39"), {0, "out_of_range stof"}),
    fails("ElevationMissing", position_answer(nullptr), {0, "invalid_argument stof"}),
    fails("FocusNotANumber", position_answer("10.5", "near"), {0, "invalid_argument stoi"}),
    fails("RootSpelledLikeTheCommand",
          position_answer("10.5", "29000", "48", "1.5", "PtzAbsoluteEx"),
          {0, "invalid_argument stof"}),
    fails("NotXml", "<PTZAbsoluteEx>", {2, ""}),
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

TEST_P(PositionTest, QueryAndZoomResetConvertAllOrNothing) {
    const QueryCase& c = GetParam();
    camera_sim->script(kChannel + "/absoluteEx", answer(c.answer, "GET"));
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    Ptz::PtzAbsoluteEx record = kSentinel;

    const Outcome query = outcome([&] { return camera.get_ptz_absoluteEx(record); });
    EXPECT_EQ(query.code, c.outcome.code);
    EXPECT_EQ(query.thrown, c.outcome.thrown);
    EXPECT_EQ(std::memcmp(&record, &c.read, sizeof record), 0) << "the record afterwards";

    // reset_zoom ends as its query did, and sends only after a query that converted.
    camera_sim->clear_requests();
    const Outcome reset = outcome([&] { return camera.reset_zoom(); });
    EXPECT_EQ(reset.code, c.outcome.code);
    EXPECT_EQ(reset.thrown, c.outcome.thrown);
    EXPECT_EQ(sent().size(), c.outcome.code == 0 && c.outcome.thrown.empty() ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Answers, PositionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<QueryCase>& info) {
                             return info.param.name;
                         });

}  // namespace
