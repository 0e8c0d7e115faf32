#include <cmath>
#include <stdexcept>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

// A record that no answer below produces, to see what a query leaves untouched.
const Ptz::PtzAbsoluteEx kSentinel{-1.0f, -2.0f, -3.0f, -4, -5, -6.0f, -7.0f};

bool same(const Ptz::PtzAbsoluteEx& a, const Ptz::PtzAbsoluteEx& b) {
    return a.elevation == b.elevation && a.azimuth == b.azimuth &&
           a.absoluteZoom == b.absoluteZoom && a.focus == b.focus && a.focalLen == b.focalLen &&
           a.horizontalSpeed == b.horizontalSpeed && a.verticalSpeed == b.verticalSpeed;
}

std::string position_answer(const char* elevation, const char* focus = "29000",
                            const char* vertical = "1.5", const char* root = "PTZAbsoluteEx") {
    std::string doc = std::string("<?xml version=\"1.0\"?><") + root + ">";
    if (elevation != nullptr) {
        doc += std::string("<elevation>") + elevation + "</elevation>";
    }
    doc += "<azimuth>200.25</azimuth><absoluteZoom>4.0</absoluteZoom><focus>" + std::string(focus) +
           "</focus><focalLen>48</focalLen>" + "<horizontalSpeed>0.5</horizontalSpeed>";
    if (vertical != nullptr) {
        doc += std::string("<verticalSpeed>") + vertical + "</verticalSpeed>";
    }
    return doc + "</" + root + ">";
}

enum class Thrown { Nothing, InvalidArgument, OutOfRange };

struct QueryCase {
    const char* name;
    std::string answer;
    Thrown thrown;
    const char* what;
    Ptz::PtzAbsoluteEx expected;  // the record afterwards
};

std::ostream& operator<<(std::ostream& os, const QueryCase& c) {
    return os << c.name;
}

class PositionQueryTest : public SimTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(PositionQueryTest, ConvertsAllOrNothing) {
    const QueryCase& c = GetParam();
    camera_sim.script(kChannel + "/absoluteEx", answer(c.answer));
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    Ptz::PtzAbsoluteEx record = kSentinel;
    StderrCapture err;
    try {
        EXPECT_EQ(camera.get_ptz_absoluteEx(record), 0);
        EXPECT_EQ(c.thrown, Thrown::Nothing);
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(c.thrown, Thrown::InvalidArgument);
        EXPECT_STREQ(e.what(), c.what);
    } catch (const std::out_of_range& e) {
        EXPECT_EQ(c.thrown, Thrown::OutOfRange);
        EXPECT_STREQ(e.what(), c.what);
    }
    EXPECT_EQ(err.text(), "");
    EXPECT_TRUE(same(record, c.expected))
        << record.elevation << " " << record.azimuth << " " << record.absoluteZoom << " "
        << record.focus << " " << record.focalLen << " " << record.horizontalSpeed << " "
        << record.verticalSpeed;
    const auto requests = authenticated();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, kChannel + "/absoluteEx");
}

const Ptz::PtzAbsoluteEx kRead{10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f};

INSTANTIATE_TEST_SUITE_P(
    Answers, PositionQueryTest,
    ::testing::Values(QueryCase{"AllSeven", position_answer("10.5"), Thrown::Nothing, "", kRead},
                      QueryCase{"IntegerFromDecimalText",
                                position_answer("10.5", "12.7"),
                                Thrown::Nothing,
                                "",
                                {10.5f, 200.25f, 4.0f, 12, 48, 0.5f, 1.5f}},
                      QueryCase{"TrailingUnitIgnored",
                                position_answer("12.5deg"),
                                Thrown::Nothing,
                                "",
                                {12.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}},
                      QueryCase{"LeadingSpaceSkipped",
                                position_answer(" \t-3.25"),
                                Thrown::Nothing,
                                "",
                                {-3.25f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f}},
                      QueryCase{"FocusTooLarge", position_answer("10.5", "2147483648"),
                                Thrown::OutOfRange, "stoi", kSentinel},
                      QueryCase{"ElevationTooLarge", position_answer("1e39"), Thrown::OutOfRange,
                                "stof", kSentinel},
                      QueryCase{"ElevationMissing", position_answer(nullptr),
                                Thrown::InvalidArgument, "stof", kSentinel},
                      QueryCase{"LastFieldMissing", position_answer("10.5", "29000", nullptr),
                                Thrown::InvalidArgument, "stof", kSentinel},
                      QueryCase{"FocusNotANumber", position_answer("10.5", "near"),
                                Thrown::InvalidArgument, "stoi", kSentinel},
                      QueryCase{"RootSpelledLikeTheCommand",
                                position_answer("10.5", "29000", "1.5", "PtzAbsoluteEx"),
                                Thrown::InvalidArgument, "stof", kSentinel},
                      QueryCase{"StatusDocument", status_answer("Invalid Operation"),
                                Thrown::InvalidArgument, "stof", kSentinel}),
    [](const ::testing::TestParamInfo<QueryCase>& info) { return info.param.name; });

