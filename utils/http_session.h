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
// sent once more, challenged afresh, within the same 5-second bound. A refusal that answered a
// fresh challenge (the session's first request, the retry, or any request after a refusal) is
// not tried again: the credentials are wrong, and each try would count against the account on
// the camera. It comes back as a completed transfer with status 401, and the next request is
// challenged afresh, so that it costs one refused login, not two.
//
// Requests must not overlap.
class HttpSession {
public:
    HttpSession();
    ~HttpSession();

    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // True when the transfer completed; the answer's body is appended to `response`, and
    // `info`, when given, tells the rest.
    bool request(const HttpRequest& request, std::string& response, TransferInfo* info = nullptr);

private:
    // One transfer within `timeout_ms`.
    bool perform(const HttpRequest& request, std::string& response, long timeout_ms,
                 TransferInfo& info);

    // Drops the Digest state, so that the next request is challenged afresh.
    void forget_challenge();

    CURL* curl_ = nullptr;
    curl_slist* content_type_ = nullptr;
    bool accepted_ = false;  // the last request got past the camera's Digest check
};

}  // namespace Utils
