// What only the engine shows: a thousand cameras from one thread, the order of one camera's
// requests while it waits, cancelling in each state, destroying a camera or the engine with
// operations pending, a blocking call meanwhile, a host's own epoll loop and the hand-over to
// another, a callback that throws, the host's own time-outs, a nonce forgotten in the middle of a
// command, and a kept connection that the camera closes while it is idle. The operations matrix
// holds every method to its blocking form.

#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <map>
#include <memory>

#include "ptz/engine.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;
using Clock = std::chrono::steady_clock;

const int kCancelled = static_cast<int>(Ptz::Result::Cancelled);

// Runs `engine` until nothing is pending, at most `seconds`.
void settle(Ptz::Engine& engine, double seconds = 10) {
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (engine.run(50) > 0 && Clock::now() < until) {
    }
}

// The codes callbacks were called with, in order.
struct Codes {
    std::vector<int> got;
    Ptz::Callback add() {
        return [this](int code) { got.push_back(code); };
    }
    template <typename Value = Ptz::PtzPosition>
    Ptz::ValueCallback<Value> add_value() {
        return [this](int code, const Value&) { got.push_back(code); };
    }
};

class EngineTest : public SimTest {
protected:
    EngineTest() : SimTest(channels(8)) {}
    static sim::Options channels(int n) {
        sim::Options o;
        o.channels = n;
        return o;
    }
};

// A stop asked while the camera waits goes out before the wait's next read.
TEST_F(EngineTest, RequestOfAnotherOperationGoesBetweenTheReadsOfAWait) {
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    struct Watch {
        Ptz::Engine& engine;
        Camera& camera;
        Codes codes;
        int reads = 0;
    } watch{engine, camera, {}};
    camera.wait_for_stop(
        engine, 10.0, watch.codes.add_value(),
        [](void* user, const Ptz::PtzPosition&) {
            Watch& w = *static_cast<Watch*>(user);
            if (++w.reads == 2) {
                w.camera.set_ptz_ctrl(w.engine, {0, 0, 0}, w.codes.add());
            }
            return false;
        },
        &watch);
    settle(engine);
    EXPECT_EQ(watch.codes.got, (std::vector<int>{0, 0}));
    std::vector<std::string> requests = sent();
    ASSERT_GE(requests.size(), 7u) << "0.5 s still, read every 0.1 s";
    requests.resize(4);
    EXPECT_EQ(requests, (std::vector<std::string>{"GET " + kAbs, "GET " + kAbs, "PUT " + kCtrl,
                                                  "GET " + kAbs}));
    EXPECT_EQ(camera_sim->connections(), 1u);
}

struct CancelCase {
    const char* name;
    // Submits what is cancelled, and anything before it; returns the operation to cancel.
    Ptz::Operation (*submit)(Ptz::Engine&, Camera&, Codes&);
    const char* operation;              // of the cancelled one's line
    bool run_first;                     // runs the engine for 0.25 s before cancelling
    std::vector<int> codes;             // of every callback, in order
    std::vector<std::string> requests;  // that the camera received, authenticated or not
    int left;                           // operations pending afterwards
};

const CancelCase kCancels[] = {
    {"BeforeItStarted",
     [](Ptz::Engine& e, Camera& c, Codes& codes) { return c.reset_position(e, codes.add()); },
     "reset_position",
     false,
     {kCancelled},
     {},
     0},
    {"InFlight",
     [](Ptz::Engine& e, Camera& c, Codes& codes) {
         return c.get_capabilities(e, codes.add_value<Ptz::PtzCapabilities>());
     },
     "get_capabilities",
     true,
     {kCancelled},
     {"GET " + kChannel + "/capabilities"},
     0},
    {"QueuedBehindOneInFlight",
     [](Ptz::Engine& e, Camera& c, Codes& codes) {
         c.get_capabilities(e, codes.add_value<Ptz::PtzCapabilities>());
         return c.reset_position(e, codes.add());
     },
     "reset_position",
     true,
     {kCancelled},
     {"GET " + kChannel + "/capabilities"},
     1},
    {"WaitingBetweenReads",
     [](Ptz::Engine& e, Camera& c, Codes& codes) {
         return c.wait_for_stop(e, 10.0, codes.add_value());
     },
     "wait_for_stop",
     true,
     {kCancelled},
     {"GET " + kAbs, "GET " + kAbs, "GET " + kAbs},
     0},
};

