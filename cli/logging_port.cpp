#include "cli/logging_port.h"

#include <cstdio>

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

LoggingPort::LoggingPort(SerialPort& port, std::ostream& log) : port_(port), log_(log) {}

void LoggingPort::SetBaudRate(std::int32_t baud) {
  port_.SetBaudRate(baud);
  Line('=', "baud " + std::to_string(baud));
}

void LoggingPort::Open() {
  port_.Open();
  Line('=', "opened");
}

void LoggingPort::Close() {
  port_.Close();
  Line('=', "closed");
}

void LoggingPort::Output(std::string_view bytes) {
  // Logged first: a write that fails is still worth seeing.
  Line('>', EscapedBytes(bytes));
  port_.Output(bytes);
}

std::string LoggingPort::Input() {
  std::string bytes = port_.Input();
  if (!bytes.empty()) Line('<', EscapedBytes(bytes));
  return bytes;
}

void LoggingPort::Line(char direction, std::string_view text) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start_);
  log_ << micros.count() << ' ' << direction << ' ' << text << '\n';
  log_.flush();
}

}  // namespace tarnwick::cli
