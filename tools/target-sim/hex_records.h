#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::sim {

// Intel HEX record types the simulated bootloader tells apart; every other type is written
// like a data record.
inline constexpr std::uint8_t kDataRecord = 0x00;
inline constexpr std::uint8_t kEndOfFileRecord = 0x01;

// The end-of-file record every generated file ends with.
inline constexpr std::string_view kEndOfFileLine = ":00000001FF";

// One record as text, ':' LL AAAA TT DATA CC in upper-case hex, without a line end.
std::string MakeHexRecord(std::uint8_t type, std::uint16_t address,
                          std::span<const std::uint8_t> data);

// A small, valid firmware image for demos, benchmarks and tests: `dataRecords` data records of
// `bytesPerRecord` bytes each (1 to 255), at consecutive addresses from `startAddress`, then the
// end-of-file record. The data bytes follow a fixed pattern, so files are reproducible.
// `patternSeed` lets two images of the same shape differ (an EEPROM image beside an
// application image).
std::vector<std::string> MakeHexRecords(int dataRecords, int bytesPerRecord = 16,
                                        std::uint16_t startAddress = 0,
                                        std::uint8_t patternSeed = 0);

// The value of one hex digit (either case), or nullopt for any other character.
std::optional<std::uint8_t> HexDigitValue(char c);

// True when `record` (with its leading ':') is an even run of hex digit pairs whose bytes,
// checksum included, add up to 0 modulo 256.
bool HexRecordChecksumOk(std::string_view record);

}  // namespace tarnwick::sim
