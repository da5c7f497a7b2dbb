#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

// Thrown by every port operation that fails: a device that is missing, busy or not
// permitted, a rate the driver refuses, a write or read after the far end went away.
class PortError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The one serial port of a download, as the download engine sees it. Settings apply to
// the next Open(). Reception is learnt only by asking (InBufferCount, Input).
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Software (XON/XOFF) flow control for the next connection.
  virtual void SetXonXoffFlowControl() = 0;
  // Baud rate for the next connection; always no parity, 8 data bits, 1 stop bit.
  virtual void SetBaudRate(std::int32_t baud) = 0;
  // "Com n": which device the next Open() uses, 1 to 8.
  virtual void SetPortNumber(int number) = 0;

  virtual void Open() = 0;
  virtual bool IsOpen() const = 0;
  // Closes the port; does nothing when it is closed.
  virtual void Close() = 0;

  // Sends exactly these bytes, nothing added; does not wait for them to leave.
  virtual void Output(std::string_view bytes) = 0;
  // Every byte received and not read yet (possibly none); removes them from the queue.
  virtual std::string Input() = 0;
  // The number of bytes received and not read yet, without consuming them.
  virtual std::int32_t InBufferCount() = 0;

  // Blocks until input is pending or the timeout has passed, without pumping window
  // events. Used by waits that must not spin a core.
  virtual void WaitForInput(std::chrono::milliseconds timeout) = 0;
};

}  // namespace tarnwick
