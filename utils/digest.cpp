#include "digest.h"

#include <curl/curl.h>
#include <strings.h>
#include <sys/random.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "md5.h"

namespace Utils {

namespace {

// libcurl's bound on a challenge's value; a longer one is left to libcurl.
const std::size_t kMaxValue = 1024;

bool blank(char c) {
    return c == ' ' || c == '\t';
}

bool equals(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// Control bytes would end the header line or forge another.
bool printable(const std::string& text) {
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            return false;
        }
    }
    return true;
}

// Whether the comma-separated `list` holds the token `token`, white space aside.
bool lists(const std::string& list, const char* token) {
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t end = list.find(',', at);
        end = end == std::string::npos ? list.size() : end;
        std::size_t first = at, last = end;
        while (first < last && blank(list[first])) {
            ++first;
        }
        while (last > first && blank(list[last - 1])) {
            --last;
        }
        if (last - first == std::strlen(token) &&
            strncasecmp(list.c_str() + first, token, last - first) == 0) {
            return true;
        }
        at = end + 1;
    }
    return false;
}

// One `name=value` or `name="value"` at `at`, escapes undone; false when malformed or too long.
bool read_pair(const std::string& text, std::size_t& at, std::string& name, std::string& value) {
    const std::size_t n = text.size();
    const std::size_t start = at;
    while (at < n && text[at] != '=' && text[at] != ',' && !blank(text[at])) {
        ++at;
    }
    if (at == start || at >= n || text[at] != '=') {
        return false;
    }
    name.assign(text, start, at - start);
    ++at;
    value.clear();
    if (at < n && text[at] == '"') {
        for (++at; at < n && text[at] != '"'; ++at) {
            if (text[at] == '\\' && at + 1 < n) {
                ++at;
            }
            value += text[at];
        }
        if (at >= n) {
            return false;  // unterminated
        }
        ++at;
    } else {
        while (at < n && text[at] != ',' && !blank(text[at])) {
            value += text[at++];
        }
    }
    return value.size() <= kMaxValue;
}

// `text` in a quoted string: a quote or a backslash escaped with a backslash.
void quote(std::string& out, const std::string& text) {
    out += '"';
    if (text.find_first_of("\"\\") == std::string::npos) {
        out += text;
    } else {
        for (const char c : text) {
            if (c == '"' || c == '\\') {
                out += '\\';
            }
            out += c;
        }
    }
    out += '"';
}

// Characters that libcurl sends in a path as they stand; a dot only where it cannot begin a
// dot segment, which libcurl would remove.
bool plain_target(const std::string& target) {
    static const char kPlain[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_~/?=&.,:";
    return target.find_first_not_of(kPlain) == std::string::npos &&
           target.find("/.") == std::string::npos;
}

}  // namespace

Challenge read_challenge(const std::string& value, DigestChallenge& challenge) {
    if (value.size() < 7 || strncasecmp(value.c_str(), "Digest", 6) != 0 || !blank(value[6])) {
        return Challenge::None;
    }
    DigestChallenge read;
    bool has_nonce = false, auth = false, md5 = true;
    std::string name, text;
    for (std::size_t at = 7; at < value.size();) {
        if (blank(value[at]) || value[at] == ',') {
            ++at;
            continue;
        }
        if (!read_pair(value, at, name, text)) {
            return Challenge::Other;
        }
        if (equals(name, "realm")) {
            read.realm = text;
        } else if (equals(name, "nonce")) {
            read.nonce = text;
            has_nonce = true;
        } else if (equals(name, "opaque")) {
            read.opaque = text;
            read.has_opaque = true;
        } else if (equals(name, "qop")) {
            auth = lists(text, "auth");
        } else if (equals(name, "algorithm")) {
            read.algorithm = text;
            read.has_algorithm = true;
            md5 = equals(text, "MD5");
        } else if (equals(name, "stale")) {
            read.stale = equals(text, "true");
        } else if (equals(name, "userhash") && equals(text, "true")) {
            return Challenge::Other;
        }
    }
    if (!has_nonce || !auth || !md5 || !printable(read.realm) || !printable(read.nonce) ||
        !printable(read.opaque) || !printable(read.algorithm)) {
        return Challenge::Other;
    }
    challenge = std::move(read);
    return Challenge::Ours;
}

DigestAnswer::DigestAnswer(const std::string& userpwd) {
    const std::size_t colon = userpwd.find(':');
    user_ = userpwd.substr(0, colon);
    password_ = colon == std::string::npos ? std::string() : userpwd.substr(colon + 1);
    can_answer_ = printable(user_);
}

void DigestAnswer::take(DigestChallenge challenge, std::string cnonce) {
    challenge_ = std::move(challenge);
    cnonce_ = std::move(cnonce);
    count_ = 0;
    ha1_ = Md5().add(user_).add(":", 1).add(challenge_.realm).add(":", 1).add(password_).hex();
    holding_ = true;
}

std::string DigestAnswer::header(const char* method, const std::string& uri) {
    char count[9];
    std::snprintf(count, sizeof count, "%08x", ++count_);
    const std::string ha2 = Md5().add(method, std::strlen(method)).add(":", 1).add(uri).hex();
    const std::string response = Md5()
                                     .add(ha1_)
                                     .add(":", 1)
                                     .add(challenge_.nonce)
                                     .add(":", 1)
                                     .add(count, 8)
                                     .add(":", 1)
                                     .add(cnonce_)
                                     .add(":auth:", 6)
                                     .add(ha2)
                                     .hex();
    std::string line;
    line.reserve(256 + challenge_.nonce.size() + uri.size());
    line += "Authorization: Digest username=";
    quote(line, user_);
    line += ", realm=";
    quote(line, challenge_.realm);
    line += ", nonce=";
    quote(line, challenge_.nonce);
    line += ", uri=\"";
    line += uri;
    line += "\", cnonce=\"";
    line += cnonce_;
    line += "\", nc=";
    line.append(count, 8);
    line += ", qop=auth, response=\"";
    line += response;
    line += '"';
    if (challenge_.has_opaque) {
        line += ", opaque=";
        quote(line, challenge_.opaque);
    }
    if (challenge_.has_algorithm) {
        line += ", algorithm=";
        line += challenge_.algorithm;
    }
    return line;
}

std::string random_cnonce() {
    unsigned char bytes[16];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        std::random_device device;
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(device());
        }
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(32, '0');
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        hex[i * 2] = kDigits[bytes[i] >> 4];
        hex[i * 2 + 1] = kDigits[bytes[i] & 0x0f];
    }
    return hex;
}

std::string request_target(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme != std::string::npos) {
        const std::size_t path = url.find_first_of("/?#", scheme + 3);
        if (path == std::string::npos) {
            return "/";
        }
        const std::string target = url.substr(path);
        if (target[0] == '/' && plain_target(target)) {
            return target;
        }
    }
    // Anything else as libcurl's own parser takes it: escapes, dot segments, a fragment.
    std::string target;
    CURLU* parsed = curl_url();
    char* path = nullptr;
    char* query = nullptr;
    if (parsed != nullptr &&
        curl_url_set(parsed, CURLUPART_URL, url.c_str(),
                     CURLU_GUESS_SCHEME | CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_PATH, &path, CURLU_URLENCODE) == CURLUE_OK) {
        target = path;
        if (curl_url_get(parsed, CURLUPART_QUERY, &query, 0) == CURLUE_OK) {
            target += std::string("?") + query;
        }
    }
    curl_free(path);
    curl_free(query);
    curl_url_cleanup(parsed);
    return target;
}

}  // namespace Utils
