#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/serial_port.h"

namespace tarnwick::cli {

// A serial port that writes every byte sent and received to a log, for a support request:
// one line per write or read, with the microseconds since the log began, the direction
// (">" sent, "<" received) and the bytes as text, non-printing bytes escaped as \xHH.
class LoggingPort final : public SerialPort {
 public:
  LoggingPort(SerialPort& port, std::ostream& log);

  void SetXonXoffFlowControl() override { port_.SetXonXoffFlowControl(); }
  void SetBaudRate(std::int32_t baud) override;
  void SetPortNumber(int number) override { port_.SetPortNumber(number); }
  void Open() override;
  bool IsOpen() const override { return port_.IsOpen(); }
  void Close() override;
  void Output(std::string_view bytes) override;
  std::string Input() override;
  std::int32_t InBufferCount() override { return port_.InBufferCount(); }
  void WaitForInput(std::chrono::milliseconds timeout) override { port_.WaitForInput(timeout); }

 private:
  void Line(char direction, std::string_view bytes);

  SerialPort& port_;
  std::ostream& log_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The bytes as one line of text: printable ASCII as it is, backslash doubled, every other byte
// as \xHH.
std::string EscapedBytes(std::string_view bytes);

}  // namespace tarnwick::cli
