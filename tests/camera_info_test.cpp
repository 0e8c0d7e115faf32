#include "ptz/zelko_ptz_camera_isapi.h"

#include "sim_fixture.h"

namespace {

using namespace testing_support;

struct InfoCase {
    const char* name;
    const char* address;
    std::string path;
    std::string scripted;  // "" leaves the camera's own answer
    bool script_empty;
    int code;
    std::string error;
};

std::ostream& operator<<(std::ostream& os, const InfoCase& c) {
    return os << c.name;
}

class GetInfoTest : public SimTest, public ::testing::WithParamInterface<InfoCase> {};

TEST_P(GetInfoTest, ReturnsTheCodeAndWritesTheLine) {
    const InfoCase& c = GetParam();
    if (!c.scripted.empty() || c.script_empty) {
        camera_sim.script(c.path, answer(c.scripted));
    }
    Ptz::ZelkoPtzCameraIsapi camera(c.address, kUserPwd);
    StderrCapture err;
    EXPECT_EQ(camera.get_info(c.path), c.code);
    EXPECT_EQ(err.text(), c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, GetInfoTest,
    ::testing::Values(
        InfoCase{"KnownResource", "127.0.0.1", "/ISAPI/System/deviceInfo", "", false, 0, ""},
        InfoCase{"ErrorDocumentIsStillXml", "127.0.0.1", "/ISAPI/unknown", "", false, 0, ""},
        InfoCase{"NotXml", "127.0.0.1", "/p", "not xml", false, 2,
                 "\x1b[31m[Error] [get_info] Fail to parse reponse data, response data: not "
                 "xml.\n\x1b[0m\n"},
        InfoCase{"Empty", "127.0.0.1", "/p", "", true, 2,
                 "\x1b[31m[Error] [get_info] Fail to parse reponse data, response data: "
                 ".\n\x1b[0m\n"},
        InfoCase{"FormatDirectivesAreText", "127.0.0.1", "/p", "%s%n%x", false, 2,
                 "\x1b[31m[Error] [get_info] Fail to parse reponse data, response data: "
                 "%s%n%x.\n\x1b[0m\n"},
        InfoCase{"Unreachable", kDeadAddress, "/p", "", false, 1,
                 "\x1b[31m[Error] [get_info] Fail to complete http get.\n\x1b[0m\n"}),
    [](const ::testing::TestParamInfo<InfoCase>& info) { return info.param.name; });

TEST_F(SimTest, GetInfoAppendsThePathUnchangedAfterThePort) {
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    EXPECT_EQ(camera.get_info("/ISAPI/System/deviceInfo?format=xml&x=1"), 0);
    const auto requests = authenticated();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/ISAPI/System/deviceInfo?format=xml&x=1");
    EXPECT_EQ(requests[0].header("Host"), "127.0.0.1");
}

TEST_F(SimTest, WrongPasswordIsCheckedByTheCamera) {
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", "admin:wrong");
    StderrCapture err;
    EXPECT_EQ(camera.reset_position(), 10);
    const std::string line = err.text();
    EXPECT_EQ(line.rfind("\x1b[31m[Error] [reset_position] Fail to get node name in xml, response "
                         "data: <?xml",
                         0),
              0u);
    EXPECT_NE(line.find("badAuthorization"), std::string::npos);
    EXPECT_TRUE(authenticated().empty());
    EXPECT_EQ(camera_sim.requests().size(), 2u);
}

TEST_F(SimTest, TwoObjectsForOneCameraAreIndependent) {
    auto first = std::make_unique<Ptz::ZelkoPtzCameraIsapi>("127.0.0.1", kUserPwd);
    Ptz::ZelkoPtzCameraIsapi second("127.0.0.1", kUserPwd);
    EXPECT_EQ(first->get_info("/ISAPI/System/deviceInfo"), 0);
    EXPECT_EQ(second.get_info("/ISAPI/System/deviceInfo"), 0);
    first.reset();
    EXPECT_EQ(second.get_info("/ISAPI/System/deviceInfo"), 0);
    EXPECT_EQ(second.reset_position(), 0);
    EXPECT_EQ(authenticated().size(), 4u);
}

}  // namespace
