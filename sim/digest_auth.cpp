#include "digest_auth.h"

#include <openssl/evp.h>
#include <sys/random.h>

#include <map>
#include <stdexcept>

namespace sim {

namespace {

// Old nonces are forgotten beyond this many, so a long run keeps bounded memory.
const std::size_t kMaxNonces = 4096;

std::string to_hex(const unsigned char* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 0x0f];
    }
    return hex;
}

std::string random_hex(std::size_t bytes) {
    unsigned char buffer[32];
    if (bytes > sizeof buffer || getrandom(buffer, bytes, 0) != static_cast<ssize_t>(bytes)) {
        throw std::runtime_error("no random bytes for a Digest nonce");
    }
    return to_hex(buffer, bytes);
}

// Splits `Digest a="x", b=y` into its parameters; quoted values may hold commas and escapes.
std::map<std::string, std::string> digest_params(const std::string& header) {
    std::map<std::string, std::string> params;
    const std::string scheme = "Digest ";
    if (header.compare(0, scheme.size(), scheme) != 0) {
        return params;
    }
    std::size_t i = scheme.size();
    const std::size_t n = header.size();
    while (i < n) {
        while (i < n && (header[i] == ' ' || header[i] == ',')) {
            ++i;
        }
        const std::size_t eq = header.find('=', i);
        if (eq == std::string::npos) {
            break;
        }
        std::string key = header.substr(i, eq - i);
        while (!key.empty() && key.back() == ' ') {
            key.pop_back();
        }
        i = eq + 1;
        std::string value;
        if (i < n && header[i] == '"') {
            for (++i; i < n && header[i] != '"'; ++i) {
                if (header[i] == '\\' && i + 1 < n) {
                    ++i;
                }
                value += header[i];
            }
            ++i;
        } else {
            while (i < n && header[i] != ',') {
                value += header[i++];
            }
            while (!value.empty() && value.back() == ' ') {
                value.pop_back();
            }
        }
        params[key] = value;
    }
    return params;
}

}  // namespace

std::string md5_hex(const std::string& text) {
    // Fetched once: looked up by name for every digest, it would cost more than the digest.
    static EVP_MD* const md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (md5 == nullptr || EVP_Digest(text.data(), text.size(), digest, &size, md5, nullptr) != 1) {
        throw std::runtime_error("MD5 is not available");
    }
    return to_hex(digest, size);
}

DigestAuth::DigestAuth(std::string realm, std::string user, std::string password,
                       std::chrono::nanoseconds lifetime, Form form)
    : realm_(std::move(realm)),
      user_(std::move(user)),
      password_(std::move(password)),
      lifetime_(lifetime),
      form_(form) {}

std::vector<std::string> DigestAuth::challenges(std::chrono::nanoseconds now, bool stale) {
    // Newer firmware joins a time to the random part, with a colon.
    const std::string nonce =
        random_hex(16) +
        (form_ == Form::Newer
             ? ":" + std::to_string(
                         std::chrono::duration_cast<std::chrono::milliseconds>(now).count())
             : "");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        nonces_[nonce] = {0, now};
        nonce_order_.push_back(nonce);
        if (nonce_order_.size() > kMaxNonces) {
            nonces_.erase(nonce_order_.front());
            nonce_order_.pop_front();
        }
    }
    const std::string staleness = stale ? "TRUE" : "FALSE";
    if (form_ == Form::Older) {
        return {"Digest qop=\"auth\", realm=\"" + realm_ + "\", nonce=\"" + nonce + "\", stale=\"" +
                staleness + "\""};
    }
    return {"Digest realm=\"" + realm_ + "\", domain=\"::\", qop=\"auth\", nonce=\"" + nonce +
                "\", opaque=\"\", algorithm=\"MD5\", stale=\"" + staleness + "\"",
            "Basic realm=\"" + realm_ + "\""};
}

void DigestAuth::forget() {
    std::lock_guard<std::mutex> lock(mutex_);
    nonces_.clear();
    nonce_order_.clear();
}

DigestAuth::Verdict DigestAuth::verify(const std::string& method, const std::string& uri,
                                       const std::string& authorization,
                                       std::chrono::nanoseconds now) {
    auto params = digest_params(authorization);
    if (params["realm"] != realm_ || params["uri"] != uri || params["qop"] != "auth" ||
        params["nc"].size() != 8 || params["cnonce"].empty()) {
        return Verdict::Refused;
    }
    const std::string& algorithm = params["algorithm"];
    if (!algorithm.empty() && algorithm != "MD5") {
        return Verdict::Refused;
    }
    std::uint32_t nc = 0;
    try {
        std::size_t used = 0;
        nc = static_cast<std::uint32_t>(std::stoul(params["nc"], &used, 16));
        if (used != 8) {
            return Verdict::Refused;
        }
    } catch (const std::exception&) {
        return Verdict::Refused;
    }
    const std::string ha1 = md5_hex(user_ + ":" + realm_ + ":" + password_);
    const std::string ha2 = md5_hex(method + ":" + uri);
    const std::string expected = md5_hex(ha1 + ":" + params["nonce"] + ":" + params["nc"] + ":" +
                                         params["cnonce"] + ":auth:" + ha2);
    if (params["username"] != user_ || params["response"] != expected) {
        return Verdict::WrongCredentials;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto known = nonces_.find(params["nonce"]);
    if (known == nonces_.end() || nc <= known->second.count) {
        return Verdict::Refused;
    }
    if (lifetime_.count() > 0 && now - known->second.issued >= lifetime_) {
        return Verdict::Stale;
    }
    known->second.count = nc;
    return Verdict::Accepted;
}

}  // namespace sim
