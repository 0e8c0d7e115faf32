#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "camera_resources.h"
#include "clock.h"
#include "digest_auth.h"

namespace sim {

using Headers = std::vector<std::pair<std::string, std::string>>;

// One request as the camera received it.
struct RecordedRequest {
    std::string method;
    std::string target;  // path and query, exactly as sent
    Headers headers;     // in the order received
    std::string body;
    bool authenticated = false;
    unsigned status = 0;           // the HTTP status answered; 0 when none was sent
    unsigned long connection = 0;  // the connection it came on, counted from 1
    int camera = 1;                // of a fleet, by its address, counted from 1

    // The first header of that name (case-insensitive), or "" when there is none.
    std::string header(const std::string& name) const;
};

// A scripted answer for one resource, in place of the camera's own behaviour.
struct Script {
    enum class Mode {
        Answer,        // `status`, `headers`, `body` after `delay`
        NeverAnswer,   // read the request, then stay silent until the camera stops
        CloseMidBody,  // promise the whole body, send half of it, close the connection
        Drip,          // send the body `drip_bytes` at a time, `delay` before each piece
        BasicOnly,     // challenge for Basic authentication only
        Endless,       // send `body` over and over, chunked, until the client gives up
    };
    enum class Transfer {
        Length,   // Content-Length
        Chunked,  // HTTP/1.1 chunked encoding
        Http10,   // an HTTP/1.0 answer without Content-Length, ended by closing
    };
    std::string method;  // the request method it applies to; empty for every method
    Mode mode = Mode::Answer;
    Transfer transfer = Transfer::Length;
    unsigned status = 200;
    Headers headers;
    std::string body;
    std::chrono::milliseconds delay{0};
    std::size_t drip_bytes = 1;
    // Give this answer before authentication, to every request.
    bool before_auth = false;
};

struct Options {
    std::string address = "127.0.0.1";  // IPv4, or IPv6 ("::1") for one camera
    std::uint16_t port = 80;
    std::string user = "admin";
    std::string password = "password";
    std::string realm = "PTZ Camera";
    bool log = false;    // one line per request on stdout
    bool record = true;  // keep every request for requests(); off for long benchmark runs
    int channels = 1;    // PTZ channels 1 to this, each with a state of its own
    // Cameras at this many consecutive IPv4 addresses from `address` (127.0.0.1, .2, ...), each
    // with its channels, each listening at `port` on its own address alone.
    int cameras = 1;
    bool silent = false;  // take every connection and request, and never answer
    // A nonce is refused as stale this long after its challenge, in the clock's time; zero:
    // never.
    std::chrono::nanoseconds nonce_lifetime{0};
    // Time the camera takes before each answer, challenges included, like a slow camera.
    std::chrono::milliseconds answer_delay{0};
    bool close_connections = false;  // "Connection: close" on every answer
    // How the camera answers where models differ: its position resources, its capabilities.
    Firmware firmware;
    DigestAuth::Form challenge = DigestAuth::Form::Newer;
    // Locks every login, right or wrong, after this many refused logins in a row; 0: never.
    int lock_after = 0;
    // How long a lock lasts, in the clock's time.
    std::chrono::nanoseconds lock_time = std::chrono::minutes(30);
    // https with this certificate and key (PEM texts) instead of plain http.
    std::string tls_cert;
    std::string tls_key;
    // The camera moves in the time of this clock; tests give it a ManualClock.
    std::shared_ptr<const Clock> clock = std::make_shared<SteadyClock>();
};

class Server;

// A simulated PTZ camera: an HTTP/1.1 server with Digest authentication that answers the
// camera's ISAPI resources with state, records every request and can be scripted per resource.
class CameraSim {
public:
    explicit CameraSim(Options options = Options());
    // Listens when it returns; throws std::runtime_error when the address cannot be bound.
    void start();
    // Ends every pending answer and closes the listener. Also done by the destructor.
    void stop();
    ~CameraSim();

    CameraSim(const CameraSim&) = delete;
    CameraSim& operator=(const CameraSim&) = delete;

    std::vector<RecordedRequest> requests() const;
    void clear_requests();
    // Waits until `count` authenticated requests are recorded, at most `limit`; true if they were.
    // A test acts on what the camera has taken, not after a guessed time.
    bool wait_for_requests(std::size_t count, std::chrono::milliseconds limit) const;
    // Connections accepted since the start.
    unsigned long connections() const;
    // Forgets every Digest nonce it gave out, as a camera does when it restarts.
    void forget_nonces();
    // Logins refused for a wrong user name or password since the start; a request that answers
    // a challenge the camera has forgotten is no refused login.
    unsigned long refused_logins() const;

    // `path` is matched without the query part; a script for the request's method wins over
    // one for every method.
    void script(const std::string& path, Script script);
    void clear_scripts();

    // A channel's state at the clock's present reading: a move in progress shows where it has
    // got to.
    CameraState state(int channel = 1, int camera = 1) const;
    // Replaces a channel's state from the clock's present reading on.
    void set_state(const CameraState& state, int channel = 1, int camera = 1);

    const Options& options() const;

private:
    std::unique_ptr<Server> impl_;
};

}  // namespace sim
