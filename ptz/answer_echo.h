#pragma once

#include <cstddef>
#include <string>

namespace Ptz {

// How much of a camera's answer an error line shows.
const std::size_t kEchoLimit = 4096;

// A camera's answer as it may reach an operator's terminal: every byte below 0x20 other than tab
// and line feed, a carriage return not directly followed by a line feed, and 0x7F are written as
// \xNN (two lowercase hex digits); NUL too, and what follows it is shown. Only the first `limit`
// bytes are shown; a longer answer ends in "[cut: N bytes in all]". A clean answer up to `limit`
// bytes comes back unchanged.
std::string echo_answer(const std::string& answer, std::size_t limit = kEchoLimit);

}  // namespace Ptz
