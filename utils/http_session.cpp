#include "http_session.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

#include "cancel_deferred.h"

namespace Utils {

namespace {

// libcurl's words for the same ends, so that a failure reads alike whoever met it.
const char* const kTimedOut = "Timeout was reached";
const char* const kFollowedOnce = "Maximum (1) redirects followed";

std::atomic<unsigned> g_forks{0};

// How many times the process has been forked, as the child counts it; counted from the first
// session made on.
unsigned forks() {
    static const int counting = pthread_atfork(nullptr, nullptr, [] { g_forks.fetch_add(1); });
    static_cast<void>(counting);
    return g_forks.load(std::memory_order_relaxed);
}

}  // namespace

HttpSession::HttpSession(const std::string& userpwd)
    : curl_(curl_easy_init()),
      content_type_(content_type_header()),
      digest_(userpwd),
      by_libcurl_(!digest_.can_answer()),
      forks_(forks()) {}

HttpSession::~HttpSession() {
    const CancelDeferred deferred;
    if (forks_ != forks()) {
        leave_to_parent();  // a child that never used the session: the connection is the parent's
    }
    curl_slist_free_all(content_type_);
    curl_easy_cleanup(curl_);
    curl_share_cleanup(caches_);
}

CURL* HttpSession::prepare(const HttpRequest& request, ResponseSink& sink, long total_ms,
                           char* error) {
    if (forks_ != forks()) {
        leave_to_parent();
    }
    // Each can fail only for want of memory; a later request tries again.
    if ((curl_ == nullptr && (curl_ = curl_easy_init()) == nullptr) ||
        (content_type_ == nullptr && (content_type_ = content_type_header()) == nullptr)) {
        return nullptr;
    }
    if (caches_ == nullptr && (caches_ = camera_caches()) == nullptr) {
        return nullptr;
    }
    if (by_libcurl_) {
        set_request_options(curl_, request, content_type_, sink, total_ms, error);
    } else {
        curl_slist* lines = nullptr;
        answered_ = digest_.holding();
        if (answered_) {
            const std::string uri = request_target(request.url);
            authorization_ = digest_.header(method_name(request.method), uri);
            lines_[1] = {&authorization_[0], nullptr};
            lines = &lines_[1];
        }
        if (has_body(request.method)) {
            lines_[0] = {content_type_->data, lines};
            lines = &lines_[0];
        }
        set_request_options(curl_, request, lines, sink, total_ms, error, Auth::InHeaders);
    }
    curl_easy_setopt(curl_, CURLOPT_SHARE, caches_);
    return curl_;
}

Challenge HttpSession::refusal(DigestChallenge& ours) const {
    // The challenges of the answer that ended the transfer: the first the session answers
    // itself, or whether there is one of another form.
    Challenge found = Challenge::None;
    curl_header* header = nullptr;
    for (std::size_t i = 0;
         curl_easy_header(curl_, "WWW-Authenticate", i, CURLH_HEADER, -1, &header) == CURLHE_OK;
         ++i) {
        const std::size_t amount = header->amount;
        const Challenge read = read_challenge(header->value, ours);
        if (read == Challenge::Ours) {
            return read;
        }
        found = read == Challenge::Other ? read : found;
        if (i + 1 >= amount) {
            break;
        }
    }
    return found;
}

HttpSession::Next HttpSession::after(long status, long spent_ms, long total_ms, bool retried) {
    if (status == 401 && !by_libcurl_) {
        DigestChallenge challenge;
        const Challenge found = refusal(challenge);
        // Asked without an answer, as libcurl asks, the request goes again, answered; answered,
        // it goes again when the camera calls the nonce stale.
        const bool follow =
            answered_ ? found == Challenge::Ours && challenge.stale : found != Challenge::None;
        if (follow) {
            // libcurl follows a challenge once a request, and fails the transfer at a second.
            if (followed_ || spent_ms >= total_ms) {
                reason_ = followed_ ? kFollowedOnce : kTimedOut;
                followed_ = false;
                return Next::Fail;
            }
            followed_ = true;
            if (found == Challenge::Ours) {
                digest_.take(std::move(challenge), random_cnonce());
            } else {
                // libcurl has read this challenge too, as it reads every one; from a clean state
                // it asks afresh and answers, as it would have from the start.
                by_libcurl_ = true;
                curl_easy_reset(curl_);
            }
            return Next::Answer;
        }
    }
    followed_ = false;
    // A refusal of a challenge that was good before means that the camera has forgotten it: one
    // more try, in the time left, challenged afresh. A refusal after a refusal is a wrong
    // password, and trying again would only count against the account on the camera.
    if (status == 401 && accepted_ && !retried) {
        if (spent_ms >= total_ms) {
            reason_ = kTimedOut;
            return Next::Fail;
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
    for (bool retried = false;;) {
        const long spent = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        ResponseSink sink{&response, 0};
        char error[CURL_ERROR_SIZE];
        CURL* const curl = prepare(request, sink, total_ms - spent, error);
        if (curl == nullptr) {
            info = {0, "out of memory", ""};
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
            case Next::Fail:
                info.reason = reason_;
                return false;
            case Next::Retry:
                retried = true;
                response.resize(kept);
                break;
            case Next::Answer:
                response.resize(kept);
                break;
        }
    }
}

void HttpSession::forget_challenge() {
    digest_.forget();
    // libcurl would answer the next request with the challenge of this refusal and, refused again,
    // answer once more: two refused logins a call. A handle without Digest state asks first and
    // answers one fresh challenge. The connection stays, in the handle's own cache; every option
    // is set again per request.
    if (by_libcurl_) {
        curl_easy_reset(curl_);
    }
}

// The connection a fork left in both processes carries both their requests, and each would read
// answers meant for the other; the parent's Digest answers would repeat the child's counts. So
// the child closes its copy without a word on it: the socket first becomes /dev/null, where
// libcurl's goodbye (a TLS close, a last read) goes, which on the socket itself would end the
// parent's connection or take its bytes.
void HttpSession::leave_to_parent() {
    forks_ = forks();
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_ != nullptr && curl_easy_getinfo(curl_, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK &&
        socket != CURL_SOCKET_BAD) {
        const int nowhere = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (nowhere >= 0) {
            ::dup3(nowhere, socket, O_CLOEXEC);
            ::close(nowhere);
        }
    }
    curl_easy_cleanup(curl_);
    curl_ = nullptr;
    curl_share_cleanup(caches_);
    caches_ = nullptr;
    digest_.forget();
}

}  // namespace Utils
