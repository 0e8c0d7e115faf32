#include <curl/curl.h>

#include <atomic>
#include <thread>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

struct ResourceCase {
    const char* name;
    std::string method;
    std::string path;
    std::string body;
    unsigned status;
    std::string status_string;  // "" for answers that are not a ResponseStatus
};

std::ostream& operator<<(std::ostream& os, const ResourceCase& c) {
    return os << c.name;
}

class ResourceTest : public ::testing::TestWithParam<ResourceCase> {};

std::string doc(const std::string& root, const std::string& children) {
    return "<" + root + " xmlns=\"http://www.isapi.org/ver20/XMLSchema\">" + children + "</" +
           root + ">";
}

const std::string kGoodPosition =
    "<elevation>1</elevation><azimuth>2</azimuth><absoluteZoom>3</absoluteZoom>"
    "<focus>4</focus><focalLen>5</focalLen><horizontalSpeed>6</horizontalSpeed>"
    "<verticalSpeed>7</verticalSpeed>";

TEST_P(ResourceTest, AnswersAsACameraWould) {
    const ResourceCase& c = GetParam();
    sim::CameraState state;
    const sim::CameraState before = state;
    const std::string path = c.path.substr(0, c.path.find('?'));
    const sim::Answer a =
        sim::answer_request(state, std::chrono::nanoseconds(0), c.method, path, c.path, c.body);
    EXPECT_EQ(a.status, c.status);
    if (!c.status_string.empty()) {
        EXPECT_NE(a.body.find("<statusString>" + c.status_string + "</statusString>"),
                  std::string::npos)
            << a.body;
        EXPECT_NE(a.body.find("<requestURL>"), std::string::npos);
    }
    if (c.status != 200) {
        EXPECT_EQ(state.commands_accepted, before.commands_accepted);
        EXPECT_EQ(state.position.focus, before.position.focus);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ResourceTest,
    ::testing::Values(
        ResourceCase{"GetPosition", "GET", kChannel + "/absoluteEx", "", 200, ""},
        ResourceCase{"GetDeviceInfo", "GET", "/ISAPI/System/deviceInfo", "", 200, ""},
        ResourceCase{"PutPosition", "PUT", kChannel + "/absoluteEx",
                     doc("PtzAbsoluteEx", kGoodPosition + "<zoomType>absoluteZoom</zoomType>"), 200,
                     "OK"},
        ResourceCase{"PositionWithUnit", "PUT", kChannel + "/absoluteEx",
                     doc("PtzAbsoluteEx", "<elevation>1deg</elevation>"), 400,
                     "Invalid XML Content"},
        ResourceCase{"PositionWrongRoot", "PUT", kChannel + "/absoluteEx",
                     doc("Position", kGoodPosition), 400, "Invalid XML Content"},
        ResourceCase{"PositionWrongZoomType", "PUT", kChannel + "/absoluteEx",
                     doc("PtzAbsoluteEx", kGoodPosition + "<zoomType>relative</zoomType>"), 400,
                     "Invalid XML Content"},
        ResourceCase{"PositionFocusOverflows", "PUT", kChannel + "/absoluteEx",
                     doc("PtzAbsoluteEx",
                         "<elevation>1</elevation><azimuth>2</azimuth><absoluteZoom>3</"
                         "absoluteZoom><focus>2147483648</focus><focalLen>5</focalLen>"
                         "<horizontalSpeed>6</horizontalSpeed><verticalSpeed>7</verticalSpeed>"),
                     400, "Invalid XML Content"},
        ResourceCase{"NotXml", "PUT", kChannel + "/continuous", "pan=1", 400,
                     "Invalid XML Content"},
        ResourceCase{"Continuous", "PUT", kChannel + "/continuous?type=x",
                     doc("PTZData", "<pan>-1</pan><tilt>0</tilt><zoom>9</zoom>"), 200, "OK"},
        ResourceCase{"ContinuousFraction", "PUT", kChannel + "/continuous",
                     doc("PTZData", "<pan>1.5</pan><tilt>0</tilt><zoom>9</zoom>"), 400,
                     "Invalid XML Content"},
        ResourceCase{"AuxUnknownType", "PUT", kChannel + "/auxcontrols/1",
                     doc("PTZAux", "<id>1</id><type>HEATER</type><status>on</status>"), 400,
                     "Invalid XML Content"},
        ResourceCase{"AuxStatusCase", "PUT", kChannel + "/auxcontrols/1",
                     doc("PTZAux", "<id>1</id><type>FAN</type><status>ON</status>"), 400,
                     "Invalid XML Content"},
        ResourceCase{"AuxWrongId", "PUT", kChannel + "/auxcontrols/1",
                     doc("PTZAux", "<id>2</id><type>FAN</type><status>on</status>"), 400,
                     "Invalid XML Content"},
        ResourceCase{"Home", "PUT", kChannel + "/homeposition/goto", "", 200, "OK"},
        ResourceCase{"HomeByGet", "GET", kChannel + "/homeposition/goto", "", 405,
                     "Invalid Operation"},
        ResourceCase{"OtherChannel", "GET", "/ISAPI/PTZCtrl/channels/2/absoluteEx", "", 404,
                     "Invalid Operation"},
        ResourceCase{"UrlEscapedInAnswer", "GET", "/x?a=<b>&c", "", 404, "Invalid Operation"}),
    [](const ::testing::TestParamInfo<ResourceCase>& info) { return info.param.name; });

TEST(CameraResources, EchoedUrlKeepsTheAnswerWellFormed) {
    sim::CameraState state;
    const sim::Answer a =
        sim::answer_request(state, std::chrono::nanoseconds(0), "GET", "/x", "/x?a=<b>&c", "");
    EXPECT_NE(a.body.find("<requestURL>/x?a=&lt;b&gt;&amp;c</requestURL>"), std::string::npos);
}

size_t discard(void*, size_t size, size_t nmemb, void*) {
    return size * nmemb;
}

// A raw request that carries a fixed Authorization header, as a replaying attacker would.
void replay(const std::string& url, const std::string& authorization) {
    CURL* curl = curl_easy_init();
    ASSERT_NE(curl, nullptr);
    const std::string header = "Authorization: " + authorization;
    curl_slist* headers = curl_slist_append(nullptr, header.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 5L);
    EXPECT_EQ(curl_easy_perform(curl), CURLE_OK);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
}

TEST_F(SimTest, ReplayedDigestAnswerIsRefused) {
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    ASSERT_EQ(camera.get_info("/ISAPI/System/deviceInfo"), 0);
    const auto first = authenticated();
    ASSERT_EQ(first.size(), 1u);
    replay("http://127.0.0.1/ISAPI/System/deviceInfo", first[0].header("Authorization"));
    const auto all = camera_sim.requests();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_FALSE(all[2].authenticated);
    EXPECT_EQ(all[2].status, 401u);
}

TEST_F(SimTest, ManyClientsChallengedTogetherAllAuthenticate) {
    const int kThreads = 16;
    const int kEach = 10;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&failures] {
            Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
            for (int i = 0; i < kEach; ++i) {
                if (camera.reset_position() != 0) {
                    ++failures;
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(authenticated().size(), static_cast<size_t>(kThreads * kEach));
    EXPECT_EQ(camera_sim.state().commands_accepted, static_cast<unsigned long>(kThreads * kEach));
}

TEST(CameraSimLifecycle, RefusesAnAddressThatIsNotIPv4) {
    sim::Options options;
    options.address = "not-an-address";
    sim::CameraSim camera(options);
    EXPECT_THROW(camera.start(), std::runtime_error);
}

}  // namespace
