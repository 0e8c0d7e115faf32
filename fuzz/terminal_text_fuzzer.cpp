// Any bytes as a camera's text: what reaches a terminal holds nothing it would obey, as a line or
// as a JSON string, and a text shown shows as itself.
#include <string>

#include "fuzz_target.h"
#include "ptz/terminal_text.h"

// A byte below 0x20 but tab, line feed and a carriage return before one; DEL; the UTF-8 of a C1
// control, or of a bidirectional override or isolate.
static bool obeyed(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto at = [&s, i](std::size_t k) {
            return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0;
        };
        const unsigned c = at(0), d = at(1), e = at(2);
        if ((c < 0x20 && c != '\t' && c != '\n' && !(c == '\r' && d == '\n')) || c == 0x7F ||
            (c == 0xC2 && d >= 0x80 && d <= 0x9F) ||
            (c == 0xE2 && d == 0x80 && e >= 0xAA && e <= 0xAE) ||
            (c == 0xE2 && d == 0x81 && e >= 0xA6 && e <= 0xA9)) {
            return true;
        }
    }
    return false;
}

ZELKO_FUZZ_TARGET(terminal_text) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string shown = Ptz::terminal_text(text, size / 2);
    ZELKO_FUZZ_CHECK(!obeyed(shown) && !obeyed(Ptz::json_text(text)));
    ZELKO_FUZZ_CHECK(Ptz::terminal_text(shown, shown.size()) == shown);
    return 0;
}
