#include "core/download/version_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarnwick {

namespace {

bool IsSkipped(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Walks the text once, skipping blanks, tabs and line feeds, and hands out the characters
// that take part in the number.
class NumberScanner {
 public:
  explicit NumberScanner(std::string_view text) : text_(text) {}

  // The next significant character, or '\0' at the end.
  char Peek() {
    while (pos_ < text_.size() && IsSkipped(text_[pos_])) ++pos_;
    ran_out_ = ran_out_ || pos_ == text_.size();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  void Take() { ++pos_; }
  // Marks the character just taken as part of the number.
  void Keep() {
    if (!kept_) first_ = pos_ - 1;
    kept_ = true;
    end_ = pos_;
  }
  // The extent of the kept characters: the number as it stands in the text.
  std::string_view Kept() const {
    return kept_ ? text_.substr(first_, end_ - first_) : std::string_view();
  }
  // True when the reading looked past the end of the text: more text could have continued it.
  bool RanOut() const { return ran_out_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool ran_out_ = false;
  bool kept_ = false;
  std::size_t first_ = 0;
  std::size_t end_ = 0;
};

// Copies the number into the plain form that std::from_chars reads: [-]digits[.digits][e[-]digits].
std::string CollectNumber(NumberScanner& scan) {
  std::string number;
  if (scan.Peek() == '+' || scan.Peek() == '-') {
    if (scan.Peek() == '-') number += '-';
    scan.Take();
    scan.Keep();
  }
  bool seen_point = false;
  bool seen_digit = false;
  for (char c = scan.Peek(); IsDigit(c) || (c == '.' && !seen_point); c = scan.Peek()) {
    seen_point = seen_point || c == '.';
    seen_digit = seen_digit || IsDigit(c);
    number += c;
    scan.Take();
    scan.Keep();
  }
  if (!seen_digit) return std::string();

  const char e = scan.Peek();
  if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
    scan.Take();
    std::string exponent = "e";
    if (scan.Peek() == '+' || scan.Peek() == '-') {
      if (scan.Peek() == '-') exponent += '-';
      scan.Take();
    }
    const std::size_t digits_start = exponent.size();
    for (char c = scan.Peek(); IsDigit(c); c = scan.Peek()) {
      exponent += c;
      scan.Take();
      scan.Keep();
    }
    // An exponent letter without digits is not part of the number.
    if (exponent.size() > digits_start) number += exponent;
  }
  return number;
}

// The smallest magnitude that rounds to infinity in single precision: halfway between the
// largest float and 2^128.
const double kFloatOverflow =
    static_cast<double>(std::numeric_limits<float>::max()) + std::ldexp(1.0, 103);

}  // namespace

std::string_view VersionNumberText(std::string_view text) {
  NumberScanner scan(text);
  return CollectNumber(scan).empty() ? std::string_view() : scan.Kept();
}

bool VersionNumberComplete(std::string_view text) {
  NumberScanner scan(text);
  CollectNumber(scan);
  return !scan.RanOut();
}

float ReadVersionNumber(std::string_view text) {
  NumberScanner scan(text);
  const std::string number = CollectNumber(scan);
  if (number.empty()) return 0.0f;

  std::string_view digits = number;
  // from_chars reads no leading "." without a digit before it in every library; give it one.
  std::string with_zero;
  const bool negative = !digits.empty() && digits.front() == '-';
  if (negative) digits.remove_prefix(1);
  if (!digits.empty() && digits.front() == '.') {
    with_zero.assign(1, '0');
    with_zero.append(digits);
    digits = with_zero;
  }

  double value = 0.0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  // Out of range means too large (not representable) or too small (as good as 0); either way 0.
  if (result.ec != std::errc() || !std::isfinite(value) || std::fabs(value) >= kFloatOverflow) {
    return 0.0f;
  }
  const float rounded = static_cast<float>(value);
  return negative ? -rounded : rounded;
}

}  // namespace tarnwick
