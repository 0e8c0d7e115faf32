#include "terminal_text.h"

#include <algorithm>

namespace Ptz {

namespace {

const char kHex[] = "0123456789abcdef";

// The UTF-8 character that starts at `at`: its length and code point when it is well-formed (no
// overlong form, no surrogate, nothing past U+10FFFF); otherwise `code` is -1 and the length is
// that of the bytes that begin one but do not complete it (at least 1), the part that one U+FFFD
// stands for, as decoders count.
std::size_t utf8_character(const std::string& text, std::size_t at, std::size_t end, long& code) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;  // the second byte's range; the later ones take 80 to BF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
    }
    code = lead & (0x7F >> length);
    std::size_t n = 1;
    for (; n < length && at + n < end; ++n) {
        const unsigned char next = byte(at + n);
        if (next < (n == 1 ? low : 0x80) || next > (n == 1 ? high : 0xBF)) {
            break;
        }
        code = code << 6 | (next & 0x3F);
    }
    if (length == 0 || n != length) {
        code = -1;
    }
    return n;
}

// C1 controls, which some terminals obey as escape sequences, and the bidirectional embeddings,
// overrides and isolates, which reorder how the rest of a line reads.
bool hidden_control(long code) {
    return (code >= 0x80 && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

}  // namespace

std::string terminal_text(const std::string& answer, std::size_t limit) {
    const std::size_t shown = std::min(answer.size(), limit);
    std::string echo;
    echo.reserve(shown + 32);
    const auto escape = [&echo](unsigned char c) {
        echo += "\\x";
        echo += kHex[c >> 4];
        echo += kHex[c & 0x0F];
    };
    for (std::size_t i = 0; i < shown;) {
        const unsigned char c = static_cast<unsigned char>(answer[i]);
        if (c >= 0x80) {
            // A byte of no well-formed character is shown as its value, so that a terminal in an
            // 8-bit encoding never takes 0x9B for the start of a control sequence.
            long code = 0;
            const std::size_t n = utf8_character(answer, i, shown, code);
            if (code < 0 || hidden_control(code)) {
                std::for_each(answer.begin() + i, answer.begin() + i + n, escape);
            } else {
                echo.append(answer, i, n);
            }
            i += n;
            continue;
        }
        // A lone carriage return would let the answer overwrite what the line said before it;
        // the last one shown of a cut text is followed by the mark, not by its line feed.
        const bool lone_cr = c == '\r' && (i + 1 == shown || answer[i + 1] != '\n');
        const bool control = (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
        if (control || lone_cr) {
            escape(c);
        } else {
            echo += static_cast<char>(c);
        }
        ++i;
    }
    if (answer.size() > limit) {
        echo += "[cut: " + std::to_string(answer.size()) + " bytes in all]";
    }
    return echo;
}

std::string json_text(const std::string& text) {
    std::string quoted = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        long code = c;
        std::size_t n = 1;
        if (c >= 0x80) {
            n = utf8_character(text, at, text.size(), code);
        }
        if (code < 0) {
            quoted += "\\ufffd";
        } else if (code == '"' || code == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(code);
        } else if (code < 0x20 || code == 0x7F || hidden_control(code)) {
            quoted += "\\u";
            for (const int shift : {12, 8, 4, 0}) {
                quoted += kHex[(code >> shift) & 0xF];
            }
        } else {
            quoted.append(text, at, n);
        }
        at += n;
    }
    return quoted + "\"";
}

}  // namespace Ptz
