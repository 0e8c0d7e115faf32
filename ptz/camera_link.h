#pragma once

#include <memory>
#include <string>

#include "../utils/http_client.h"
#include "../utils/http_request.h"
#include "../utils/http_session.h"
#include "camera_options.h"

namespace Ptz {

// How one camera object reaches its camera: the URLs its options give, the transport they
// choose (a new connection per request, or one kept session; plain http or https), and where
// its error lines go.
class CameraLink {
public:
    CameraLink(const std::string& address, CameraOptions options);

    // "<scheme>://<address>:<port>" + `path`.
    std::string url(const std::string& path) const { return base_ + path; }
    // The URL of `resource` ("/absoluteEx") under the PTZ channel.
    std::string command_url(const std::string& resource) const { return channel_base_ + resource; }

    // The option that makes every method fail, as its error line says it; "" when all are good.
    const std::string& option_error() const { return option_error_; }

    // One request; true when the transfer completed, with the answer's body in `response`.
    bool send(Utils::HttpMethod method, const std::string& url, const std::string& userpwd,
              const std::string& body, std::string& response);

    // One error line: to the options' sink, or red on stderr.
    void report(const char* operation, int code, const std::string& message) const;

private:
    CameraOptions options_;
    std::string base_;
    std::string channel_base_;
    std::string option_error_;
    Utils::TlsSettings tls_;
    // Every object takes its share of libcurl's global state through its client.
    Utils::HttpClient client_;
    std::unique_ptr<Utils::HttpSession> session_;
};

}  // namespace Ptz
