#include "http_session.h"

#include <chrono>

namespace Utils {

HttpSession::HttpSession() : curl_(curl_easy_init()), content_type_(content_type_header()) {}

HttpSession::~HttpSession() {
    curl_slist_free_all(content_type_);
    curl_easy_cleanup(curl_);
    curl_share_cleanup(connections_);
}

CURL* HttpSession::prepare(const HttpRequest& request, ResponseSink& sink, long total_ms,
                           char* error) {
    // Each can fail only for want of memory; a later request tries again.
    if ((curl_ == nullptr && (curl_ = curl_easy_init()) == nullptr) ||
        (content_type_ == nullptr && (content_type_ = content_type_header()) == nullptr)) {
        return nullptr;
    }
    // A handle in a multi handle takes its connections from the multi handle's cache, shared by
    // every handle there; with a cache of its own it keeps its one connection to its camera.
    if (connections_ == nullptr) {
        connections_ = curl_share_init();
        if (connections_ == nullptr || curl_share_setopt(connections_, CURLSHOPT_SHARE,
                                                         CURL_LOCK_DATA_CONNECT) != CURLSHE_OK) {
            curl_share_cleanup(connections_);
            connections_ = nullptr;
            return nullptr;
        }
    }
    set_request_options(curl_, request, content_type_, sink, total_ms, error);
    curl_easy_setopt(curl_, CURLOPT_SHARE, connections_);
    return curl_;
}

HttpSession::Next HttpSession::after(long status, long spent_ms, long total_ms, bool retried) {
    // libcurl answers a refusal marked stale itself. A refusal of a challenge that was good
    // before means that the camera has forgotten it: one more try, in the time left, challenged
    // afresh. A refusal after a refusal is a wrong password, and trying again would only count
    // against the account on the camera.
    if (status == 401 && accepted_ && !retried) {
        if (spent_ms >= total_ms) {
            return Next::TimedOut;
        }
        forget_challenge();
        return Next::Retry;
    }
    accepted_ = status != 401;
    if (!accepted_) {
        forget_challenge();
    }
    return Next::Deliver;
}

bool HttpSession::request(const HttpRequest& request, std::string& response, TransferInfo* given) {
    TransferInfo own;
    TransferInfo& info = given != nullptr ? *given : own;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const std::size_t kept = response.size();
    const long total_ms = request.timeouts.total_ms;
    for (bool retried = false;; retried = true) {
        const long spent = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        ResponseSink sink{&response, 0};
        char error[CURL_ERROR_SIZE];
        CURL* const curl = prepare(request, sink, total_ms - spent, error);
        if (curl == nullptr) {
            info = {0, "out of memory"};
            return false;
        }
        const bool completed = transfer_info(curl, curl_easy_perform(curl), sink, error, &info);
        // The buffer is gone when this returns.
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
        if (!completed) {
            return false;
        }
        const long now = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        switch (after(info.status, now, total_ms, retried)) {
            case Next::Deliver:
                return true;
            case Next::TimedOut:
                info.reason = "Timeout was reached";
                return false;
            case Next::Retry:
                response.resize(kept);
                break;
        }
    }
}

void HttpSession::forget_challenge() {
    // libcurl would answer the next request with the challenge of this refusal and, refused again,
    // answer once more: two refused logins a call. A handle without Digest state asks first and
    // answers one fresh challenge. The connection stays, in the handle's own cache; every option
    // is set again per request.
    curl_easy_reset(curl_);
}

}  // namespace Utils
