#include "core/settings/field_reader.h"

#include <algorithm>
#include <limits>

namespace tarnwick {
namespace {

constexpr int kEof = std::char_traits<char>::eof();

bool IsLineEnd(int byte) {
  return byte == '\r' || byte == '\n';
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Exactly half rounds to the even neighbour; the fraction is compared as decimal text, so no
// binary fraction can tip a half either way.
bool RoundsUp(std::int32_t whole, std::string_view fraction) {
  if (fraction.empty() || fraction.front() < '5') return false;
  if (fraction.front() > '5' || fraction.find_first_not_of('0', 1) != std::string_view::npos) {
    return true;
  }
  return whole % 2 == 1;
}

}  // namespace

std::optional<std::string> FieldReader::Next() {
  while (in_.sgetc() == ' ') in_.sbumpc();
  const int first = in_.sgetc();
  if (first == kEof) return std::nullopt;
  return first == '"' ? Quoted() : Unquoted();
}

std::optional<std::string> FieldReader::Quoted() {
  in_.sbumpc();  // the opening quote
  std::string value;
  for (int c = in_.sbumpc(); c != kEof; c = in_.sbumpc()) {
    if (IsLineEnd(c)) {
      FinishLineEnd(c);
      break;
    }
    if (c == '"') {
      if (in_.sgetc() != '"') {
        SkipPastFieldEnd();
        break;
      }
      in_.sbumpc();  // a doubled quote stands for one
    }
    if (value.size() == kMaxFieldBytes) return std::nullopt;
    value.push_back(static_cast<char>(c));
  }
  return value;
}

std::optional<std::string> FieldReader::Unquoted() {
  std::string value;
  for (int c = in_.sbumpc(); c != kEof && c != ','; c = in_.sbumpc()) {
    if (IsLineEnd(c)) {
      FinishLineEnd(c);
      break;
    }
    if (value.size() == kMaxFieldBytes) return std::nullopt;
    value.push_back(static_cast<char>(c));
  }
  value.erase(value.find_last_not_of(' ') + 1);  // npos + 1 == 0 when only spaces remain
  return value;
}

void FieldReader::SkipPastFieldEnd() {
  for (int c = in_.sbumpc(); c != kEof && c != ','; c = in_.sbumpc()) {
    if (IsLineEnd(c)) {
      FinishLineEnd(c);
      return;
    }
  }
}

void FieldReader::FinishLineEnd(int byte) {
  if (byte == '\r' && in_.sgetc() == '\n') in_.sbumpc();
}

std::optional<std::int16_t> ToWholeNumber(std::string_view text) {
  const auto begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return std::nullopt;
  text = text.substr(begin, text.find_last_not_of(' ') + 1 - begin);

  const bool negative = text.front() == '-';
  if (negative || text.front() == '+') text.remove_prefix(1);
  const auto point = text.find('.');
  std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if ((whole.empty() && fraction.empty()) || !AllDigits(whole) || !AllDigits(fraction)) {
    return std::nullopt;
  }

  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.size() > 5) return std::nullopt;  // more than 99999 overflows whatever follows
  std::int32_t magnitude = 0;
  for (const char digit : whole) magnitude = magnitude * 10 + (digit - '0');
  if (RoundsUp(magnitude, fraction)) ++magnitude;

  const std::int32_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace tarnwick
