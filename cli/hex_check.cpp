#include "cli/hex_check.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "cli/hex_lines.h"
#include "core/hex/intel_hex.h"

namespace tarnwick {
namespace {

// A download counts the lines of a file in 16 bits.
constexpr std::int64_t kMaxLines = 32767;

std::string DataBytes(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " data byte" : " data bytes");
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
  void Line(std::int64_t number, std::string_view text, std::int64_t length) {
    if (number == 1 && text.starts_with(kByteOrderMark)) {
      Fault(number, "starts with a UTF-8 byte-order mark, which a bootloader takes as data");
      text.remove_prefix(kByteOrderMark.size());
      length -= static_cast<std::int64_t>(kByteOrderMark.size());
    }
    if (text.empty()) return;
    ++records_;
    if (end_seen_at_ != 0 && !misplaced_reported_) {
      Fault(number, "record after the end-of-file record of line " + std::to_string(end_seen_at_));
      misplaced_reported_ = true;
    }
    if (text.front() != ':') return Fault(number, "does not start with ':'");
    if (length > kLongestRecord) {
      return Fault(number, std::to_string(length) + " characters, longer than any record (" +
                               std::to_string(kLongestRecord) + ")");
    }
    std::vector<std::uint8_t> bytes;
    if (!Decode(number, text.substr(1), bytes)) return;
    if (bytes.size() < 5) {
      return Fault(number, "too short for a record (" + std::to_string(bytes.size()) + " bytes)");
    }
    Record(number, bytes);
  }

  HexReport Finish(std::int64_t lines) {
    if (lines > kMaxLines) {
      Fault(0, std::to_string(lines) + " lines, more than the " + std::to_string(kMaxLines) +
                   " a download can send");
    }
    if (records_ == 0) {
      Fault(0, "empty: no records");
    } else {
      if (data_records_ == 0) Fault(0, "no data records");
      if (end_seen_at_ == 0) Fault(0, "no end-of-file record");
    }
    JoinRanges();
    return {std::move(faults_), std::move(summary_)};
  }

 private:
  void Record(std::int64_t number, const std::vector<std::uint8_t>& bytes) {
    ++summary_.records;
    const std::size_t data_length = bytes.size() - 5;
    if (static_cast<std::size_t>(bytes[0]) != data_length) {
      return Fault(number, "length field says " + DataBytes(bytes[0]) + ", the record holds " +
                               std::to_string(data_length));
    }
    const std::uint8_t expected = RecordChecksum(std::span(bytes).first(bytes.size() - 1));
    if (bytes.back() != expected) {
      Fault(number, "checksum is " + Hex2(bytes.back()) + ", should be " + Hex2(expected));
    }
    const std::uint8_t type = bytes[3];
    const std::uint32_t address = static_cast<std::uint32_t>(bytes[1] << 8 | bytes[2]);
    if (type > kLinearStartRecord) {
      return Fault(number, "record type " + Hex2(type) + " is none of 00 to 05");
    }
    if (const auto fixed = FixedDataLength(type); fixed && data_length != *fixed) {
      return Fault(number, "a type " + Hex2(type) + " record must hold " + DataBytes(*fixed) +
                               ", this one holds " + std::to_string(data_length));
    }
    // Type 02 and 04 records hold two bytes: the base of the addresses that follow.
    const auto base = [&] { return static_cast<std::uint32_t>(bytes[4] << 8 | bytes[5]); };
    if (type == kDataRecord) {
      ++data_records_;
      summary_.dataBytes += static_cast<std::int64_t>(data_length);
      if (data_length > 0) AddRange(base_ + address, static_cast<std::uint32_t>(data_length));
    } else if (type == kSegmentAddressRecord) {
      base_ = base() << 4;
    } else if (type == kLinearAddressRecord) {
      base_ = base() << 16;
    } else if (type == kEndOfFileRecord) {
      EndOfFile(number, address, data_length);
    }
  }

  void EndOfFile(std::int64_t number, std::uint32_t address, std::size_t data_length) {
    if (data_length > 0) {
      Fault(number, "end-of-file record holds " + DataBytes(data_length));
    } else if (address != 0) {
      Fault(number, "end-of-file record has the address " + Hex2(address >> 8) + Hex2(address),
            true);
    }
    if (end_seen_at_ == 0) end_seen_at_ = number;
  }

  bool Decode(std::int64_t number, std::string_view digits, std::vector<std::uint8_t>& bytes) {
    DecodedDigits decoded = DecodeHexDigits(digits);
    if (decoded.bad != std::string_view::npos) {
      Fault(number, Shown(digits[decoded.bad]) + " at column " + std::to_string(decoded.bad + 2) +
                        " is not a hex digit");
      return false;
    }
    if (decoded.odd) {
      Fault(number, "odd number of hex digits (" + std::to_string(digits.size()) + ")");
      return false;
    }
    bytes = std::move(decoded.bytes);
    return true;
  }

  // Consecutive records mostly continue the last range; a jump starts a new one.
  void AddRange(std::uint32_t start, std::uint32_t length) {
    const std::uint32_t last = start + length - 1;
    auto& ranges = summary_.ranges;
    if (!ranges.empty() && ranges.back().second + 1 == start) {
      ranges.back().second = last;
    } else {
      ranges.emplace_back(start, last);
    }
  }

  void JoinRanges() {
    auto& ranges = summary_.ranges;
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<std::uint32_t, std::uint32_t>> joined;
    for (const auto& range : ranges) {
      if (!joined.empty() && range.first <= joined.back().second + 1) {
        joined.back().second = std::max(joined.back().second, range.second);
      } else {
        joined.push_back(range);
      }
    }
    ranges = std::move(joined);
  }

  void Fault(std::int64_t line, std::string text, bool warning = false) {
    faults_.push_back({line, std::move(text), warning});
  }

  std::vector<HexFault> faults_;
  HexSummary summary_;
  std::int64_t records_ = 0;  // lines that are not empty, whether or not records are whole
  std::int64_t data_records_ = 0;
  std::uint32_t base_ = 0;  // from the last type 02 or 04 record
  std::int64_t end_seen_at_ = 0;
  bool misplaced_reported_ = false;
};

}  // namespace

bool HexReport::Passed() const {
  return std::all_of(faults.begin(), faults.end(), [](const HexFault& f) { return f.warning; });
}

HexReport CheckHex(std::istream& in) {
  HexChecker checker;
  const std::int64_t lines =
      ReadHexLines(in, [&](std::int64_t number, std::string_view text, std::int64_t length) {
        checker.Line(number, text, length);
      });
  return checker.Finish(lines);
}

}  // namespace tarnwick
