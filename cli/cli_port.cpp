#include "cli/cli_port.h"

#include <cstdio>
#include <utility>

#include "cli/stop_signal.h"

namespace tarnwick::cli {

std::string EscapedBytes(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      text += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

CliPort::CliPort(SerialPort& port, std::ostream* log, std::optional<std::int32_t> baud)
    : port_(port), log_(log), baud_(baud) {}

void CliPort::SetBaudRate(std::int32_t listed) {
  const std::int32_t baud = baud_.value_or(listed);
  port_.SetBaudRate(baud);
  Log('=', "baud " + std::to_string(baud));
}

void CliPort::ResetAfterOpen(ModemLines& lines, ResetOptions reset,
                             std::function<void(std::chrono::milliseconds)> hold) {
  reset_lines_ = &lines;
  reset_ = reset;
  hold_ = std::move(hold);
}

void CliPort::Open() {
  port_.Open();
  Log('=', "opened");
  if (reset_lines_ == nullptr || !reset_.Any()) return;
  try {
    PulseReset(*reset_lines_, reset_, hold_);
  } catch (const PortError&) {
    // The download counts a failed opening as a port that never opened.
    port_.Close();
    throw;
  }
  Log('=', std::string("reset ") + (reset_.dtr ? "DTR " : "") + (reset_.rts ? "RTS " : "") +
               "for " + std::to_string(reset_.hold.count()) + " ms");
}

void CliPort::Close() {
  port_.Close();
  Log('=', "closed");
}

void CliPort::Output(std::string_view bytes) {
  if (stopped_) return;
  // Logged first: a write that fails is still worth seeing.
  Log('>', EscapedBytes(bytes));
  sent_anything_ = true;
  port_.Output(bytes);
}

void CliPort::WaitForInput(std::chrono::milliseconds timeout) {
  if (!StopSignalled()) port_.WaitForInput(timeout);
  if (StopSignalled()) {
    Stop();
    throw PortError("stopped");
  }
}

std::string CliPort::Input() {
  std::string bytes = port_.Input();
  if (!bytes.empty()) Log('<', EscapedBytes(bytes));
  return bytes;
}

void CliPort::Log(char direction, std::string_view text) {
  if (log_ == nullptr) return;
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start_);
  // Flushed line by line, so that a log of a download cut short by Ctrl+C is whole.
  *log_ << micros.count() << ' ' << direction << ' ' << text << '\n' << std::flush;
}

}  // namespace tarnwick::cli