class EngineCancelTest : public EngineTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(EngineCancelTest, CallbackOnceWithSixAndNothingMoreSent) {
    const CancelCase& c = GetParam();
    silence("/capabilities");
    Codes codes;  // outlives the engine, whose destructor ends what is left
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    // Challenged first, so that each request after is one.
    ASSERT_EQ(camera.set_ptz_ctrl({0, 0, 0}), 0);
    camera_sim->clear_requests();
    const Ptz::Operation op = c.submit(engine, camera, codes);
    const auto start = Clock::now();
    while (c.run_first && Clock::now() - start < std::chrono::milliseconds(250)) {
        engine.run(10);
    }
    const std::string written = stderr_of([&] {
        EXPECT_TRUE(op.cancel());
        EXPECT_FALSE(op.cancel()) << "cancelled twice";
        // The rest of the time of a wait's reads, and a silent camera's.
        const auto until = Clock::now() + std::chrono::milliseconds(300);
        while (Clock::now() < until) {
            engine.run(10);
        }
    });
    EXPECT_EQ(codes.got, c.codes);
    EXPECT_EQ(written, error_line(c.operation, "The operation was cancelled."));
    std::vector<std::string> requests;
    for (const auto& r : camera_sim->requests()) {
        requests.push_back(r.method + " " + r.target);
    }
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(engine.pending(), c.left);
    EXPECT_FALSE(op.cancel()) << "ended already";
}

INSTANTIATE_TEST_SUITE_P(States, EngineCancelTest, ::testing::ValuesIn(kCancels), ByName());

struct CoalesceCase {
    const char* name;
    bool on;
    // Submits everything at once, the first of it going in flight while the rest wait.
    void (*submit)(Ptz::Engine&, Camera&, Codes&);
    std::vector<int> codes;             // of every callback, in the order they ran
    std::vector<std::string> requests;  // "METHOD resource first-value" the camera received
};

Ptz::PtzPosition elevation(float degrees) {
    Ptz::PtzPosition p{};
    p.elevation = degrees;
    p.present = Ptz::PtzPosition::Elevation;
    return p;
}

const Ptz::PtzAbsoluteEx kZoomed{10, 20, 2, 29000, 0, 0.5f, 0.5f};

void joystick(Ptz::Engine& e, Camera& c, Codes& codes) {
    for (const int pan : {10, 20, 30, 0}) {
        c.set_ptz_ctrl(e, {pan, 0, 0}, codes.add());
    }
}

const CoalesceCase kCoalesces[] = {
    {"JoystickSendsTheMoveInFlightAndTheLast",
     true,
     joystick,
     {kCancelled, kCancelled, 0, 0},
     {"PUT /continuous pan=10", "PUT /continuous pan=0"}},
    {"OffSendsEveryMove",
     false,
     joystick,
     {0, 0, 0, 0},
     {"PUT /continuous pan=10", "PUT /continuous pan=20", "PUT /continuous pan=30",
      "PUT /continuous pan=0"}},
    {"EachMoveReplacesItsOwnMethodAlone",
     true,
     [](Ptz::Engine& e, Camera& c, Codes& codes) {
         c.set_ptz_ctrl(e, {10, 0, 0}, codes.add());
         c.set_focus(e, 50, codes.add());
         c.set_iris(e, 50, codes.add());
         c.set_position(e, elevation(5), codes.add());
         c.set_ptz_absoluteEx(e, {10, 20, 1, 29000, 0, 0.5f, 0.5f}, codes.add());
         // In the other order, so that each replaces its own rather than the first waiting.
         c.set_ptz_absoluteEx(e, kZoomed, codes.add());
         c.set_position(e, elevation(-5), codes.add());
         c.set_iris(e, -50, codes.add());
         c.set_focus(e, 0, codes.add());
     },
     {kCancelled, kCancelled, kCancelled, kCancelled, 0, 0, 0, 0, 0},
     {"PUT /continuous pan=10", "PUT /absoluteEx absoluteZoom=2.000000",
      "PUT /absoluteEx elevation=-5.000000", "PUT /iris iris=-50", "PUT /focus focus=0"}},
    {"ReadsNudgesAndClicksKeepTheirPlace",
     true,
     [](Ptz::Engine& e, Camera& c, Codes& codes) {
         c.set_ptz_ctrl(e, {10, 0, 0}, codes.add());
         c.get_position(e, codes.add_value());
         c.move_for(e, {10, 0, 0}, 100, codes.add());
         c.move_for(e, {-10, 0, 0}, 100, codes.add());
         c.center_on(e, 0, 0, codes.add());
         c.center_on(e, 1, 1, codes.add());
         c.set_ptz_ctrl(e, {20, 0, 0}, codes.add());
         c.set_ptz_ctrl(e, {0, 0, 0}, codes.add());
     },
     {kCancelled, 0, 0, 0, 0, 0, 0, 0},
     {"PUT /continuous pan=10", "GET /absoluteEx ", "PUT /momentary pan=10",
      "PUT /momentary pan=-10", "PUT /position3D positionX=0", "PUT /position3D positionX=255",
      "PUT /continuous pan=0"}},
};

