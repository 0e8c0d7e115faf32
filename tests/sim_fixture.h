#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "camera_sim.h"
#include "ptz/camera_options.h"
#include "ptz/position_fields.h"
#include "ptz/ptz_types.h"
#include "ptz/zelko_ptz_camera_isapi.h"

// Each table's cases have a name, which test names and failure messages show; gtest would
// otherwise print their bytes, padding included. This is each test file's own unnamed namespace.
namespace {
template <typename Case, typename = decltype(Case::name)>
std::ostream& operator<<(std::ostream& os, const Case& c) {
    return os << c.name;
}
}  // namespace

namespace Ptz {
inline std::ostream& operator<<(std::ostream& os, const PtzPosition& p) {
    os << "{";
    for (const PositionField& field : kPositionFields) {
        if (p.has(field.bit)) {
            os << " " << field.member << "=" << value_of(p, field);
        }
    }
    return os << " }";
}
}  // namespace Ptz

namespace testing_support {

const char* const kUserPwd = "admin:password";
// Nothing listens here: connections are refused at once.
const char* const kDeadAddress = "127.0.0.99";
const std::string kChannel = "/ISAPI/PTZCtrl/channels/1";
const std::string kAbs = kChannel + "/absoluteEx";
const std::string kCtrl = kChannel + "/continuous";
const std::string kAux = kChannel + "/auxcontrols/1";
const std::string kPresets = kChannel + "/presets";
const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string kRootAttributes =
    "xmlns=\"http://www.isapi.org/ver20/XMLSchema\" version=\"2.0\"";

inline std::string read_file(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Documents that real cameras sent, byte for byte, in tests/fixtures.
inline std::string fixture(const std::string& name) {
    return read_file(std::string(ZELKO_TEST_FIXTURES) + "/" + name);
}
// A current 42x camera's answer to GET .../absoluteEx: four of the seven values.
const std::string kLeanAnswer = fixture("lean-position.xml");
// What a camera that has locked the account answers to every request.
const std::string kLockAnswer = fixture("locked-account.xml");
// The parts that matter of a real dome's 42 KB capabilities.
const std::string kRealCapabilities = fixture("dome-capabilities.xml");

inline std::string status_answer(const std::string& status) {
    return "<?xml version=\"1.0\"?>\n<ResponseStatus><statusCode>1</statusCode><statusString>" +
           status + "</statusString></ResponseStatus>\n";
}

using Camera = Ptz::ZelkoPtzCameraIsapi;

// The options of a kept session, on `channel`.
inline Ptz::CameraOptions kept_session(int channel = 1) {
    Ptz::CameraOptions o;
    o.keep_session = true;
    o.channel = channel;
    return o;
}

inline sim::Script answer(const std::string& body, const std::string& method = "") {
    sim::Script script;
    script.body = body;
    script.method = method;
    return script;
}

// A file the run made for the tests: a certificate, a key, a pin.
inline std::string cert(const std::string& name) {
    return std::string(ZELKO_TEST_CERTS) + "/" + name;
}

// A camera that serves https on 443 with the certificate and key `name`.
inline void serve_https(sim::Options& o, const std::string& name) {
    o.port = 443;
    o.tls_cert = read_file(cert(name + ".pem"));
    o.tls_key = read_file(cert(name + ".key"));
}

// What `call` wrote to stderr.
template <typename Call>
std::string stderr_of(Call call) {
    ::testing::internal::CaptureStderr();
    call();
    return ::testing::internal::GetCapturedStderr();
}

// A library error line as written to stderr.
inline std::string error_line(const std::string& operation, const std::string& message) {
    return "\x1b[31m[Error] [" + operation + "] " + message + "\n\x1b[0m\n";
}

// Names each test of a table after its case.
struct ByName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return info.param.name;
    }
};

// A simulated camera on 127.0.0.1:80 for each test, inside the tests' private network namespace.
// It moves only when the test advances its clock, unless the test asks for the real one.
class SimTest : public ::testing::Test {
protected:
    explicit SimTest(sim::Options options = sim::Options(), bool real_clock = false) {
        if (!real_clock) {
            options.clock = clock;
        }
        camera_sim = std::make_unique<sim::CameraSim>(options);
    }

    void SetUp() override {
        ASSERT_NE(std::getenv("ZELKO_IN_NETNS"), nullptr)
            << "network tests bind port 80; run them through scripts/in-netns";
        camera_sim->start();
    }

    // "METHOD target" of each authenticated request, and the bodies.
    std::vector<std::string> sent(std::vector<std::string>* bodies = nullptr) const {
        std::vector<std::string> result;
        for (const auto& r : camera_sim->requests()) {
            if (r.authenticated) {
                result.push_back(r.method + " " + r.target);
                if (bodies != nullptr) {
                    bodies->push_back(r.body);
                }
            }
        }
        return result;
    }

    // The camera takes the requests for the resource on the channel and never answers them.
    void silence(const std::string& resource) {
        sim::Script silent;
        silent.mode = sim::Script::Mode::NeverAnswer;
        camera_sim->script(kChannel + resource, silent);
    }

    std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
    std::unique_ptr<sim::CameraSim> camera_sim;
};

}  // namespace testing_support
