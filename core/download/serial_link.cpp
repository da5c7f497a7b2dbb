#include "core/download/serial_link.h"

#include <array>

namespace tarnwick {

std::optional<std::int32_t> BaudRateForIndex(int baud_index) {
  static constexpr std::array<std::int32_t, 10> kRates = {1200,  2400,  4800,  9600,  14400,
                                                          19200, 38400, 56000, 57600, 115200};
  if (baud_index < 0 || baud_index >= static_cast<int>(kRates.size())) return std::nullopt;
  return kRates[baud_index];
}

void ClosePort(SerialPort& port) noexcept {
  bool open = true;
  try {
    open = port.IsOpen();
  } catch (...) {
    // Not knowing whether it is open, close it anyway: closing a closed port does nothing.
  }
  if (!open) return;
  try {
    port.Close();
  } catch (...) {
  }
}

}  // namespace tarnwick
