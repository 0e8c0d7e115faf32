// What only a kept session shows: the requests and connections a run of commands costs, and how
// it carries on when the camera expires or forgets its nonce, restarts, closes every connection,
// stops answering, refuses the credentials or locks the account; blocking and on an engine
// alike. The camera locks after 5 refused logins, as real ones do.

#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "ptz/engine.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

struct SessionCase {
    const char* name;
    void (*setup)(sim::Options&);
    // Between the second command and the third.
    void (*between)(sim::CameraSim&, sim::ManualClock&);
    std::vector<int> codes;          // of the four commands
    std::vector<unsigned> statuses;  // of every request the camera received
    unsigned long connections;
    const char* userpwd = kUserPwd;
    unsigned long refused_logins = 0;
    std::string last_line = "";  // of the fourth command, when it fails
    double hold = 30;            // seconds after refused credentials
};

void as_it_is(sim::Options&) {}
void nothing(sim::CameraSim&, sim::ManualClock&) {}

std::string held(const char* seconds) {
    return error_line("set_ptz_aux", std::string("The camera refused the credentials; the next "
                                                 "try is in ") +
                                         seconds + " s.");
}

// A camera that takes the password: the four commands succeed unless `codes` says otherwise.
SessionCase recovers(const char* name, void (*setup)(sim::Options&),
                     void (*between)(sim::CameraSim&, sim::ManualClock&),
                     std::vector<unsigned> statuses, unsigned long connections,
                     std::vector<int> codes = {0, 0, 0, 0}) {
    return {name, setup, between, std::move(codes), std::move(statuses), connections};
}

// A camera that refuses `userpwd`, or locks the account between the second command and the third;
// the fourth command's line says `hold_left` seconds.
SessionCase refused(const char* name, void (*between)(sim::CameraSim&, sim::ManualClock&),
                    std::vector<int> codes, std::vector<unsigned> statuses,
                    unsigned long connections, const char* userpwd, unsigned long refused_logins,
                    const char* hold_left, double hold = 30) {
    return {name,        as_it_is, between,        std::move(codes), std::move(statuses),
            connections, userpwd,  refused_logins, held(hold_left),  hold};
}

const SessionCase kCases[] = {
    recovers("OneRequestPerCommandOnOneConnection", as_it_is, nothing, {401, 200, 200, 200, 200},
             1),
    recovers(
        "OlderChallengeFormAnsweredAlike",
        [](sim::Options& o) { o.challenge = sim::DigestAuth::Form::Older; }, nothing,
        {401, 200, 200, 200, 200}, 1),
    recovers(
        "ExpiredNonceRenewedWithOneRequest",
        [](sim::Options& o) { o.nonce_lifetime = std::chrono::seconds(10); },
        [](sim::CameraSim&, sim::ManualClock& clock) { clock.advance(std::chrono::seconds(11)); },
        {401, 200, 200, 401, 200, 200}, 1),
    // The retry asks for a challenge afresh: answering the refusal's own would cost a camera that
    // refuses it (a changed password, a lock) two refused logins in one try.
    recovers(
        "ForgottenNonceRenewedWithOneRetry", as_it_is,
        [](sim::CameraSim& camera, sim::ManualClock&) { camera.forget_nonces(); },
        {401, 200, 200, 401, 401, 200, 200}, 1),
    recovers(
        "CameraRestarted", as_it_is,
        [](sim::CameraSim& camera, sim::ManualClock&) {
            camera.stop();
            camera.forget_nonces();
            camera.start();
        },
        {401, 200, 200, 401, 401, 200, 200}, 2),
    recovers(
        "CameraClosesEveryConnection", [](sim::Options& o) { o.close_connections = true; }, nothing,
        {401, 200, 200, 200, 200}, 5),
    recovers("CameraFallsSilentThenAnswersAgain", as_it_is,
             [](sim::CameraSim& camera, sim::ManualClock&) {
                 sim::Script silent;
                 silent.mode = sim::Script::Mode::NeverAnswer;
                 camera.script(kChannel + "/homeposition/goto", silent);
             },
             {401, 200, 200, 0, 200}, 2, {0, 0, 1, 0}),
    // A host that polls with a wrong password costs the account one refused login per hold.
    refused("WrongPasswordRefusedOnceThenHeld", nothing, {10, 10, 10, 10}, {401, 401}, 1,
            "admin:wrong", 1, "30"),
    // Another host locks the account; the camera refuses this one too, and says how long.
    refused(
        "LockedAccountHeldForItsUnlockTime",
        [](sim::CameraSim&, sim::ManualClock&) {
            Camera other("127.0.0.1", "admin:wrong", kept_session());
            for (int i = 0; i < 5; ++i) {
                other.set_refusal_hold(0);
                other.reset_position();
            }
        },
        {0, 0, 10, 10},
        {401, 200, 200, 401, 401, 401, 401, 401, 401, 401, 401, 401, 401, 401, 401, 401}, 2,
        kUserPwd, 5, "1800"),
};

