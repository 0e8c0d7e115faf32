#pragma once

#include <cstddef>
#include <string>

#include "../utils/export.h"

namespace Ptz {

/// How much of a camera's answer an error line shows.
inline constexpr std::size_t kShownAnswerBytes = 4096;

/// A camera's text as it may reach an operator's terminal, as the error lines show an answer:
/// every byte below 0x20 other than tab and line feed, a carriage return not directly followed
/// by a line feed, and 0x7F are written as \\xNN (two lowercase hex digits); NUL too, and what
/// follows it is shown. So is each byte of a C1 control (U+0080 to U+009F) or a bidirectional
/// embedding, override or isolate (U+202A to U+202E, U+2066 to U+2069), and each byte that is
/// not part of a well-formed UTF-8 character. Only the first `limit` bytes are shown; a longer
/// text ends in "[cut: N bytes in all]". A clean text up to `limit` bytes comes back unchanged.
ZELKO_PTZ_API std::string terminal_text(const std::string& text,
                                        std::size_t limit = kShownAnswerBytes);

/// A camera's text as a JSON string, its quotes included, that reads the same to a JSON parser
/// and is as safe on a terminal as terminal_text(): the bytes below 0x20, 0x7F, the C1 controls
/// and the bidirectional embeddings, overrides and isolates as \\u escapes, and each part that
/// is no well-formed UTF-8 character (a name saved in another encoding) as one \\ufffd, as
/// Python decodes it with errors="replace".
ZELKO_PTZ_API std::string json_text(const std::string& text);

}  // namespace Ptz
