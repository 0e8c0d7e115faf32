// Many camera objects on many threads against several cameras, half with a kept session, while
// other threads create and destroy objects: every result is right and no command reaches another
// camera. Then one engine on one thread while other threads submit, cancel and destroy cameras;
// and a host's signal handler, which transfers leave in place.
// Built also with ThreadSanitizer (scripts/test --tsan).

#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "ptz/engine.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

std::string address(int camera) {
    return "127.0.0." + std::to_string(camera + 2);
}

int commands() {
    const char* given = std::getenv("ZELKO_CONCURRENCY_COMMANDS");
    return given != nullptr ? std::atoi(given) : 200;
}

// Eight cameras, each at the elevation that names it; time stands still.
std::vector<std::unique_ptr<sim::CameraSim>> eight_cameras() {
    EXPECT_NE(std::getenv("ZELKO_IN_NETNS"), nullptr) << "run through scripts/in-netns";
    std::vector<std::unique_ptr<sim::CameraSim>> cameras;
    for (int c = 0; c < 8; ++c) {
        sim::Options options;
        options.address = address(c);
        options.clock = std::make_shared<sim::ManualClock>();
        cameras.emplace_back(new sim::CameraSim(options));
        sim::CameraState state;
        state.position.elevation = static_cast<float>(c);
        cameras.back()->set_state(state);
        cameras.back()->start();
    }
    return cameras;
}

TEST(Concurrency, SixtyFourObjectsOnEightCamerasDoNotCrossTalk) {
    const int kCommands = commands();
    // The objects' absolute moves head for the elevation that names their camera.
    const auto cameras = eight_cameras();
    std::atomic<int> wrong{0};
    std::atomic<bool> running{true};
    std::vector<std::thread> threads;
    for (int o = 0; o < 66; ++o) {
        threads.emplace_back([o, kCommands, &wrong, &running] {
            if (o >= 64) {  // objects come and go, each with its share of libcurl's global state
                while (running) {
                    Ptz::ZelkoPtzCameraIsapi camera(address(o - 64), kUserPwd);
                    wrong += camera.get_info("/ISAPI/System/deviceInfo") != 0 ? 1 : 0;
                }
                return;
            }
            const int c = o % 8;  // pan names the camera, tilt the object
            Ptz::CameraOptions options;
            options.keep_session = o % 2 == 1;  // half of them each keep a session of their own
            Ptz::ZelkoPtzCameraIsapi camera(address(c), kUserPwd, options);
            for (int i = 0; i < kCommands; ++i) {
                Ptz::PtzAbsoluteEx p{static_cast<float>(c), static_cast<float>(o), 1, i, 48, 0, 0};
                const int code = i % 4 == 0   ? camera.set_ptz_ctrl({c, o, i})
                                 : i % 4 == 1 ? camera.set_ptz_absoluteEx(p)
                                 : i % 4 == 2
                                     ? camera.get_ptz_absoluteEx(p)
                                     : camera.set_ptz_aux(Ptz::PtzAux::Light, Ptz::PtzStatus::On);
                wrong += code != 0 || p.elevation != static_cast<float>(c) ? 1 : 0;
            }
        });
    }
    for (int t = 0; t < 64; ++t) {
        threads[t].join();
    }
    running = false;
    threads[64].join();
    threads[65].join();
    EXPECT_EQ(wrong.load(), 0);
    for (int c = 0; c < 8; ++c) {
        const sim::CameraState state = cameras[c]->state();
        EXPECT_EQ(state.motion.pan, c);
        EXPECT_EQ(state.motion.tilt % 8, c) << "motion from an object of another camera";
        EXPECT_EQ(state.commands_accepted, 8ul * (kCommands - kCommands / 4));
    }
}

// Submitting, cancelling and destroying cameras from other threads while one thread drives.
TEST(Concurrency, EngineTakesOperationsFromManyThreads) {
    const int kCommands = commands();
    const auto sims = eight_cameras();
    int ended = 0, wrong = 0;  // the driving thread's
    std::atomic<int> submitted{0};
    std::atomic<int> working{5};
    Ptz::Engine engine;
    std::vector<std::unique_ptr<Ptz::ZelkoPtzCameraIsapi>> cameras;
    for (int o = 0; o < 16; ++o) {
        Ptz::CameraOptions options;
        options.keep_session = o % 2 == 1;
        options.error_sink = [](void*, const char*, int, const char*) {};  // the cancels' lines
        cameras.emplace_back(new Ptz::ZelkoPtzCameraIsapi(address(o % 8), kUserPwd, options));
    }
    const auto check = [&ended, &wrong](bool good) {
        ++ended;
        wrong += good ? 0 : 1;
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kCommands; ++i) {
                Ptz::ZelkoPtzCameraIsapi& camera = *cameras[(t * 5 + i) % 16];
                const float elevation = static_cast<float>((t * 5 + i) % 8);
                ++submitted;
                const Ptz::Operation op =
                    i % 2 == 0
                        ? camera.set_ptz_ctrl(engine, {t, i, 0},
                                              [&](int code) { check(code == 0 || code == 6); })
                        : camera.get_position(
                              engine, [&, elevation](int code, const Ptz::PtzPosition& p) {
                                  check(code == 6 || (code == 0 && p.elevation == elevation));
                              });
                if (i % 3 == 0) {
                    op.cancel();
                }
            }
            --working;
        });
    }
    // Cameras made, used and destroyed at once: their operations end with 6, or ran first.
    threads.emplace_back([&] {
        for (int i = 0; i < kCommands / 4; ++i) {
            Ptz::ZelkoPtzCameraIsapi camera(address(i % 8), kUserPwd);
            ++submitted;
            camera.reset_position(engine, [&](int code) { check(code == 0 || code == 6); });
        }
        --working;
    });
    while (working > 0 || engine.pending() > 0) {
        engine.run(10);
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(ended, submitted.load()) << "each callback once";
    EXPECT_EQ(wrong, 0);
}

}  // namespace

namespace {

// libcurl, left to itself, swaps SIG_IGN in for SIGPIPE around each call and back, process-wide:
// a host's other threads would see their handler gone, and two such calls racing could leave it
// replaced for good.
TEST(Concurrency, TransfersLeaveTheHostsSignalHandlerInPlace) {
    const auto cameras = eight_cameras();
    struct sigaction host {
    }, before{};
    host.sa_handler = +[](int) {};
    sigaction(SIGPIPE, &host, &before);
    std::atomic<bool> running{true};
    std::atomic<int> replaced{0};
    std::thread watcher([&] {
        while (running) {
            struct sigaction now {};
            sigaction(SIGPIPE, nullptr, &now);
            replaced += now.sa_handler != host.sa_handler ? 1 : 0;
            // Under valgrind, whose threads take turns, a watcher that never yields starves the
            // cameras.
            std::this_thread::yield();
        }
    });
    Ptz::ZelkoPtzCameraIsapi plain(address(0), kUserPwd),
        session(address(1), kUserPwd, kept_session());
    int failed = 0;
    std::string info;
    for (int i = 0; i < 50; ++i) {
        failed += plain.get_info("/ISAPI/System/deviceInfo", info) != 0 ? 1 : 0;
        failed += session.get_info("/ISAPI/System/deviceInfo", info) != 0 ? 1 : 0;
    }
    running = false;
    watcher.join();
    sigaction(SIGPIPE, &before, nullptr);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(replaced, 0);
}

}  // namespace
