#pragma once

#include <curl/curl.h>

#include <string>

#include "digest.h"
#include "http_request.h"

namespace Utils {

// The requests of one camera object on one kept libcurl handle with a connection cache of its
// own: the connection is reused while the camera keeps it open, and the Digest challenge of one
// request answers the next, so that a command is one request once the first has been challenged.
// The handle may be driven here (request()) or by an event loop of libcurl's multi interface
// (prepare() and after()); it keeps its connection and its challenge across both. A camera that
// closed the connection gets a new one. A camera that no longer knows the kept challenge (it
// expired, or the camera restarted) refuses the request with 401 before acting on it; the request
// is then sent once more, challenged afresh, within the time left of the same bound. A refusal
// that answered a fresh challenge (the session's first request, the retry, or any request after a
// refusal) is not tried again: the credentials are wrong, and each try would count against the
// account on the camera. It comes back as a completed transfer with status 401, and the next
// request is challenged afresh, so that it costs one refused login, not two.
//
// The session answers the common challenge (MD5, qop "auth") itself: libcurl's own answer costs
// more CPU than the rest of a kept request. The camera sees the requests it would see from
// libcurl, in the same order: a challenge is followed once a request, and a second fails the
// transfer. Any other form of Digest is left to libcurl for the session's life.
//
// Requests must not overlap. In a child of fork() the session leaves the connection it inherited
// to the parent and makes its own, challenged afresh.
class HttpSession {
public:
    explicit HttpSession(const std::string& userpwd);
    ~HttpSession();

    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // True when the transfer completed; the answer's body is appended to `response`, and
    // `info`, when given, tells the rest.
    bool request(const HttpRequest& request, std::string& response, TransferInfo* info = nullptr);

    // The kept handle with `request` set on it, bounded by `total_ms`, for a driver of its own;
    // null when memory ran out (a later request tries again).
    CURL* prepare(const HttpRequest& request, ResponseSink& sink, long total_ms, char* error);

    // What to do once a transfer of the handle completed with HTTP `status`, `spent_ms` after
    // its request began within the bound `total_ms`; `retried` when this was the second try.
    enum class Next {
        Deliver,  // the answer is the request's
        Answer,   // the camera challenged it: send it again, answered, in the time left
        Retry,    // the camera forgot the challenge: send it once more in the time left
        Fail,     // the transfer fails, for reason(): no time is left, or a second challenge
    };
    Next after(long status, long spent_ms, long total_ms, bool retried);
    // Why the last Fail, in libcurl's words.
    const char* reason() const { return reason_; }

private:
    // Drops the Digest state, so that the next request is challenged afresh.
    void forget_challenge();
    // Lets go of the handle, its connection and its challenge, which a fork left to the parent.
    void leave_to_parent();
    // The challenges of the refusal that ended the transfer: Ours, with `ours` filled, when one
    // of them is; otherwise whether any is Digest.
    Challenge refusal(DigestChallenge& ours) const;

    CURL* curl_ = nullptr;
    CURLSH* caches_ = nullptr;  // the connection and name caches the handle keeps wherever it runs
    curl_slist* content_type_ = nullptr;
    bool accepted_ = false;  // the last request got past the camera's Digest check

    DigestAnswer digest_;
    bool by_libcurl_ = false;  // a challenge of another form: libcurl answers from then on
    bool answered_ = false;    // the request in flight carries the session's answer
    bool followed_ = false;    // it has been sent again for a challenge
    const char* reason_ = "";
    // The header lines of the request in flight, in nodes of the session's own: no allocation
    // per request.
    std::string authorization_;
    curl_slist lines_[2] = {};
    unsigned forks_;  // the process's forks when the handle was made
};

}  // namespace Utils
