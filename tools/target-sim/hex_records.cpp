#include "tools/target-sim/hex_records.h"

#include <stdexcept>

namespace tarnwick::sim {
namespace {

void AppendHexByte(std::string& out, std::uint8_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += kDigits[value >> 4];
  out += kDigits[value & 0x0F];
}

}  // namespace

std::string MakeHexRecord(std::uint8_t type, std::uint16_t address,
                          std::span<const std::uint8_t> data) {
  if (data.size() > 255) throw std::invalid_argument("a record holds at most 255 data bytes");
  const auto length = static_cast<std::uint8_t>(data.size());
  const auto addressHigh = static_cast<std::uint8_t>(address >> 8);
  const auto addressLow = static_cast<std::uint8_t>(address & 0xFF);

  std::string record = ":";
  std::uint8_t sum = length + addressHigh + addressLow + type;
  AppendHexByte(record, length);
  AppendHexByte(record, addressHigh);
  AppendHexByte(record, addressLow);
  AppendHexByte(record, type);
  for (std::uint8_t byte : data) {
    AppendHexByte(record, byte);
    sum += byte;
  }
  AppendHexByte(record, static_cast<std::uint8_t>(-sum));
  return record;
}

std::vector<std::string> MakeHexRecords(int dataRecords, int bytesPerRecord,
                                        std::uint16_t startAddress, std::uint8_t patternSeed) {
  if (dataRecords < 0) throw std::invalid_argument("the number of records cannot be negative");
  if (bytesPerRecord < 1 || bytesPerRecord > 255) {
    throw std::invalid_argument("a data record holds 1 to 255 bytes");
  }
  std::vector<std::string> records;
  records.reserve(static_cast<std::size_t>(dataRecords) + 1);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(bytesPerRecord));
  std::uint16_t address = startAddress;
  for (int r = 0; r < dataRecords; ++r) {
    // The low address byte mixed with the seed: every record differs from its neighbours, so a
    // resent record is never mistaken for the next one.
    for (std::size_t i = 0; i < data.size(); ++i) {
      data[i] = static_cast<std::uint8_t>((address + i) ^ patternSeed);
    }
    records.push_back(MakeHexRecord(kDataRecord, address, data));
    address = static_cast<std::uint16_t>(address + bytesPerRecord);
  }
  records.emplace_back(kEndOfFileLine);
  return records;
}

std::optional<std::uint8_t> HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

bool HexRecordChecksumOk(std::string_view record) {
  if (record.empty() || record.front() != ':') return false;
  const std::string_view digits = record.substr(1);
  if (digits.empty() || digits.size() % 2 != 0) return false;
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const auto high = HexDigitValue(digits[i]);
    const auto low = HexDigitValue(digits[i + 1]);
    if (!high || !low) return false;
    sum = static_cast<std::uint8_t>(sum + (*high << 4) + *low);
  }
  return sum == 0;
}

}  // namespace tarnwick::sim