// "name=value" of the first element of `body` that holds a value; "" for none.
std::string first_value(const std::string& body) {
    const std::size_t close = body.find("</");
    if (close == std::string::npos) {
        return "";
    }
    const std::size_t open = body.rfind('<', close - 1);
    const std::size_t end = body.find('>', open);
    return body.substr(open + 1, end - open - 1) + "=" + body.substr(end + 1, close - end - 1);
}

class EngineCoalesceTest : public EngineTest, public ::testing::WithParamInterface<CoalesceCase> {};

TEST_P(EngineCoalesceTest, LaterMoveReplacesTheOneWaitingWithSixAndNoLine) {
    const CoalesceCase& c = GetParam();
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    ASSERT_EQ(camera.set_ptz_ctrl({0, 0, 0}), 0);  // challenged first
    camera_sim->clear_requests();
    camera.set_move_coalescing(c.on);
    Codes codes;
    const std::string written = stderr_of([&] {
        c.submit(engine, camera, codes);
        settle(engine);
    });
    EXPECT_EQ(codes.got, c.codes);
    EXPECT_EQ(written, "");
    std::vector<std::string> requests;
    for (const auto& r : camera_sim->requests()) {
        requests.push_back(r.method + " " + r.target.substr(r.target.find("channels/1") + 10) +
                           " " + first_value(r.body));
    }
    EXPECT_EQ(requests, c.requests);
}

INSTANTIATE_TEST_SUITE_P(Moves, EngineCoalesceTest, ::testing::ValuesIn(kCoalesces), ByName());

TEST_F(EngineTest, ReplacedMoveSaysWhyInFailureReason) {
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    camera.set_move_coalescing(true);
    std::string reason;
    camera.set_ptz_ctrl(engine, {10, 0, 0}, [](int) {});
    camera.set_ptz_ctrl(engine, {20, 0, 0}, [&](int) { reason = camera.failure_reason(); });
    camera.set_ptz_ctrl(engine, {0, 0, 0}, [](int) {});
    settle(engine);
    EXPECT_EQ(reason, "replaced by a later set_ptz_ctrl");
}

TEST_F(EngineTest, DestroyedCameraEndsItsOperationsQuietlyAtTheNextRun) {
    Ptz::Engine engine;
    Codes codes;
    auto camera = std::make_unique<Camera>("127.0.0.1", kUserPwd, kept_session());
    camera->reset_position(engine, codes.add());
    camera->get_position(engine, codes.add_value());
    const std::string written = stderr_of([&] {
        camera.reset();
        EXPECT_TRUE(codes.got.empty()) << "a callback ran inside the destructor";
        settle(engine);
    });
    EXPECT_EQ(codes.got, (std::vector<int>{kCancelled, kCancelled}));
    EXPECT_EQ(written, "");
    EXPECT_EQ(camera_sim->requests().size(), 0u);
}