// Each case blocking and on an engine.
class SessionTest : public SimTest,
                    public ::testing::WithParamInterface<std::tuple<SessionCase, bool>> {
protected:
    SessionTest() : SimTest(options()) {}
    static sim::Options options() {
        sim::Options o;
        o.lock_after = 5;
        std::get<0>(GetParam()).setup(o);
        return o;
    }
    // The four commands' results, in either form.
    int set_ptz_ctrl(Camera& camera) {
        return engine_ ? on_engine(camera.set_ptz_ctrl(*engine_, {1, 0, 0}, done()))
                       : camera.set_ptz_ctrl({1, 0, 0});
    }
    int get_info(Camera& camera) {
        const char* const path = "/ISAPI/System/deviceInfo";
        return engine_ ? on_engine(camera.get_info(
                             *engine_, path, [this](int k, const std::string&) { code_ = k; }))
                       : camera.get_info(path);
    }
    int reset_position(Camera& camera) {
        return engine_ ? on_engine(camera.reset_position(*engine_, done()))
                       : camera.reset_position();
    }
    int set_ptz_aux(Camera& camera) {
        const auto aux = Ptz::PtzAux::Light;
        const auto on = Ptz::PtzStatus::On;
        return engine_ ? on_engine(camera.set_ptz_aux(*engine_, aux, on, done()))
                       : camera.set_ptz_aux(aux, on);
    }

private:
    Ptz::Callback done() {
        return [this](int k) { code_ = k; };
    }
    int on_engine(const Ptz::Operation&) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (code_ == INT_MIN && std::chrono::steady_clock::now() < until) {
            engine_->run(50);
        }
        return std::exchange(code_, INT_MIN);
    }
    std::unique_ptr<Ptz::Engine> engine_{std::get<1>(GetParam()) ? new Ptz::Engine : nullptr};
    int code_ = INT_MIN;
};

TEST_P(SessionTest, CostsOneRequestPerCommandAndRecovers) {
    const SessionCase& c = std::get<0>(GetParam());
    Camera camera("127.0.0.1", c.userpwd, kept_session());
    ASSERT_EQ(camera.set_refusal_hold(c.hold), 0);
    std::vector<int> codes;
    stderr_of([&] {
        codes = {set_ptz_ctrl(camera), get_info(camera)};
        c.between(*camera_sim, *clock);
        codes.push_back(reset_position(camera));
    });
    const std::string last = stderr_of([&] { codes.push_back(set_ptz_aux(camera)); });
    EXPECT_EQ(codes, c.codes);
    EXPECT_EQ(last, c.last_line);
    std::vector<unsigned> statuses;
    for (const auto& r : camera_sim->requests()) {
        statuses.push_back(r.status);
        // The kept handle carries neither the body nor the header of a PUT over to a GET.
        EXPECT_EQ(r.header("Content-Type").empty() && r.body.empty(), r.method != "PUT")
            << r.method;
    }
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(camera_sim->connections(), c.connections);
    EXPECT_EQ(camera_sim->refused_logins(), c.refused_logins);
}

INSTANTIATE_TEST_SUITE_P(Session, SessionTest,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<SessionCase, bool>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_Engine" : "");
                         });

// A child of fork() makes a connection of its own, challenged afresh: on the one it inherited each
// process would read the other's answers. Over https its goodbye to that one, which would end it
// for the parent, goes nowhere: the parent goes on on its connection.
class ForkTest : public SimTest {
protected:
    ForkTest() : SimTest(https()) {}
    static sim::Options https() {
        sim::Options o;
        serve_https(o, "localhost");
        return o;
    }
};

