#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Intel HEX: each record is ':' LL AAAA TT DATA CC in hex digits, where LL counts the data
// bytes and CC makes all the record's bytes add up to 0 modulo 256. This is the one place
// that knows it: the file check, the simulated target, the file generator and the tests build
// on it.

// The record types, and the data length that the last four fix.
inline constexpr std::uint8_t kDataRecord = 0x00;
inline constexpr std::uint8_t kEndOfFileRecord = 0x01;
inline constexpr std::uint8_t kSegmentAddressRecord = 0x02;
inline constexpr std::uint8_t kSegmentStartRecord = 0x03;
inline constexpr std::uint8_t kLinearAddressRecord = 0x04;
inline constexpr std::uint8_t kLinearStartRecord = 0x05;
std::optional<std::size_t> FixedDataLength(std::uint8_t type);

// The end-of-file record as every tool writes it.
inline constexpr std::string_view kEndOfFileLine = ":00000001FF";
// The characters of a record besides its data: ':' and the digits of LL, AAAA, TT and CC.
inline constexpr std::size_t kRecordOverhead = 1 + 2 + 4 + 2 + 2;

// The value of one hex digit (either case), or nothing for any other character.
std::optional<std::uint8_t> HexDigitValue(char c);

// The bytes that a record's digits (what follows its ':') stand for. `bad` is the place of
// the first character that is no hex digit, or npos; `odd` says that the digits do not pair up.
struct DecodedDigits {
  std::vector<std::uint8_t> bytes;
  std::size_t bad = std::string_view::npos;
  bool odd = false;
  bool Whole() const { return bad == std::string_view::npos && !odd; }
};
DecodedDigits DecodeHexDigits(std::string_view digits);

// The checksum byte that completes a record of these bytes (length, address, type, data).
std::uint8_t RecordChecksum(std::span<const std::uint8_t> bytes);

// True when `record` (with its leading ':') is an even run of hex digit pairs whose bytes,
// checksum included, add up to 0 modulo 256.
bool HexRecordChecksumOk(std::string_view record);

// One record as text in upper-case hex, without a line end; at most 255 data bytes.
std::string MakeHexRecord(std::uint8_t type, std::uint16_t address,
                          std::span<const std::uint8_t> data);

}  // namespace tarnwick
