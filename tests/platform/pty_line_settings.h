#pragma once

#include <cstdint>

namespace tarnwick::testing {

// The slave's line settings as the driver holds them, read through the master.
struct LineSettings {
  std::uint32_t baudRate;
  bool eightDataBits;
  bool parity;
  bool twoStopBits;
  bool xonXoff;
};

LineSettings ReadSlaveLineSettings(int masterFd);

}  // namespace tarnwick::testing
