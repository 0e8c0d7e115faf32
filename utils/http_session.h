#pragma once

#include <curl/curl.h>

#include <string>

#include "http_request.h"

namespace Utils {

// The requests of one camera object on one kept libcurl handle: the connection is reused while
// the camera keeps it open, and the Digest challenge of one request answers the next, so that a
// command is one request once the first has been challenged. A camera that closed the
// connection gets a new one. A camera that no longer knows the kept challenge (it expired, or
// the camera restarted) refuses the request with 401 before acting on it; the request is then
// sent once more with the challenge of that refusal, within the same 5-second bound. A refusal
// that follows a refusal is not tried again: the credentials are wrong.
//
// Requests must not overlap.
class HttpSession {
public:
    HttpSession();
    ~HttpSession();

    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // True when the transfer completed; the answer's body is appended to `response`.
    bool request(const HttpRequest& request, std::string& response);

private:
    // One transfer within `timeout_ms`; its HTTP status goes to `status`.
    bool perform(const HttpRequest& request, std::string& response, long timeout_ms, long& status);

    CURL* curl_ = nullptr;
    curl_slist* content_type_ = nullptr;
    bool accepted_ = false;  // the last request got past the camera's Digest check
};

}  // namespace Utils
