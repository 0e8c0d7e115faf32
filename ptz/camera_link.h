#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "../utils/http_client.h"
#include "../utils/http_request.h"
#include "../utils/http_session.h"
#include "camera_options.h"
#include "command.h"
#include "ptz_types.h"

namespace Ptz {

class CameraLink;
class EngineCore;

// Where the blocking driver sends a link's requests and takes its time from: libcurl and the
// steady clock, unless a test gives a link canned answers and a clock of its own.
class Transport {
public:
    virtual ~Transport() = default;
    // True when the transfer completed, with the answer.
    virtual bool transfer(const CameraLink& link, const Request& request, Answer& answer,
                          Utils::TransferInfo& info) = 0;
    virtual TimePoint now() = 0;
    virtual void sleep_until(TimePoint when) = 0;
};

// How one camera object reaches its camera, and what it remembers between commands: the URLs
// its options give, the transport they choose (a new connection per request, or one kept
// session; plain http or https), its time-outs, the pause after the camera refused the
// credentials, whether the camera keeps its position in ".../status" alone, why the last command
// failed, and where its error lines go. It does no I/O of its own: the blocking methods and the
// engine send its requests.
//
// An engine's operations hold the link as well as the camera object, so that a camera destroyed
// with operations pending leaves them a link to end on; the link is freed by its last holder.
class CameraLink {
public:
    CameraLink(const std::string& address, const std::string& userpwd, CameraOptions options);

    // "<scheme>://<address>:<port>" + `path`.
    std::string url(const std::string& path) const { return base_ + path; }
    // The URL of `resource` ("/absoluteEx") under the PTZ channel.
    std::string command_url(const std::string& resource) const { return channel_base_ + resource; }
    // The URL of `resource` ("/focus") under the video input the PTZ channel steers: a camera
    // numbers its input as its PTZ channel.
    std::string input_url(const std::string& resource) const { return input_base_ + resource; }

    // The transfer of `request` as libcurl's settings take it; lives as long as `request`.
    Utils::HttpRequest http_request(const Request& request) const {
        return {request.method, request.url, userpwd_, request.body, tls_pointer(), timeouts_};
    }
    // The kept session; null for a new connection per request.
    Utils::HttpSession* session() const { return session_.get(); }
    const Utils::Timeouts& timeouts() const { return timeouts_; }

    // Before a request of `operation` goes out at `now`: true with the outcome when it must not,
    // for a bad option or while a refusal of the credentials is held.
    bool refuses(TimePoint now, Outcome& outcome) const;
    // A transfer completed with HTTP `status` and `body` at `now`: a kept session's refused
    // credentials start the hold.
    void answered(long status, const std::string& body, TimePoint now);
    // A command of `operation` ended: its line to the sink or stderr, its reason kept.
    void ended(const char* operation, const Outcome& outcome);
    // One error line: to the options' sink, or red on stderr.
    void report(const char* operation, int code, const std::string& message) const;

    // Why the last command failed; "" after one that succeeded.
    const std::string& failure_reason() const { return reason_; }

    // Whether the camera has shown that it keeps its position in ".../status" alone.
    bool status_only() const { return status_only_; }
    void set_status_only() { status_only_ = true; }

    // What the camera's capabilities said when last read; empty values until then. The console
    // commands check their arguments against it (special presets, the park time's range).
    const PtzCapabilitiesEx& known_capabilities() const { return known_capabilities_; }
    void set_known_capabilities(const PtzCapabilitiesEx& caps) { known_capabilities_ = caps; }

    // How long a kept session sends nothing after the camera refused its credentials.
    void set_refusal_hold(std::chrono::milliseconds hold) { refusal_hold_ = hold; }
    void set_timeouts(Utils::Timeouts timeouts) { timeouts_ = timeouts; }

    // What an engine keeps of the link: who holds it, its operations pending, and the engine
    // they are on. A blocking call waits for none of them: it is refused while any is pending.
    std::atomic<int> holders{1};
    std::atomic<int> pending{0};
    std::atomic<bool> orphaned{false};        // the camera object is gone
    std::atomic<bool> coalesce_moves{false};  // set_move_coalescing()
    std::mutex engine_mutex;                  // guards `engine`
    std::weak_ptr<EngineCore> engine;
    // The blocking driver's; null: libcurl and the steady clock.
    Transport* transport = nullptr;
    // set_interrupt_check()'s: asked while a blocking call waits; empty: never.
    std::function<bool()> interrupt_check;

private:
    const Utils::TlsSettings* tls_pointer() const { return options_.https ? &tls_ : nullptr; }
    void hold(const std::string& answer, TimePoint now);

    CameraOptions options_;
    std::string userpwd_;
    std::string base_;
    std::string channel_base_;
    std::string input_base_;
    PtzCapabilitiesEx known_capabilities_;
    std::string option_error_;  // the line of bad options, credentials or address, for all
    std::string reason_;
    Utils::Timeouts timeouts_;
    std::chrono::milliseconds refusal_hold_{30000};
    TimePoint held_until_{};
    bool status_only_ = false;
    Utils::TlsSettings tls_;
    // Every object takes its share of libcurl's global state through its client.
    Utils::HttpClient client_;
    std::unique_ptr<Utils::HttpSession> session_;
};

// Drops one holder of `link`; the last frees it.
void release(CameraLink* link);

}  // namespace Ptz
