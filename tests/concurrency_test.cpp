// Many camera objects on many threads against several cameras: every result is right, each
// camera ends in a state that only its own objects could have set, and objects come and go
// on other threads meanwhile. Built also with ThreadSanitizer (scripts/test --tsan).

#include <atomic>
#include <cstdlib>
#include <memory>
#include <set>
#include <thread>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

int env_or(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

TEST(Concurrency, SixtyFourObjectsOnEightCamerasDoNotCrossTalk) {
    const char* netns = std::getenv("ZELKO_IN_NETNS");
    ASSERT_TRUE(netns != nullptr && std::string(netns) == "1") << "run through scripts/in-netns";
    const int kCameras = 8;
    const int kObjects = 64;
    const int kCommands = env_or("ZELKO_CONCURRENCY_COMMANDS", 200);

    // Time stands still, so each camera stays at the elevation that names it while the
    // objects send it absolute moves to that same elevation.
    std::vector<std::unique_ptr<sim::CameraSim>> cameras;
    for (int c = 0; c < kCameras; ++c) {
        sim::Options options;
        options.address = "127.0.0." + std::to_string(c + 2);
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
    for (int o = 0; o < kObjects; ++o) {
        threads.emplace_back([o, kCommands, &wrong] {
            const int c = o % 8;
            Ptz::ZelkoPtzCameraIsapi camera("127.0.0." + std::to_string(c + 2), kUserPwd);
            for (int i = 0; i < kCommands; ++i) {
                // pan names the camera, tilt the object: a command that reached the wrong
                // camera shows in its state or its record of requests.
                int code = 0;
                switch (i % 4) {
                    case 0:
                        code = camera.set_ptz_ctrl({c, o, i});
                        break;
                    case 1:
                        code = camera.set_ptz_absoluteEx(
                            {static_cast<float>(c), static_cast<float>(o), 1.0f, i, 48, 0, 0});
                        break;
                    case 2: {
                        Ptz::PtzAbsoluteEx p{};
                        code = camera.get_ptz_absoluteEx(p);
                        if (p.elevation != static_cast<float>(c)) {
                            ++wrong;
                        }
                        break;
                    }
                    default:
                        code = camera.set_ptz_aux(Ptz::PtzAux::Light, o % 2 == 0
                                                                          ? Ptz::PtzStatus::On
                                                                          : Ptz::PtzStatus::Off);
                }
                if (code != 0) {
                    ++wrong;
                }
            }
        });
    }
    // Objects created and destroyed on other threads while the others run requests: each takes
    // and releases its share of libcurl's global state.
    std::vector<std::thread> churn;
    for (int t = 0; t < 2; ++t) {
        churn.emplace_back([t, &running, &wrong] {
            while (running) {
                Ptz::ZelkoPtzCameraIsapi camera("127.0.0." + std::to_string(t + 2), kUserPwd);
                if (camera.get_info("/ISAPI/System/deviceInfo") != 0) {
                    ++wrong;
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    running = false;
    for (auto& t : churn) {
        t.join();
    }
    EXPECT_EQ(wrong.load(), 0);

    for (int c = 0; c < kCameras; ++c) {
        const sim::CameraState state = cameras[c]->state();
        EXPECT_EQ(state.motion.pan, c);
        EXPECT_EQ(state.motion.tilt % 8, c) << "motion from an object of another camera";
        // 8 objects per camera, three commands in four accepted by it.
        const unsigned long puts = 8ul * static_cast<unsigned long>(kCommands - kCommands / 4);
        EXPECT_EQ(state.commands_accepted, puts);
        std::set<std::string> bodies_from_others;
        for (const auto& r : cameras[c]->requests()) {
            if (r.authenticated && r.target == kChannel + "/continuous" &&
                r.body.find("<pan>" + std::to_string(c) + "</pan>") == std::string::npos) {
                bodies_from_others.insert(r.body);
            }
        }
        EXPECT_TRUE(bodies_from_others.empty());
    }
}

}  // namespace