TEST_F(EngineTest, DestroyedEngineEndsEveryOperationFromItsDestructor) {
    silence("/homeposition/goto");
    Codes codes;
    Camera camera("127.0.0.1", kUserPwd);
    const std::string written = stderr_of([&] {
        Ptz::Operation op;
        {
            Ptz::Engine engine;
            camera.reset_position(engine, codes.add());
            op = camera.set_ptz_ctrl(engine, {1, 0, 0}, codes.add());
            for (int i = 0; i < 20; ++i) {
                engine.run(10);
            }
        }
        EXPECT_EQ(codes.got, (std::vector<int>{kCancelled, kCancelled}));
        EXPECT_FALSE(op.cancel()) << "an operation outlives its engine, inert";
    });
    EXPECT_EQ(written, error_line("reset_position", "The operation was cancelled.") +
                           error_line("set_ptz_ctrl", "The operation was cancelled."));
    // The camera is free again.
    EXPECT_EQ(camera.get_info("/ISAPI/System/deviceInfo"), 0);
}

// A run that has called back returns without waiting: run(-1) would otherwise wait for ever.
TEST_F(EngineTest, RunThatCalledBackReturnsWithoutWaiting) {
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    Codes codes;
    stderr_of([&] {
        for (int i = 0; i < 2; ++i) {  // the second from the thread that drives, no wakeup
            camera.center_on(engine, 2.0f, 0.0f, codes.add());
            EXPECT_EQ(engine.run(-1), 0);
        }
    });
    EXPECT_EQ(codes.got, (std::vector<int>{10, 10}));
    EXPECT_EQ(camera_sim->requests().size(), 0u);
}

TEST_F(EngineTest, BlockingCallWhileOperationsArePendingIsRefused) {
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd);
    Codes codes;
    camera.reset_position(engine, codes.add());
    EXPECT_EQ(stderr_of([&] {
                  EXPECT_EQ(camera.set_ptz_ctrl({1, 0, 0}), 10);
              }),
              error_line("set_ptz_ctrl",
                         "The camera has operations pending on an engine; a "
                         "blocking call waits until they end."));
    Ptz::Engine other;
    camera.set_ptz_ctrl(other, {1, 0, 0}, codes.add());
    EXPECT_EQ(stderr_of([&] { settle(other); }),
              error_line("set_ptz_ctrl",
                         "The camera has operations pending on another engine; "
                         "submit to that one."));
    settle(engine);
    // Its operations ended, the camera goes to any engine.
    camera.set_ptz_ctrl(other, {0, 0, 0}, codes.add());
    settle(other);
    EXPECT_EQ(codes.got, (std::vector<int>{10, 0, 0}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"PUT " + kChannel + "/homeposition/goto",
                                                "PUT " + kChannel + "/continuous"}));
}

TEST_F(EngineTest, ThrowingCallbackIsReportedAndTheEngineGoesOn) {
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    Codes codes;
    camera.reset_position(engine, [](int) { throw std::runtime_error("boom"); });
    camera.set_ptz_ctrl(engine, {1, 0, 0}, codes.add());
    EXPECT_EQ(stderr_of([&] { settle(engine); }),
              error_line("reset_position", "A callback of the host threw: boom."));
    EXPECT_EQ(codes.got, (std::vector<int>{0}));
}

// The host's time-outs, blocking and on an engine: a silent camera fails after them.
TEST_F(EngineTest, HostsTimeOutsBoundEachRequest) {
    silence("/homeposition/goto");
    Camera camera("127.0.0.1", kUserPwd);
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(camera.set_timeouts(0.05, 700), 10); }),
              error_line("set_timeouts", "Please input time-outs of 0.1 to 600 seconds."));
    ASSERT_EQ(camera.set_timeouts(0.5, 0.3), 0);
    auto start = Clock::now();
    stderr_of([&] { EXPECT_EQ(camera.reset_position(), 1); });
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    // libcurl counts whole milliseconds, rounding each part of a time: up to 1 ms short.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(290));
    Ptz::Engine engine;
    Codes codes;
    start = Clock::now();
    camera.reset_position(engine, codes.add());
    stderr_of([&] { settle(engine); });
    EXPECT_EQ(codes.got, (std::vector<int>{1}));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(290));
}

