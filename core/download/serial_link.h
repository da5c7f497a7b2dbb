#pragma once

#include <cstdint>
#include <optional>

#include "core/download/serial_port.h"

namespace tarnwick {

// The baud rate that the rate list's index stands for (no parity, 8 data bits, 1 stop bit
// always). An index outside the list gives none: the port then keeps the rate it had.
std::optional<std::int32_t> BaudRateForIndex(int baud_index);

// Closes the port if it is open. Failures of its own steps are skipped, so it is safe on
// every way out of a download, also on a closed port or one whose device went away.
void ClosePort(SerialPort& port) noexcept;

}  // namespace tarnwick
