#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

namespace tarnwick {

// Reads a settings file field by field, not line by line: values are separated by commas and
// line ends alike. Spaces before a value are skipped. A value that begins with a double quote ends
// at the next lone double quote; a doubled one inside stands for one quote, and the rest of the
// field up to just past the next comma or line end is skipped. Any other value ends at the first
// comma or line end, without its trailing spaces. A line end is CRLF, LF or CR.
//
// Bounds: a quoted value that has not closed by its line end (or the end of the data) ends
// there; a field never reaches past its line end, beyond one byte looked at to see whether LF
// follows CR; and a value longer than kMaxFieldBytes fails instead of filling memory. Bytes pass
// through unchanged (UTF-8, NUL).
class FieldReader {
 public:
  // Far beyond any path the systems can name, small enough that binary junk costs nothing.
  static constexpr std::size_t kMaxFieldBytes = std::size_t{1} << 20;

  explicit FieldReader(std::streambuf& in) : in_(in) {}

  // The next field; nullopt when no data is left before it or it is longer than the limit.
  std::optional<std::string> Next();

 private:
  std::optional<std::string> Quoted();
  std::optional<std::string> Unquoted();
  void SkipPastFieldEnd();
  void FinishLineEnd(int byte);

  std::streambuf& in_;
};

// Converts a field to a 16-bit whole number: surrounding spaces ignored, an optional sign, decimal
// digits with an optional fraction that is rounded half to even (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
// Anything else (empty text, letters, exponents, hexadecimal) is not a number, and a value outside
// -32768..32767 overflows: nullopt.
std::optional<std::int16_t> ToWholeNumber(std::string_view text);

}  // namespace tarnwick
