#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string_view>

namespace tarnwick {

// The longest Intel HEX record: ':' and 2 digits for each of 255 data bytes and 5 others.
inline constexpr std::int64_t kLongestRecord = 1 + 2 * (255 + 5);
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Calls `line` for each line of `in` as a download reads them: a line ends at a line feed, a
// carriage return before it (or at the file's very end) is no part of it, and a line feed at
// the end starts no further line. `text` is the line's start, at most a little more than
// the longest record, so that a file of one huge line is never held whole; `length` is the
// whole line's. Returns the number of lines.
std::int64_t ReadHexLines(std::istream& in,
                          const std::function<void(std::int64_t number, std::string_view text,
                                                   std::int64_t length)>& line);

}  // namespace tarnwick