TEST_F(ForkTest, ChildConnectsAfreshAndLeavesTheParentsConnectionAlone) {
    Ptz::CameraOptions options = kept_session();
    options.https = true;
    options.ca_file = cert("test-ca.pem");
    Camera camera("localhost", kUserPwd, options);
    ASSERT_EQ(camera.get_info("/ISAPI/System/deviceInfo"), 0);
    // AddressSanitizer's allocator is not locked across fork(): a child forked while the camera's
    // thread allocated, still at work on its last answer, would wait on that lock for ever. So
    // each fork waits until this thread alone is awake.
    const auto fork_alone = [] {
        for (int awake = 2; awake > 1;) {
            awake = 0;
            for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
                const std::string stat = read_file(task.path() / "stat");
                awake += stat[stat.rfind(')') + 2] != 'S';
            }
        }
        return fork();
    };
    const pid_t child = fork_alone();
    if (child == 0) {
        _exit(camera.get_info("/ISAPI/System/deviceInfo") == 0 ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    // A child that only lets the camera go says no goodbye on the parent's connection either.
    const pid_t leaving = fork_alone();
    if (leaving == 0) {
        camera.~ZelkoPtzCameraIsapi();
        _exit(0);
    }
    ASSERT_EQ(waitpid(leaving, &status, 0), leaving);
    EXPECT_EQ(camera.get_info("/ISAPI/System/deviceInfo"), 0);
    ASSERT_EQ(camera_sim->requests().size(), 5u);
    EXPECT_EQ(camera_sim->requests()[2].status, 401u);  // the child's first, unanswered
    EXPECT_EQ(camera_sim->connections(), 2u);
}

// The session answers a path that libcurl rewrites (dot segments, bytes it escapes) with the
// target libcurl sends, which the camera checks.
TEST_F(SimTest, KeptSessionAnswersForTheTargetAsSent) {
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    EXPECT_EQ(camera.get_info("/ISAPI/x/../System/caf\xc3\xa9?at=./y"), 0);
    EXPECT_EQ(camera.get_info("/ISAPI/System/deviceInfo"), 0);
    EXPECT_EQ(sent(), (std::vector<std::string>{"GET /ISAPI/System/caf%c3%a9?at=./y",
                                                "GET /ISAPI/System/deviceInfo"}));
    EXPECT_EQ(camera_sim->requests().size(), 3u);
}

// What the session sends to a camera that challenges every request alike: the kind of each
// Authorization header ("" for none), with the algorithm it names.
struct ChallengeCase {
    const char* name;
    const char* challenge;
    std::vector<std::string> answers;
    int code;  // of get_info(): 2 for the empty body of a refusal delivered
    const char* reason;
};

const ChallengeCase kChallenges[] = {
    // libcurl asks afresh and answers, once.
    {"AnotherDigestLeftToLibcurl",
     "Digest realm=\"PTZ Camera\", qop=\"auth\", nonce=\"n\", algorithm=SHA-256",
     {"", "", "Digest algorithm=SHA-256"},
     2,
     "the answer is not XML (HTTP 401)"},
    // A challenge is followed once a request: a camera that calls its fresh nonce stale fails
    // the transfer, as libcurl fails it, rather than being answered until the time-out.
    {"FreshNonceCalledStale",
     "Digest realm=\"PTZ Camera\", qop=\"auth\", nonce=\"n\", stale=TRUE",
     {"", "Digest"},
     1,
     "Maximum (1) redirects followed"},
    {"BasicNeverAnswered",
     "Basic realm=\"PTZ Camera\"",
     {""},
     2,
     "the answer is not XML (HTTP 401)"},
};

class ChallengeTest : public SimTest, public ::testing::WithParamInterface<ChallengeCase> {};

TEST_P(ChallengeTest, KeptSessionAnswersAsLibcurlWould) {
    sim::Script refusal = answer("");
    refusal.status = 401;
    refusal.before_auth = true;
    refusal.headers = {{"WWW-Authenticate", GetParam().challenge}};
    camera_sim->script("/ISAPI/System/deviceInfo", refusal);
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    int code = -1;
    stderr_of([&] { code = camera.get_info("/ISAPI/System/deviceInfo"); });
    EXPECT_EQ(code, GetParam().code);
    EXPECT_EQ(camera.failure_reason(), GetParam().reason);
    std::vector<std::string> answers;
    for (const auto& r : camera_sim->requests()) {
        const std::string authorization = r.header("Authorization");
        const std::size_t algorithm = authorization.find("algorithm=");
        answers.push_back(
            authorization.substr(0, authorization.find(' ')) +
            (algorithm != std::string::npos ? " " + authorization.substr(algorithm) : ""));
    }
    EXPECT_EQ(answers, GetParam().answers);
}

INSTANTIATE_TEST_SUITE_P(Refusals, ChallengeTest, ::testing::ValuesIn(kChallenges), ByName());

}  // namespace
