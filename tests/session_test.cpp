// What only a kept session shows: the requests and connections a run of commands costs, and how
// it carries on when the camera expires or forgets its nonce, restarts, closes every connection,
// or stops answering.

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;
using Camera = Ptz::ZelkoPtzCameraIsapi;

struct SessionCase {
    const char* name;
    void (*setup)(sim::Options&);
    // Between the second command and the third.
    void (*between)(sim::CameraSim&, sim::ManualClock&);
    std::vector<int> codes;          // of the four commands
    std::vector<unsigned> statuses;  // of every request the camera received
    unsigned long connections;
    const char* userpwd = kUserPwd;
};

void as_it_is(sim::Options&) {}
void nothing(sim::CameraSim&, sim::ManualClock&) {}

const SessionCase kCases[] = {
    {"OneRequestPerCommandOnOneConnection",
     as_it_is,
     nothing,
     {0, 0, 0, 0},
     {401, 200, 200, 200, 200},
     1},
    {"ExpiredNonceRenewedWithOneRequest",
     [](sim::Options& o) { o.nonce_lifetime = std::chrono::seconds(10); },
     [](sim::CameraSim&, sim::ManualClock& clock) { clock.advance(std::chrono::seconds(11)); },
     {0, 0, 0, 0},
     {401, 200, 200, 401, 200, 200},
     1},
    {"ForgottenNonceRenewedWithOneRequest",
     as_it_is,
     [](sim::CameraSim& camera, sim::ManualClock&) { camera.forget_nonces(); },
     {0, 0, 0, 0},
     {401, 200, 200, 401, 200, 200},
     1},
    {"CameraRestarted",
     as_it_is,
     [](sim::CameraSim& camera, sim::ManualClock&) {
         camera.stop();
         camera.forget_nonces();
         camera.start();
     },
     {0, 0, 0, 0},
     {401, 200, 200, 401, 200, 200},
     2},
    {"CameraClosesEveryConnection",
     [](sim::Options& o) { o.close_connections = true; },
     nothing,
     {0, 0, 0, 0},
     {401, 200, 200, 200, 200},
     5},
    {"CameraFallsSilentThenAnswersAgain",
     as_it_is,
     [](sim::CameraSim& camera, sim::ManualClock&) {
         sim::Script silent;
         silent.mode = sim::Script::Mode::NeverAnswer;
         camera.script(kChannel + "/homeposition/goto", silent);
     },
     {0, 0, 1, 0},
     {401, 200, 200, 0, 200},
     2},
    {"WrongPasswordFailsAsWithoutASession",
     as_it_is,
     nothing,
     {10, 0, 10, 10},
     {401, 401, 401, 401, 401, 401, 401, 401},
     1,
     "admin:wrong"},
};

class SessionTest : public SimTest, public ::testing::WithParamInterface<SessionCase> {
protected:
    SessionTest() : SimTest(options()) {}
    static sim::Options options() {
        sim::Options o;
        GetParam().setup(o);
        return o;
    }
};

TEST_P(SessionTest, CostsOneRequestPerCommandAndRecovers) {
    const SessionCase& c = GetParam();
    Ptz::CameraOptions options;
    options.keep_session = true;
    Camera camera("127.0.0.1", c.userpwd, options);
    ::testing::internal::CaptureStderr();
    std::vector<int> codes = {camera.set_ptz_ctrl({1, 0, 0}),
                              camera.get_info("/ISAPI/System/deviceInfo")};
    c.between(*camera_sim, *clock);
    codes.push_back(camera.reset_position());
    codes.push_back(camera.set_ptz_aux(Ptz::PtzAux::Light, Ptz::PtzStatus::On));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(codes, c.codes);
    std::vector<unsigned> statuses;
    for (const auto& r : camera_sim->requests()) {
        statuses.push_back(r.status);
        // The kept handle carries neither the body nor the header of a PUT over to a GET.
        const bool put = r.method == "PUT";
        EXPECT_EQ(r.header("Content-Type").empty() && r.body.empty(), !put) << r.method;
    }
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(camera_sim->connections(), c.connections);
}

INSTANTIATE_TEST_SUITE_P(Session, SessionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SessionCase>& info) {
                             return info.param.name;
                         });

}  // namespace
