#include "cli/hex_lines.h"

#include <array>
#include <string>

namespace tarnwick {
namespace {

// Enough to see that a line is too long, and to show what it starts with.
constexpr std::size_t kKept = kLongestRecord + kByteOrderMark.size() + 1;

}  // namespace

std::int64_t ReadHexLines(std::istream& in,
                          const std::function<void(std::int64_t number, std::string_view text,
                                                   std::int64_t length)>& line) {
  std::int64_t lines = 0;
  std::string kept;
  std::int64_t length = 0;
  bool carriage_return = false;  // the line so far ends in one, which is not counted
  const auto finish_line = [&] {
    line(++lines, kept, length);
    kept.clear();
    length = 0;
    carriage_return = false;
  };
  std::array<char, 64 * 1024> buffer;
  while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) {
      const char c = buffer[static_cast<std::size_t>(i)];
      if (c == '\n') {
        finish_line();
        continue;
      }
      if (carriage_return) {
        // A carriage return inside a line is part of it, as a download sends it.
        if (kept.size() < kKept) kept += '\r';
        ++length;
      }
      carriage_return = c == '\r';
      if (carriage_return) continue;
      if (kept.size() < kKept) kept += c;
      ++length;
    }
  }
  if (length > 0 || carriage_return) finish_line();
  return lines;
}

}  // namespace tarnwick
