// Any bytes as a camera's WWW-Authenticate header: a challenge the session answers itself has a
// nonce, and its answer is one header line, however the camera wrote its values.
#include <string>

#include "fuzz_target.h"
#include "utils/digest.h"

ZELKO_FUZZ_TARGET(digest_challenge) {
    const std::string value(reinterpret_cast<const char*>(data), size);
    Utils::DigestChallenge challenge;
    if (Utils::read_challenge(value, challenge) != Utils::Challenge::Ours) {
        return 0;
    }
    Utils::DigestAnswer answer("admin:pass\"word");
    answer.take(challenge, "0a4f113b");
    const std::string line = answer.header("GET", "/ISAPI/PTZCtrl/channels/1/absoluteEx");
    ZELKO_FUZZ_CHECK(line.rfind("Authorization: Digest username=\"admin\", realm=\"", 0) == 0);
    for (const char c : line) {
        ZELKO_FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
    }
    return 0;
}
