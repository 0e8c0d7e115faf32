#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "camera_sim.h"

namespace sim {

// Failure messages show the seven values.
inline void PrintTo(const Position& p, std::ostream* os) {
    *os << "{" << p.elevation << ", " << p.azimuth << ", " << p.absoluteZoom << ", " << p.focus
        << ", " << p.focalLen << ", " << p.horizontalSpeed << ", " << p.verticalSpeed << "}";
}

}  // namespace sim

namespace testing_support {

const char* const kUserPwd = "admin:password";
// Nothing listens here: connections are refused at once.
const char* const kDeadAddress = "127.0.0.99";
const std::string kChannel = "/ISAPI/PTZCtrl/channels/1";
const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string kRootAttributes =
    "xmlns=\"http://www.isapi.org/ver20/XMLSchema\" version=\"2.0\"";

inline std::string status_answer(const std::string& status) {
    return "<?xml version=\"1.0\"?>\n<ResponseStatus><statusCode>1</statusCode><statusString>" +
           status + "</statusString></ResponseStatus>\n";
}

inline sim::Script answer(const std::string& body, unsigned status = 200) {
    sim::Script script;
    script.status = status;
    script.body = body;
    return script;
}

// Collects what the code under test writes to stderr.
class StderrCapture {
public:
    StderrCapture() { ::testing::internal::CaptureStderr(); }
    std::string text() {
        std::fflush(stderr);
        return ::testing::internal::GetCapturedStderr();
    }
};

// A simulated camera on 127.0.0.1:80 for each test, inside the tests' private network namespace.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* netns = std::getenv("ZELKO_IN_NETNS");
        ASSERT_TRUE(netns != nullptr && std::string(netns) == "1")
            << "network tests bind port 80; run them through scripts/in-netns";
        camera_sim.start();
    }

    // Lets every move in progress arrive.
    void finish_moves() { clock->advance(std::chrono::minutes(1)); }

    void set_position(const sim::Position& position) {
        sim::CameraState state = camera_sim.state();
        state.position = position;
        camera_sim.set_state(state);
    }

    std::vector<sim::RecordedRequest> authenticated() const {
        std::vector<sim::RecordedRequest> result;
        for (auto& r : camera_sim.requests()) {
            if (r.authenticated) {
                result.push_back(r);
            }
        }
        return result;
    }

    // The camera moves only when a test advances its clock.
    std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
    sim::CameraSim camera_sim{manual_clock(clock)};

private:
    static sim::Options manual_clock(std::shared_ptr<sim::ManualClock> clock) {
        sim::Options options;
        options.clock = std::move(clock);
        return options;
    }
};

}  // namespace testing_support
