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
/// follows it is shown. Only the first `limit` bytes are shown; a longer text ends in "[cut: N
/// bytes in all]". A clean text up to `limit` bytes comes back unchanged.
ZELKO_PTZ_API std::string terminal_text(const std::string& text,
                                        std::size_t limit = kShownAnswerBytes);

}  // namespace Ptz
