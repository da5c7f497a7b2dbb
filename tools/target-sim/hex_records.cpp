#include "tools/target-sim/hex_records.h"

#include <stdexcept>

namespace tarnwick::sim {

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

}  // namespace tarnwick::sim
