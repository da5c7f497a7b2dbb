#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/hex/intel_hex.h"

namespace tarnwick::sim {

// A small, valid firmware image for demos, benchmarks and tests: `dataRecords` data records of
// `bytesPerRecord` bytes each (1 to 255), at consecutive addresses from `startAddress`, then the
// end-of-file record. The data bytes follow a fixed pattern, so files are reproducible.
// `patternSeed` lets two images of the same shape differ (an EEPROM image beside an
// application image).
std::vector<std::string> MakeHexRecords(int dataRecords, int bytesPerRecord = 16,
                                        std::uint16_t startAddress = 0,
                                        std::uint8_t patternSeed = 0);

}  // namespace tarnwick::sim
