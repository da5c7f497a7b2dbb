#include "cli/hex_check.h"

#include <cstdio>
#include <optional>
#include <string_view>

namespace tarnwick {
namespace {

// A download counts the lines of a file in 16 bits.
constexpr std::int64_t kMaxLines = 32767;
constexpr int kEndOfFileType = 1;

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return std::nullopt;
}

std::string Hex2(int value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

// Shows a byte of the file as text a terminal can print.
std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
  return "byte 0x" + Hex2(byte);
}

class HexChecker {
 public:
  void Line(std::int64_t number, std::string_view text) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.empty()) return;
    if (end_seen_at_ != 0 && !misplaced_reported_) {
      Fault(number, "record after the end-of-file record of line " + std::to_string(end_seen_at_));
      misplaced_reported_ = true;
    }
    if (text.front() != ':') {
      Fault(number, "does not start with ':'");
      return;
    }
    std::vector<int> bytes;
    if (!Decode(number, text.substr(1), bytes)) return;
    if (bytes.size() < 5) {
      Fault(number, "too short for a record (" + std::to_string(bytes.size()) + " bytes)");
      return;
    }
    const std::size_t data_length = bytes.size() - 5;
    if (static_cast<std::size_t>(bytes[0]) != data_length) {
      Fault(number, "length field says " + std::to_string(bytes[0]) +
                        " data bytes, the record holds " + std::to_string(data_length));
      return;
    }
    int sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
    const int expected = (0x100 - (sum & 0xFF)) & 0xFF;
    if (bytes.back() != expected) {
      Fault(number, "checksum is " + Hex2(bytes.back()) + ", should be " + Hex2(expected));
    }
    if (bytes[3] == kEndOfFileType && end_seen_at_ == 0) end_seen_at_ = number;
  }

  std::vector<HexFault> Finish(std::int64_t lines) {
    if (lines > kMaxLines) {
      Fault(0, std::to_string(lines) + " lines, more than the " + std::to_string(kMaxLines) +
                   " a download can send");
    }
    if (end_seen_at_ == 0) Fault(0, "no end-of-file record");
    return std::move(faults_);
  }

 private:
  bool Decode(std::int64_t number, std::string_view digits, std::vector<int>& bytes) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (!HexDigit(digits[i])) {
        Fault(number,
              Shown(digits[i]) + " at column " + std::to_string(i + 2) + " is not a hex digit");
        return false;
      }
    }
    if (digits.size() % 2 != 0) {
      Fault(number, "odd number of hex digits (" + std::to_string(digits.size()) + ")");
      return false;
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
      bytes.push_back(*HexDigit(digits[i]) * 16 + *HexDigit(digits[i + 1]));
    }
    return true;
  }

  void Fault(std::int64_t line, std::string text) { faults_.push_back({line, std::move(text)}); }

  std::vector<HexFault> faults_;
  std::int64_t end_seen_at_ = 0;
  bool misplaced_reported_ = false;
};

}  // namespace

std::vector<HexFault> CheckHex(std::istream& in) {
  HexChecker checker;
  std::int64_t lines = 0;
  std::string line;
  while (std::getline(in, line)) checker.Line(++lines, line);
  return checker.Finish(lines);
}

}  // namespace tarnwick
