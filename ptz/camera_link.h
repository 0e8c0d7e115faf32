#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "../utils/http_client.h"
#include "../utils/http_request.h"
#include "../utils/http_session.h"
#include "camera_options.h"

namespace Ptz {

// How one camera object reaches its camera: the URLs its options give, the transport they
// choose (a new connection per request, or one kept session; plain http or https), the pause
// after the camera refused the credentials, and where its error lines go.
class CameraLink {
public:
    CameraLink(const std::string& address, CameraOptions options);

    // "<scheme>://<address>:<port>" + `path`.
    std::string url(const std::string& path) const { return base_ + path; }
    // The URL of `resource` ("/absoluteEx") under the PTZ channel.
    std::string command_url(const std::string& resource) const { return channel_base_ + resource; }

    // One request of `operation`. 0 with the answer's body in `answer` and its HTTP status in
    // `status`; otherwise the code, its line written: 10 for a bad option or while a refusal of
    // the credentials is held, 1 when the transfer did not complete (`transfer_failed` is then
    // the line's message).
    int send(const char* operation, Utils::HttpMethod method, const std::string& url,
             const std::string& userpwd, const std::string& body, const char* transfer_failed,
             std::string& answer, long& status);

    // One error line: to the options' sink, or red on stderr. `reason` says the same for a
    // person in a few words; "" when the message says it already.
    void report(const char* operation, int code, const std::string& message,
                const std::string& reason = std::string());

    // Why the last method failed; "" after one that succeeded.
    const std::string& failure_reason() const { return reason_; }

    // Whether the camera has shown that it keeps its position in ".../status" alone.
    bool status_only() const { return status_only_; }
    void set_status_only() { status_only_ = true; }

    // How long a kept session sends nothing after the camera refused its credentials.
    void set_refusal_hold(std::chrono::milliseconds hold) { refusal_hold_ = hold; }

private:
    using Clock = std::chrono::steady_clock;

    // Sends nothing until then once the camera has refused the credentials of a kept session:
    // for the options' hold, or for as long as the camera says it keeps the account locked.
    void hold(const std::string& answer);

    CameraOptions options_;
    std::string base_;
    std::string channel_base_;
    std::string option_error_;
    std::string reason_;
    std::chrono::milliseconds refusal_hold_{30000};
    Clock::time_point held_until_{};
    bool status_only_ = false;
    Utils::TlsSettings tls_;
    // Every object takes its share of libcurl's global state through its client.
    Utils::HttpClient client_;
    std::unique_ptr<Utils::HttpSession> session_;
};

}  // namespace Ptz
