#include "terminal_text.h"

#include <algorithm>

namespace Ptz {

std::string terminal_text(const std::string& answer, std::size_t limit) {
    static const char kHex[] = "0123456789abcdef";
    const std::size_t shown = std::min(answer.size(), limit);
    std::string echo;
    echo.reserve(shown + 32);
    for (std::size_t i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(answer[i]);
        // A lone carriage return would let the answer overwrite what the line said before it;
        // the last one shown of a cut text is followed by the mark, not by its line feed.
        const bool lone_cr = c == '\r' && (i + 1 == shown || answer[i + 1] != '\n');
        const bool control = (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f;
        if (control || lone_cr) {
            echo += "\\x";
            echo += kHex[c >> 4];
            echo += kHex[c & 0x0f];
        } else {
            echo += static_cast<char>(c);
        }
    }
    if (answer.size() > limit) {
        echo += "[cut: " + std::to_string(answer.size()) + " bytes in all]";
    }
    return echo;
}

}  // namespace Ptz
