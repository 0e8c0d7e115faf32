#pragma once

#include <cstdint>
#include <string>

namespace Utils {

// A camera's Digest challenge, as this library answers it itself: MD5 and qop "auth", the form
// cameras use. Values as the camera sent them, escapes undone.
struct DigestChallenge {
    std::string realm;
    std::string nonce;
    std::string opaque;     // echoed when the camera sent one, even empty
    std::string algorithm;  // echoed as sent ("MD5", "md5") when the camera named one
    bool has_opaque = false;
    bool has_algorithm = false;
    bool stale = false;  // the credentials were right, only the nonce is to be renewed
};

// What one WWW-Authenticate header holds.
enum class Challenge {
    None,   // another scheme
    Ours,   // a challenge of the form above
    Other,  // Digest of another form: another algorithm, auth-int or no qop, a user hash, a
            // value past 1,024 bytes or holding control bytes, no nonce
};

// Reads the value of a WWW-Authenticate header; `challenge` is filled when it is Ours.
Challenge read_challenge(const std::string& value, DigestChallenge& challenge);

// Answers the challenges of one camera for one user, as libcurl would: the same fields in the
// same order, a nonce count that grows with each request, one client nonce per challenge.
class DigestAnswer {
public:
    // "user:password", split at the first colon as libcurl splits it.
    explicit DigestAnswer(const std::string& userpwd);

    // Whether the user name can stand in a header; when it cannot, libcurl answers instead.
    bool can_answer() const { return can_answer_; }
    // Answers `challenge` from now on, its nonce count from 1, with `cnonce`.
    void take(DigestChallenge challenge, std::string cnonce);
    bool holding() const { return holding_; }
    void forget() { holding_ = false; }

    // The header line "Authorization: Digest ..." of a request of `method` for `uri`, the
    // request target as sent; counts the nonce.
    std::string header(const char* method, const std::string& uri);

private:
    std::string user_;
    std::string password_;
    bool can_answer_ = true;
    bool holding_ = false;
    DigestChallenge challenge_;
    std::string cnonce_;
    std::string ha1_;
    std::uint32_t count_ = 0;
};

// A client nonce: 32 hex digits from the system's random source.
std::string random_cnonce();

// The request target libcurl sends for `url` (its path, escaped as libcurl escapes it, and its
// query), which a Digest answer must name; "" when libcurl cannot take the URL.
std::string request_target(const std::string& url);

}  // namespace Utils
