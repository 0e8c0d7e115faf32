#include "http_session.h"

#include <chrono>

namespace Utils {

HttpSession::HttpSession() : curl_(curl_easy_init()), content_type_(content_type_header()) {}

HttpSession::~HttpSession() {
    curl_slist_free_all(content_type_);
    curl_easy_cleanup(curl_);
}

bool HttpSession::perform(const HttpRequest& request, std::string& response, long timeout_ms,
                          long& status) {
    ResponseSink sink{&response, 0};
    set_request_options(curl_, request, content_type_, sink, timeout_ms);
    if (curl_easy_perform(curl_) != CURLE_OK) {
        return false;
    }
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
    return true;
}

bool HttpSession::request(const HttpRequest& request, std::string& response) {
    // Either can fail only for want of memory; a later request tries again.
    if (curl_ == nullptr && (curl_ = curl_easy_init()) == nullptr) {
        return false;
    }
    if (content_type_ == nullptr && (content_type_ = content_type_header()) == nullptr) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const std::size_t kept = response.size();
    long status = 0;
    if (!perform(request, response, kRequestTimeoutMs, status)) {
        return false;
    }
    // libcurl answers a refusal marked stale itself. A refusal of a challenge that was good
    // before means that the camera has forgotten it; the refusal carries a new one, which libcurl
    // has taken: one more try, in the time left. A refusal after a refusal is a wrong password,
    // and trying again would only count against the account on the camera.
    if (status == 401 && accepted_) {
        const long spent = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        if (spent >= kRequestTimeoutMs) {
            return false;
        }
        response.resize(kept);
        if (!perform(request, response, kRequestTimeoutMs - spent, status)) {
            return false;
        }
    }
    accepted_ = status != 401;
    return true;
}

}  // namespace Utils
