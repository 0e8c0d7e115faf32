#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

// HTTP Digest (MD5, qop "auth") as a camera checks it.
//
// Every challenge carries a fresh random nonce, so clients challenged for the same resource at
// the same moment never share one. A nonce stays valid for later requests, for `lifetime` from
// its challenge (zero: for ever), but its nonce count must grow, which refuses replays.
class DigestAuth {
public:
    // How the challenges are written, as cameras of two generations write them.
    enum class Form {
        // Two WWW-Authenticate headers: Digest with domain="::", a nonce with a colon, an empty
        // opaque, algorithm="MD5" and stale="FALSE"; then Basic, which a client must not take.
        Newer,
        // One header: Digest qop, realm, nonce and stale="FALSE", without opaque or algorithm.
        Older,
    };

    DigestAuth(std::string realm, std::string user, std::string password,
               std::chrono::nanoseconds lifetime = {}, Form form = Form::Newer);

    enum class Verdict {
        Accepted,
        Stale,             // right credentials, but the nonce has outlived its lifetime
        Refused,           // an unknown nonce, a replay, another URI, or no Digest at all
        WrongCredentials,  // a well-formed answer with another user name or password
    };

    // The values of the WWW-Authenticate headers of a refusal, with a new nonce issued at
    // `now`; `stale` tells the client that its credentials were right and only the nonce is to
    // be renewed.
    std::vector<std::string> challenges(std::chrono::nanoseconds now, bool stale = false);

    // How `authorization` (the whole Authorization header) answers our challenges for this user,
    // `method` and `uri` (the request target as sent), at `now`.
    Verdict verify(const std::string& method, const std::string& uri,
                   const std::string& authorization, std::chrono::nanoseconds now);

    // Forgets every nonce, as a camera does when it restarts.
    void forget();

private:
    struct Nonce {
        std::uint32_t count;
        std::chrono::nanoseconds issued;
    };

    std::string realm_;
    std::string user_;
    std::string password_;
    std::chrono::nanoseconds lifetime_;
    Form form_;
    std::mutex mutex_;
    std::unordered_map<std::string, Nonce> nonces_;
    std::deque<std::string> nonce_order_;
};

// Lower-case hex MD5 of `text`.
std::string md5_hex(const std::string& text);

}  // namespace sim
