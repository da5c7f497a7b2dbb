#pragma once

#include <chrono>
#include <string>

#include "platform/serial_port.h"

namespace tarnwick::testing {

// Everything the port receives until `count` bytes have come or `timeout` has passed,
// waiting on the port itself (no event loop runs).
inline std::string ReceiveFromPort(SerialPort& port, std::size_t count,
                                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string received;
  while (received.size() < count && std::chrono::steady_clock::now() < deadline) {
    port.WaitForInput(std::chrono::milliseconds(100));
    received += port.Input();
  }
  return received;
}

}  // namespace tarnwick::testing
