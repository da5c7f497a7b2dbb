#include "core/hex/intel_hex.h"

#include <numeric>
#include <stdexcept>

namespace tarnwick {
namespace {

void AppendHexByte(std::string& out, std::uint8_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += kDigits[value >> 4];
  out += kDigits[value & 0x0F];
}

}  // namespace

std::optional<std::size_t> FixedDataLength(std::uint8_t type) {
  if (type == kSegmentAddressRecord || type == kLinearAddressRecord) return 2;
  if (type == kSegmentStartRecord || type == kLinearStartRecord) return 4;
  return std::nullopt;
}

std::optional<std::uint8_t> HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

DecodedDigits DecodeHexDigits(std::string_view digits) {
  DecodedDigits decoded;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (!HexDigitValue(digits[i])) {
      decoded.bad = i;
      return decoded;
    }
  }
  decoded.odd = digits.size() % 2 != 0;
  if (decoded.odd) return decoded;
  decoded.bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    decoded.bytes.push_back(
        static_cast<std::uint8_t>(*HexDigitValue(digits[i]) << 4 | *HexDigitValue(digits[i + 1])));
  }
  return decoded;
}

std::uint8_t RecordChecksum(std::span<const std::uint8_t> bytes) {
  const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
  return static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

bool HexRecordChecksumOk(std::string_view record) {
  if (record.empty() || record.front() != ':') return false;
  const DecodedDigits decoded = DecodeHexDigits(record.substr(1));
  if (!decoded.Whole() || decoded.bytes.empty()) return false;
  return RecordChecksum(decoded.bytes) == 0;
}

std::string MakeHexRecord(std::uint8_t type, std::uint16_t address,
                          std::span<const std::uint8_t> data) {
  if (data.size() > 255) throw std::invalid_argument("a record holds at most 255 data bytes");
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(data.size()),
                                     static_cast<std::uint8_t>(address >> 8),
                                     static_cast<std::uint8_t>(address & 0xFF), type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.push_back(RecordChecksum(bytes));
  std::string record = ":";
  record.reserve(1 + 2 * bytes.size());
  for (const std::uint8_t byte : bytes) AppendHexByte(record, byte);
  return record;
}

}  // namespace tarnwick