// An interrupt check gives up a blocking call on a silent camera, well before its time-out, and
// the kept session takes the next call.
TEST_F(EngineTest, InterruptCheckGivesUpABlockingRequest) {
    silence("/homeposition/goto");
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    ASSERT_EQ(camera.set_timeouts(5, 60), 0);
    int asked = 0;
    camera.set_interrupt_check([&] { return ++asked >= 2; });
    EXPECT_EQ(stderr_of([&] { EXPECT_EQ(camera.reset_position(), 6); }),
              error_line("reset_position", "The operation was cancelled."));
    EXPECT_EQ(asked, 2);
    camera.set_interrupt_check(nullptr);
    Ptz::PtzPosition where;
    EXPECT_EQ(camera.get_position(where), 0);
}

// The camera forgets its nonces (it restarted) twice during a command of several requests: each
// time, the next request renews the session with one retry of its own.
TEST_F(EngineTest, ForgottenNonceRenewedAtEachRequestOfACommand) {
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    ASSERT_EQ(camera.reset_position(), 0);
    camera_sim->forget_nonces();
    Codes codes;
    camera.wait_for_stop(engine, 5.0, codes.add_value());
    // Between the first read and the second, 100 ms later.
    while (camera_sim->requests().size() < 5 && engine.run(10) > 0) {
    }
    camera_sim->forget_nonces();
    settle(engine);
    EXPECT_EQ(codes.got, (std::vector<int>{0}));
    std::vector<unsigned> statuses;
    for (const auto& r : camera_sim->requests()) {
        statuses.push_back(r.status);
    }
    ASSERT_GE(statuses.size(), 8u);
    EXPECT_EQ(std::vector<unsigned>(statuses.begin(), statuses.begin() + 8),
              (std::vector<unsigned>{401, 200, 401, 401, 200, 401, 401, 200}));
}

// A kept session's first request is challenged: the answer to the challenge has what is left of
// the total time-out, not all of it again, blocking and on an engine.
class SlowCameraTest : public SimTest {
protected:
    SlowCameraTest() : SimTest(slow()) {}
    static sim::Options slow() {
        sim::Options o;
        o.answer_delay = std::chrono::milliseconds(600);
        return o;
    }
};

TEST_F(SlowCameraTest, ChallengeAndItsAnswerShareOneTimeOut) {
    Camera blocking("127.0.0.1", kUserPwd, kept_session());
    Camera queued("127.0.0.1", kUserPwd, kept_session());
    ASSERT_EQ(blocking.set_timeouts(0.5, 1.0), 0);
    ASSERT_EQ(queued.set_timeouts(0.5, 1.0), 0);
    Ptz::Engine engine;
    Codes codes;
    stderr_of([&] {
        codes.got.push_back(blocking.reset_position());
        queued.reset_position(engine, codes.add());
        settle(engine);
    });
    EXPECT_EQ(codes.got, (std::vector<int>{1, 1}));
    EXPECT_EQ(queued.failure_reason().rfind("Operation timed out after ", 0), 0u)
        << queued.failure_reason();
}

// The camera closes a kept connection between commands (it restarts). The engine keeps the socket
// of an idle connection in its set: neither may the closed socket make run() spin, nor may the new
// connection that takes its number go unwatched. The socket closes while run() waits, or closes
// only here, its number taken by the new one, while a child forked without exec holds it open.
class IdleConnectionTest : public EngineTest, public ::testing::WithParamInterface<bool> {};

