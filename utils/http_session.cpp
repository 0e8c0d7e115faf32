#include "http_session.h"

#include <chrono>

namespace Utils {

HttpSession::HttpSession() : curl_(curl_easy_init()), content_type_(content_type_header()) {}

HttpSession::~HttpSession() {
    curl_slist_free_all(content_type_);
    curl_easy_cleanup(curl_);
}

bool HttpSession::perform(const HttpRequest& request, std::string& response, long timeout_ms,
                          TransferInfo& info) {
    ResponseSink sink{&response, 0};
    char error[CURL_ERROR_SIZE];
    set_request_options(curl_, request, content_type_, sink, timeout_ms, error);
    const bool completed = Utils::perform(curl_, sink, error, &info);
    // The buffer is gone when this returns.
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, nullptr);
    return completed;
}

bool HttpSession::request(const HttpRequest& request, std::string& response, TransferInfo* given) {
    TransferInfo own;
    TransferInfo& info = given != nullptr ? *given : own;
    // Either can fail only for want of memory; a later request tries again.
    if ((curl_ == nullptr && (curl_ = curl_easy_init()) == nullptr) ||
        (content_type_ == nullptr && (content_type_ = content_type_header()) == nullptr)) {
        info = {0, "out of memory"};
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const std::size_t kept = response.size();
    if (!perform(request, response, kRequestTimeoutMs, info)) {
        return false;
    }
    // libcurl answers a refusal marked stale itself. A refusal of a challenge that was good
    // before means that the camera has forgotten it: one more try, in the time left, challenged
    // afresh. A refusal after a refusal is a wrong password, and trying again would only count
    // against the account on the camera.
    if (info.status == 401 && accepted_) {
        const long spent = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        if (spent >= kRequestTimeoutMs) {
            info.reason = "Timeout was reached";
            return false;
        }
        response.resize(kept);
        forget_challenge();
        if (!perform(request, response, kRequestTimeoutMs - spent, info)) {
            return false;
        }
    }
    accepted_ = info.status != 401;
    if (!accepted_) {
        forget_challenge();
    }
    return true;
}

void HttpSession::forget_challenge() {
    // libcurl would answer the next request with the challenge of this refusal and, refused again,
    // answer once more: two refused logins a call. A handle without Digest state asks first and
    // answers one fresh challenge. The connection stays; every option is set again per request.
    curl_easy_reset(curl_);
}

}  // namespace Utils
