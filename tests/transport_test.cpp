// Reaching the camera as it is deployed: https with the site's CA, a pinned key or no check, a port
// of its own, a kept session over TLS; certificates that must not pass; and options that make
// every method refuse. Each row runs a query and a command.

#include <cstring>

#include "ptz/engine.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "sim_fixture.h"

namespace {

using namespace testing_support;

struct TransportCase {
    const char* name;
    const char* served;  // the camera's certificate and key; "" for plain http
    int port;            // the camera listens here
    const char* address;
    std::function<void(Ptz::CameraOptions&)> options;
    int code;                  // of both methods
    std::string refusal = "";  // the line of a bad option
    int commands = 1;          // of each method, on one object
    unsigned long connections = 0;
};

const char* const kOwnPin = "the camera's own";

// https, trusting the test CA or only the system's, with a pinned key (kOwnPin: the self-signed
// camera's), checking the peer or not; then `more`.
std::function<void(Ptz::CameraOptions&)> tls(bool ca, std::string pin = "", bool verify = true,
                                             void (*more)(Ptz::CameraOptions&) = nullptr) {
    return [=](Ptz::CameraOptions& o) {
        o.https = true;
        o.ca_file = ca ? cert("test-ca.pem") : "";
        o.pinned_key = pin.rfind(kOwnPin, 0) == 0
                           ? read_file(cert("self-signed.pin")) + pin.substr(strlen(kOwnPin))
                           : pin;
        o.verify_peer = verify;
        if (more != nullptr) {
            more(o);
        }
    };
}

const TransportCase kCases[] = {
    {"CaFileOnTheDefaultPort", "localhost", 443, "localhost", tls(true), 0},
    {"PinnedKeyOfASelfSignedCamera", "self-signed", 443, "localhost", tls(false, kOwnPin), 0},
    {"WrongPin", "self-signed", 443, "localhost",
     tls(false, "sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA="), 1},
    {"PinAndCaFileMustBothHold", "self-signed", 443, "localhost", tls(true, kOwnPin), 1},
    {"CertificateForAnotherName", "other-name", 443, "localhost", tls(true), 1},
    {"SelfSignedAgainstTheSystemCas", "self-signed", 443, "localhost", tls(false), 1},
    {"NoVerification", "self-signed", 443, "localhost", tls(false, "", false), 0},
    {"HttpsToAPlainCamera", "", 443, "127.0.0.1",
     tls(true, "", true, [](Ptz::CameraOptions& o) { o.port = 443; }), 1},
    {"PlainHttpToAnHttpsCamera", "localhost", 80, "localhost", [](Ptz::CameraOptions&) {}, 1},
    {"PortOfItsOwn", "", 8080, "127.0.0.1", [](Ptz::CameraOptions& o) { o.port = 8080; }, 0},
    // A proxy (a closed port) that the host's environment names for its own traffic, and the
    // rows after it: the camera is reached directly.
    {"NoProxyOfTheEnvironment", "", 80, "127.0.0.1",
     [](Ptz::CameraOptions&) { setenv("ALL_PROXY", "http://127.0.0.1:9", 1); }, 0},
    {"KeptSessionShakesHandsOnce", "localhost", 443, "localhost",
     tls(true, "", true, [](Ptz::CameraOptions& o) { o.keep_session = true; }), 0, "", 3, 1},
    {"PortPastTheRange", "", 80, "127.0.0.1", [](Ptz::CameraOptions& o) { o.port = 65536; }, 10,
     "Bad option port: 65536; it takes 1 to 65535, or 0 for the scheme's own."},
    {"ChannelZero", "", 80, "127.0.0.1", [](Ptz::CameraOptions& o) { o.channel = 0; }, 10,
     "Bad option channel: 0; it takes 1 or more."},
    {"CaFileWithoutHttps", "", 80, "127.0.0.1",
     [](Ptz::CameraOptions& o) { o.ca_file = cert("test-ca.pem"); }, 10,
     "Bad option ca_file: it needs https."},
    {"CaFileNameWithANul", "localhost", 443, "localhost",
     [](Ptz::CameraOptions& o) { tls(true)(o), o.ca_file += std::string(1, '\0') + "x"; }, 10,
     "Bad option ca_file: a file name holds no NUL byte."},
    {"PinWithoutHttps", "", 80, "127.0.0.1",
     [](Ptz::CameraOptions& o) { o.pinned_key = read_file(cert("self-signed.pin")); }, 10,
     "Bad option pinned_key: it needs https."},
    {"NoVerificationWithoutHttps", "", 80, "127.0.0.1",
     [](Ptz::CameraOptions& o) { o.verify_peer = false; }, 10,
     "Bad option verify_peer: false needs https."},
    {"PinNotInLibcurlsForm", "", 80, "127.0.0.1", tls(false, std::string(kOwnPin) + ";sha256//x"),
     10,
     "Bad option pinned_key: it takes sha256// and the base64 SHA-256 of the key, several joined "
     "by ;."},
};

class TransportTest : public SimTest, public ::testing::WithParamInterface<TransportCase> {
protected:
    TransportTest() : SimTest(options()) {}
    static sim::Options options() {
        sim::Options o;
        if (*GetParam().served != '\0') {
            serve_https(o, GetParam().served);
        }
        o.port = static_cast<std::uint16_t>(GetParam().port);
        return o;
    }
};

TEST_P(TransportTest, ReachesTheCameraOrRefusesAsItShould) {
    const TransportCase& c = GetParam();
    Ptz::CameraOptions options;
    c.options(options);
    Camera camera(c.address, kUserPwd, options);
    const std::string get = c.code == 1 ? "Fail to complete http get." : c.refusal;
    const std::string put = c.code == 1 ? "Fail to complete http request." : c.refusal;
    for (int i = 0; i < c.commands; ++i) {
        EXPECT_EQ(stderr_of([&] {
                      EXPECT_EQ(camera.get_info("/ISAPI/System/deviceInfo"), c.code);
                      EXPECT_EQ(camera.set_ptz_ctrl({1, 2, 3}), c.code);
                  }),
                  c.code == 0 ? "" : error_line("get_info", get) + error_line("set_ptz_ctrl", put));
    }
    EXPECT_EQ(sent().size(), c.code == 0 ? 2u * c.commands : 0u);
    if (c.connections != 0) {
        EXPECT_EQ(camera_sim->connections(), c.connections);
    }
}

INSTANTIATE_TEST_SUITE_P(Transport, TransportTest, ::testing::ValuesIn(kCases), ByName());

// What would change the request is refused, whoever sends, and nothing is sent: a NUL in the URL,
// at which libcurl would cut it and ask another resource (a query of it would succeed), a byte
// that would move the host ("cam.example.net@other") or add a port, an IPv6 literal without its
// brackets, a control byte in the user name, which would end the Authorization line and begin
// one of the caller's, or a NUL in the credentials.
TEST_F(SimTest, WhatWouldChangeTheRequestSendsNothing) {
    const std::string nul(1, '\0');
    const std::string info = "/ISAPI/System/deviceInfo";
    const std::string bad_address =
        "Please input a host name or an IP address alone, without spaces or control characters.";
    const struct {
        std::string address, userpwd, path;
        int code;
        std::string line;
    } kCases[] = {
        {"127.0.0.1" + nul + "x", kUserPwd, info, 10, bad_address},
        {"127.0.0.2@127.0.0.1", kUserPwd, info, 10, bad_address},
        {"127.0.0.1 ", kUserPwd, info, 10, bad_address},
        {"", kUserPwd, info, 10, bad_address},
        {"127.0.0.1:80", kUserPwd, info, 10, bad_address},
        {"::1", kUserPwd, info, 10, "Please input an IPv6 address in brackets, as [fd00::5]."},
        {"127.0.0.1", kUserPwd, info + nul + "x", 10,
         "Please input a path beginning with /, without spaces or control characters."},
        {"127.0.0.1", "admin\r\nX-Forged: 1:password", info, 10,
         "Please input a user name without control characters."},
        {"127.0.0.1", "admin:password" + nul + "x", info, 10,
         "Please input credentials without a NUL byte."},
    };
    for (const bool kept : {false, true}) {
        for (const auto& c : kCases) {
            Ptz::CameraOptions options;
            options.keep_session = kept;
            Camera camera(c.address, c.userpwd, options);
            Ptz::Engine engine;
            int code = -1;
            EXPECT_EQ(stderr_of([&] {
                          EXPECT_EQ(camera.get_info(c.path), c.code);
                          camera.get_info(engine, c.path,
                                          [&](int got, const std::string&) { code = got; });
                          while (engine.run(1000) > 0) {
                          }
                      }),
                      error_line("get_info", c.line) + error_line("get_info", c.line));
            EXPECT_EQ(code, c.code);
        }
    }
    EXPECT_TRUE(camera_sim->requests().empty());
}

}  // namespace