TEST_P(IdleConnectionTest, ClosedByTheCameraNeitherSpinsNorHangs) {
    const bool child_holds_it = GetParam();
    Codes codes;
    Ptz::Engine engine;
    Camera camera("127.0.0.1", kUserPwd, kept_session());
    camera.get_position(engine, codes.add_value());
    settle(engine);
    int gate[2] = {-1, -1};
    pid_t child = -1;
    if (child_holds_it) {
        int ready[2] = {-1, -1};
        ASSERT_EQ(pipe(gate), 0);
        ASSERT_EQ(pipe(ready), 0);
        child = fork();
        if (child == 0) {
            // The host's sockets, not the camera's, which shares this process here.
            for (int fd = 3; fd < 1024; ++fd) {
                sockaddr_in local{};
                socklen_t size = sizeof local;
                if (fd == gate[1] || fd == ready[0] ||
                    (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 &&
                     local.sin_family == AF_INET && local.sin_port == htons(80))) {
                    close(fd);
                }
            }
            char byte = 0;
            [[maybe_unused]] const ssize_t told = write(ready[1], &byte, 1);
            [[maybe_unused]] const ssize_t got = read(gate[0], &byte, 1);
            _exit(0);
        }
        // Only once the child has let go of the camera's end does the camera's close reach the
        // host: otherwise the host may send on a connection that no one will answer.
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
    }
    camera_sim->stop();
    camera_sim->forget_nonces();
    camera_sim->start();
    const auto waits_its_time = [&engine] {
        engine.run(200);  // a closed socket may wake the first
        const auto start = Clock::now();
        EXPECT_EQ(engine.run(200), 0);
        return Clock::now() - start >= std::chrono::milliseconds(150);
    };
    if (!child_holds_it) {
        EXPECT_TRUE(waits_its_time()) << "the closed socket woke run() again";
    }
    camera.get_position(engine, codes.add_value());
    settle(engine, 3);
    EXPECT_TRUE(waits_its_time()) << "a socket closed or gone woke run() again";
    if (child_holds_it) {
        close(gate[1]);
        waitpid(child, nullptr, 0);
        close(gate[0]);
    }
    EXPECT_EQ(codes.got, (std::vector<int>{0, 0}));
    EXPECT_EQ(camera_sim->connections(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Engine, IdleConnectionTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "HeldOpenByAForkedChild" : "ClosedWhileRunWaits";
                         });

// A host's event loop on epoll with a timerfd, as a server or a Qt console would drive it.
struct EpollLoop {
    int epoll = epoll_create1(0);
    int timer = timerfd_create(CLOCK_MONOTONIC, 0);
    std::map<int, int> watched;
    Ptz::Engine* engine = nullptr;

    EpollLoop() {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = timer;
        epoll_ctl(epoll, EPOLL_CTL_ADD, timer, &event);
    }
    ~EpollLoop() {
        close(timer);
        close(epoll);
    }
    static void socket(void* user, int fd, int events) {
        EpollLoop& loop = *static_cast<EpollLoop*>(user);
        epoll_event event{};
        event.events = ((events & Ptz::Engine::Read) ? EPOLLIN : 0u) |
                       ((events & Ptz::Engine::Write) ? EPOLLOUT : 0u);
        event.data.fd = fd;
        if (events == 0) {
            epoll_ctl(loop.epoll, EPOLL_CTL_DEL, fd, nullptr);  // it may be closed already
            loop.watched.erase(fd);
        } else if (epoll_ctl(loop.epoll, EPOLL_CTL_MOD, fd, &event) != 0) {
            epoll_ctl(loop.epoll, EPOLL_CTL_ADD, fd, &event);
        }
        if (events != 0) {
            loop.watched[fd] = events;
        }
    }
    static void timeout(void* user, long ms) {
        EpollLoop& loop = *static_cast<EpollLoop*>(user);
        itimerspec when{};
        // A zero value would disarm the timer: "as soon as possible" is a nanosecond.
        when.it_value.tv_sec = ms > 0 ? ms / 1000 : 0;
        when.it_value.tv_nsec = ms > 0 ? (ms % 1000) * 1000000 : ms == 0 ? 1 : 0;
        timerfd_settime(loop.timer, 0, &when, nullptr);
    }
    void turn() {
        epoll_event events[64];
        const int n = epoll_wait(epoll, events, 64, 100);
        for (int i = 0; i < n; ++i) {
            if (events[i].data.fd == timer) {
                std::uint64_t expirations = 0;
                [[maybe_unused]] auto got = read(timer, &expirations, sizeof expirations);
                engine->on_timeout();
            } else {
                engine->on_socket(events[i].data.fd,
                                  ((events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) ? 1 : 0) |
                                      ((events[i].events & EPOLLOUT) ? 2 : 0));
            }
        }
    }
};

TEST_F(EngineTest, HostsEpollLoopDrivesEightCameras) {
    EpollLoop loop;
    EpollLoop next;  // the engine is handed over to it
    Ptz::Engine engine;
    loop.engine = &engine;
    next.engine = &engine;
    ASSERT_EQ(engine.set_hooks({EpollLoop::socket, EpollLoop::timeout, &loop}), 0);
    EXPECT_EQ(engine.run(0), -10) << "run() is not for an engine with hooks";
    EXPECT_EQ(loop.watched.size(), 1u) << "the engine's own fd, for submissions";
    std::vector<std::unique_ptr<Camera>> cameras;
    Codes codes;
    for (int channel = 1; channel <= 8; ++channel) {
        cameras.push_back(std::make_unique<Camera>("127.0.0.1", kUserPwd, kept_session(channel)));
        cameras.back()->set_ptz_ctrl(engine, {channel, 0, 0}, codes.add());
        cameras.back()->wait_for_stop(engine, 5.0, codes.add_value());
    }
    for (int i = 0; i < 100 && engine.pending() > 0; ++i) {
        loop.turn();
    }
    EXPECT_EQ(codes.got.size(), 16u);
    EXPECT_EQ(codes.got, std::vector<int>(16, 0));
    for (int channel = 1; channel <= 8; ++channel) {
        EXPECT_EQ(camera_sim->state(channel).motion.pan, channel);
    }
    EXPECT_EQ(camera_sim->connections(), 8u);
    // Submitted from the loop's own thread between its turns: the loop is woken for it.
    cameras[0]->set_ptz_ctrl(engine, {0, 0, 0}, codes.add());
    EXPECT_EQ(engine.set_hooks({EpollLoop::socket, EpollLoop::timeout, &next}), 10)
        << "handed over with an operation pending";
    for (int i = 0; i < 20 && engine.pending() > 0; ++i) {
        loop.turn();
    }
    EXPECT_EQ(codes.got.size(), 17u);
    // Handed over idle: the first loop lets go of every fd, the next watches them.
    const std::map<int, int> watched = loop.watched;
    ASSERT_EQ(engine.set_hooks({EpollLoop::socket, EpollLoop::timeout, &next}), 0);
    EXPECT_TRUE(loop.watched.empty());
    EXPECT_EQ(next.watched, watched);
    cameras.clear();
    EXPECT_EQ(next.watched.size(), 1u) << "the sockets were let go";
}

// A thousand cameras from one thread, at first contact and again, and silent.
class FleetTest : public SimTest {
protected:
    static const int kCameras = 1000;
    FleetTest() : SimTest(fleet()) {}
    static sim::Options fleet() {
        sim::Options o;
        o.cameras = kCameras;
        o.record = false;
        return o;
    }
    // 127.0.0.1, 127.0.0.2, ... 127.0.3.232.
    static std::string address(int camera) {
        const int n = camera + 1;
        return "127.0." + std::to_string(n / 256) + "." + std::to_string(n % 256);
    }
    void SetUp() override {
        // A socket each on both sides, in this one process.
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        ASSERT_GE(files.rlim_cur, 4u * kCameras) << "raise the limit of open files";
        SimTest::SetUp();
        for (int camera = 0; camera < kCameras; ++camera) {
            cameras.push_back(std::make_unique<Camera>(address(camera), kUserPwd, kept_session()));
        }
    }
    std::vector<std::unique_ptr<Camera>> cameras;
};

TEST_F(FleetTest, ThousandCamerasSteeredAndReadFromOneThread) {
    Ptz::Engine engine;
    Codes codes;
    for (int camera = 0; camera < kCameras; ++camera) {
        cameras[camera]->set_ptz_ctrl(engine, {camera % 100, 0, 0}, codes.add());
        cameras[camera]->get_position(engine, codes.add_value());
    }
    settle(engine, 20);
    EXPECT_EQ(codes.got, std::vector<int>(2 * kCameras, 0));
    for (int camera = 0; camera < kCameras; camera += 111) {
        EXPECT_EQ(camera_sim->state(1, camera + 1).motion.pan, camera % 100) << camera;
    }
    EXPECT_EQ(camera_sim->connections(), static_cast<unsigned long>(kCameras));
}

TEST_F(FleetTest, ThousandSilentCamerasFailWithinTheirTimeOuts) {
    silence("/absoluteEx");
    Ptz::Engine engine;
    Codes codes;
    const auto start = Clock::now();
    for (auto& camera : cameras) {
        ASSERT_EQ(camera->set_timeouts(1, 1), 0);
        camera->get_position(engine, codes.add_value());
    }
    stderr_of([&] { settle(engine, 20); });
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3000));
    EXPECT_EQ(codes.got, std::vector<int>(kCameras, 1));
}

}  // namespace
