#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace sim {

// HTTP Digest (MD5, qop "auth") as a camera checks it.
//
// Every challenge carries a fresh random nonce, so clients challenged for the same resource at
// the same moment never share one. A nonce stays valid for later requests, but its nonce count
// must grow, which refuses replays.
class DigestAuth {
public:
    DigestAuth(std::string realm, std::string user, std::string password);

    // The value of a WWW-Authenticate header with a new nonce.
    std::string challenge();

    // True when `authorization` (the whole Authorization header) answers one of our challenges
    // for this user, `method` and `uri` (the request target as sent).
    bool verify(const std::string& method, const std::string& uri,
                const std::string& authorization);

private:
    std::string realm_;
    std::string user_;
    std::string password_;
    std::string opaque_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::uint32_t> nonce_counts_;
    std::deque<std::string> nonce_order_;
};

// Lower-case hex MD5 of `text`.
std::string md5_hex(const std::string& text);

}  // namespace sim
