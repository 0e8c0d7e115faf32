// Many camera objects on many threads against several cameras, half with a kept session, while
// other threads create and destroy objects: every result is right and no command reaches another
// camera. Built also with ThreadSanitizer (scripts/test --tsan).

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

std::string address(int camera) {
    return "127.0.0." + std::to_string(camera + 2);
}

TEST(Concurrency, SixtyFourObjectsOnEightCamerasDoNotCrossTalk) {
    ASSERT_NE(std::getenv("ZELKO_IN_NETNS"), nullptr) << "run through scripts/in-netns";
    const char* commands = std::getenv("ZELKO_CONCURRENCY_COMMANDS");
    const int kCommands = commands != nullptr ? std::atoi(commands) : 200;
    // Time stands still, so each camera stays at the elevation that names it; the objects'
    // absolute moves head for that same elevation.
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

}  // namespace
