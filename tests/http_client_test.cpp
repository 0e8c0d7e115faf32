#include "utils/http_client.h"

#include <chrono>

#include "sim_fixture.h"

namespace {

using namespace testing_support;

const std::string kBase = "http://127.0.0.1:80";
const std::string kContentType = "application/xml; charset=\"UTF-8\"";

class HttpClientTest : public SimTest {
protected:
    Utils::HttpClient client;
};

TEST_F(HttpClientTest, GetAnswersTheDigestChallengeAndReturnsTheBody) {
    std::string response;
    ASSERT_TRUE(client.get(kBase + "/ISAPI/System/deviceInfo", kUserPwd, response));
    EXPECT_NE(response.find("<DeviceInfo"), std::string::npos);

    const auto requests = camera_sim.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("Authorization"), "");
    EXPECT_EQ(requests[0].status, 401u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target, "/ISAPI/System/deviceInfo");
    EXPECT_EQ(requests[1].header("Authorization").rfind("Digest username=\"admin\"", 0), 0u);
    EXPECT_TRUE(requests[1].authenticated);
    EXPECT_EQ(requests[1].body, "");
}

struct SendCase {
    const char* name;
    bool post;
    std::string body;
};

std::ostream& operator<<(std::ostream& os, const SendCase& c) {
    return os << c.name;
}

class SendTest : public HttpClientTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendTest, SendsTheBodyWithTheXmlContentType) {
    camera_sim.script("/upload", answer("<ok/>"));
    std::string response;
    const std::string url = kBase + "/upload";
    const bool ok = GetParam().post ? client.post(url, kUserPwd, GetParam().body, response)
                                    : client.put(url, kUserPwd, GetParam().body, response);
    ASSERT_TRUE(ok);
    EXPECT_EQ(response, "<ok/>");
    const auto requests = authenticated();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, GetParam().post ? "POST" : "PUT");
    EXPECT_EQ(requests[0].header("Content-Type"), kContentType);
    EXPECT_EQ(requests[0].header("Content-Length"), std::to_string(GetParam().body.size()));
    EXPECT_EQ(requests[0].body, GetParam().body);
    EXPECT_EQ(camera_sim.requests().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, SendTest,
    ::testing::Values(SendCase{"PutBody", false, "<a>1</a>\n"}, SendCase{"PutEmpty", false, ""},
                      SendCase{"PostBody", true, "<b/>"},
                      SendCase{"PutBinary", false, std::string("x\0y\xff", 4)}),
    [](const ::testing::TestParamInfo<SendCase>& info) { return info.param.name; });

TEST_F(HttpClientTest, AppendsToWhatTheResponseAlreadyHolds) {
    camera_sim.script("/r", answer("<new/>"));
    std::string response = "<old/>";
    ASSERT_TRUE(client.get(kBase + "/r", kUserPwd, response));
    EXPECT_EQ(response, "<old/><new/>");
}

TEST_F(HttpClientTest, RejectedCredentialsStillCompleteTheTransfer) {
    std::string response;
    ASSERT_TRUE(client.get(kBase + kChannel + "/absoluteEx", "admin:wrong", response));
    EXPECT_NE(response.find("<subStatusCode>badAuthorization</subStatusCode>"), std::string::npos);
    EXPECT_TRUE(authenticated().empty());
}

TEST_F(HttpClientTest, NeverSendsBasicCredentials) {
    sim::Script basic = answer("<ResponseStatus/>", 401);
    basic.mode = sim::Script::Mode::BasicOnly;
    camera_sim.script("/basic", basic);
    std::string response;
    EXPECT_TRUE(client.put(kBase + "/basic", kUserPwd, "<a/>", response));
    EXPECT_EQ(response, "<ResponseStatus/>");
    for (const auto& r : camera_sim.requests()) {
        EXPECT_EQ(r.header("Authorization"), "") << "credentials sent to a Basic-only camera";
    }
}

TEST_F(HttpClientTest, DoesNotFollowRedirects) {
    sim::Script moved = answer("<Moved/>", 302);
    moved.headers = {{"Location", "/ISAPI/System/deviceInfo"}};
    camera_sim.script("/old", moved);
    std::string response;
    ASSERT_TRUE(client.get(kBase + "/old", kUserPwd, response));
    EXPECT_EQ(response, "<Moved/>");
    for (const auto& r : camera_sim.requests()) {
        EXPECT_EQ(r.target, "/old");
    }
}

TEST_F(HttpClientTest, RefusedConnectionFailsAtOnceAndLeavesTheResponseEmpty) {
    std::string response;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.get(std::string("http://") + kDeadAddress + ":80/x", kUserPwd, response));
    EXPECT_FALSE(
        client.put(std::string("http://") + kDeadAddress + ":80/x", kUserPwd, "<a/>", response));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(response, "");
}

TEST_F(HttpClientTest, SilentCameraFailsAfterTheFiveSecondTimeout) {
    sim::Script silent;
    silent.mode = sim::Script::Mode::NeverAnswer;
    camera_sim.script("/silent", silent);
    std::string response;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.get(kBase + "/silent", kUserPwd, response));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(4500));
    EXPECT_LT(elapsed, std::chrono::seconds(10));
    EXPECT_EQ(response, "");
}

TEST_F(HttpClientTest, BodyCutShortFailsButKeepsWhatArrived) {
    sim::Script cut = answer(std::string(1000, 'x'));
    cut.mode = sim::Script::Mode::CloseMidBody;
    camera_sim.script("/cut", cut);
    std::string response;
    EXPECT_FALSE(client.get(kBase + "/cut", kUserPwd, response));
    EXPECT_EQ(response, std::string(500, 'x'));
}

}  // namespace