TEST_F(SimTest, QueryReadsTheCamerasOwnPosition) {
    set_position({-12.5f, 359.75f, 2.5f, 31000, 96, 0.25f, 0.75f});
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    Ptz::PtzAbsoluteEx record{};
    ASSERT_EQ(camera.get_ptz_absoluteEx(record), 0);
    EXPECT_TRUE(same(record, {-12.5f, 359.75f, 2.5f, 31000, 96, 0.25f, 0.75f}));
}

class ResetZoomTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        set_position({10.5f, 200.25f, 7.0f, 100, 48, 0.5f, 1.5f});
    }

    std::vector<sim::RecordedRequest> puts() const {
        std::vector<sim::RecordedRequest> result;
        for (auto& r : camera_sim.requests()) {
            if (r.method == "PUT") {
                result.push_back(r);
            }
        }
        return result;
    }

    Ptz::ZelkoPtzCameraIsapi camera{"127.0.0.1", kUserPwd};
};

TEST_F(ResetZoomTest, SendsTheReadPositionWithZoomOneAndFocus29000) {
    StderrCapture err;
    EXPECT_EQ(camera.reset_zoom(), 0);
    EXPECT_EQ(err.text(), "");
    finish_moves();
    EXPECT_EQ(camera_sim.state().position,
              (sim::Position{10.5f, 200.25f, 1.0f, 29000, 48, 0.5f, 1.5f}));
    const auto requests = authenticated();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[1].method, "PUT");
    EXPECT_EQ(requests[1].target, kChannel + "/absoluteEx");
    EXPECT_EQ(requests[1].body, kHead + "<PtzAbsoluteEx " + kRootAttributes +
                                    ">\n\t<absoluteZoom>1.000000</absoluteZoom>\n"
                                    "\t<azimuth>200.250000</azimuth>\n"
                                    "\t<elevation>10.500000</elevation>\n"
                                    "\t<focalLen>48</focalLen>\n\t<focus>29000</focus>\n"
                                    "\t<horizontalSpeed>0.500000</horizontalSpeed>\n"
                                    "\t<verticalSpeed>1.500000</verticalSpeed>\n"
                                    "\t<zoomType>absoluteZoom</zoomType>\n</PtzAbsoluteEx>\n");
}

TEST_F(ResetZoomTest, ReportsARejectedCommand) {
    sim::Script rejected = answer(status_answer("Device Busy"));
    rejected.method = "PUT";
    camera_sim.script(kChannel + "/absoluteEx", rejected);
    StderrCapture err;
    EXPECT_EQ(camera.reset_zoom(), 10);
    EXPECT_EQ(err.text(),
              "\x1b[31m[Error] [set_ptz_absoluteEx] Fail to get node name in xml, response data: " +
                  status_answer("Device Busy") + ".\n\x1b[0m\n");
}

TEST_F(ResetZoomTest, SendsNothingWhenTheQueryFails) {
    sim::Script broken = answer("<PTZAbsoluteEx>");
    broken.method = "GET";
    camera_sim.script(kChannel + "/absoluteEx", broken);
    StderrCapture err;
    EXPECT_EQ(camera.reset_zoom(), 2);
    EXPECT_EQ(err.text(),
              "\x1b[31m[Error] [get_ptz_absoluteEx] Fail to parse reponse data, response data: "
              "<PTZAbsoluteEx>.\n\x1b[0m\n");
    EXPECT_TRUE(puts().empty());
    EXPECT_EQ(camera_sim.state().position.absoluteZoom, 7.0f);
}

TEST_F(ResetZoomTest, SendsNothingWhenTheCameraIsUnreachable) {
    Ptz::ZelkoPtzCameraIsapi dead(kDeadAddress, kUserPwd);
    StderrCapture err;
    EXPECT_EQ(dead.reset_zoom(), 1);
    EXPECT_EQ(err.text(),
              "\x1b[31m[Error] [get_ptz_absoluteEx] Fail to complete http request.\n\x1b[0m\n");
}

TEST_F(ResetZoomTest, PassesOnAConversionExceptionWithNothingSent) {
    sim::Script odd = answer(position_answer(nullptr));
    odd.method = "GET";
    camera_sim.script(kChannel + "/absoluteEx", odd);
    EXPECT_THROW(camera.reset_zoom(), std::invalid_argument);
    EXPECT_TRUE(puts().empty());
    EXPECT_EQ(camera.get_info("/ISAPI/System/deviceInfo"), 0) << "object stays usable";
}

}  // namespace
