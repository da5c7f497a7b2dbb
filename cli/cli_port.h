#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/reset_lines.h"
#include "core/download/serial_port.h"

namespace tarnwick::cli {

// The port as the command line uses it. With a log, every byte sent and received is written
// to it for a support request: one line per write or read, with the microseconds since the
// log began, the direction (">" sent, "<" received, "=" the port's own steps) and the bytes
// as text, non-printing bytes escaped as \xHH. After Stop() nothing more goes to the line:
// Ctrl+C must end a download at once, while the engine, like the window's Cancel, would still
// send a failed line again before it asks whether to go on.
class CliPort final : public SerialPort {
 public:
  // `baud`, when given, is the rate the user asked for: it replaces the window's rate that the
  // engine sets, so that any rate the port accepts can be used without changing the engine.
  CliPort(SerialPort& port, std::ostream* log, std::optional<std::int32_t> baud = std::nullopt);

  void Stop() { stopped_ = true; }
  // Pulses the reset lines of `lines` (the same port's) as soon as the port has opened, before
  // anything is sent; `hold` lets the pulse's time pass. A line that cannot be set fails the
  // opening, and the port is closed again.
  void ResetAfterOpen(ModemLines& lines, ResetOptions reset,
                      std::function<void(std::chrono::milliseconds)> hold);
  // Whether anything has gone to the line: in wait mode nothing does before the bootloader's
  // active character has come.
  bool SentAnything() const { return sent_anything_; }

  void SetXonXoffFlowControl() override { port_.SetXonXoffFlowControl(); }
  void SetBaudRate(std::int32_t baud) override;
  void SetPortNumber(int number) override { port_.SetPortNumber(number); }
  void Open() override;
  bool IsOpen() const override { return port_.IsOpen(); }
  void Close() override;
  void Output(std::string_view bytes) override;
  std::string Input() override;
  std::int32_t InBufferCount() override { return port_.InBufferCount(); }
  // A stop ends the wait, and the download with it, as a failure of the port that the
  // command line reports as the stop it was: the end-of-file wait looks at no Cancel.
  void WaitForInput(std::chrono::milliseconds timeout) override;

 private:
  void Log(char direction, std::string_view text);

  SerialPort& port_;
  std::ostream* log_;
  std::optional<std::int32_t> baud_;
  ModemLines* reset_lines_ = nullptr;
  ResetOptions reset_;
  std::function<void(std::chrono::milliseconds)> hold_;
  bool stopped_ = false;
  bool sent_anything_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The bytes as one line of text: printable ASCII as it is, backslash doubled, every other byte
// as \xHH.
std::string EscapedBytes(std::string_view bytes);

}  // namespace tarnwick::cli
