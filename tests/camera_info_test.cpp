#include "ptz/zelko_ptz_camera_isapi.h"

#include "sim_fixture.h"

namespace {

using namespace testing_support;

// Codes 1 and 2 of get_info, with their lines, are in the fault matrix.
TEST_F(SimTest, GetInfoSucceedsForAnyWellFormedAnswer) {
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    for (const char* path : {"/ISAPI/System/deviceInfo", "/ISAPI/unknown"}) {
        StderrCapture err;
        EXPECT_EQ(camera.get_info(path), 0) << path;
        EXPECT_EQ(err.text(), "") << path;
    }
    EXPECT_EQ(camera_sim.requests().back().status, 404u) << "the error document was judged OK";
}

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
