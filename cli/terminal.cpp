#include "cli/terminal.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#include <iostream>
#else
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tarnwick::cli {

bool StdinIsTerminal() {
  return isatty(0) != 0;
}

bool StdoutIsTerminal() {
  return isatty(1) != 0;
}

int TerminalColumns() {
#ifndef _WIN32
  winsize size{};
  if (::ioctl(1, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
  return 80;
}

std::string FitToColumns(const std::string& text, int columns) {
  int room = columns - 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // inside a character
    if (room-- <= 0) return text.substr(0, i);
  }
  return text;
}

#ifdef _WIN32
std::optional<std::string> ReadAnswerLine(int) {
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  return line;
}
#else
// Read byte by byte from the descriptor itself, so that nothing typed after the answer is
// held in a buffer, and so that a stop can end the wait between two keys.
std::optional<std::string> ReadAnswerLine(int stopDescriptor) {
  std::string line;
  for (;;) {
    pollfd wait[2] = {{0, POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
    if (::poll(wait, stopDescriptor >= 0 ? 2 : 1, -1) < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (wait[1].revents != 0) return std::nullopt;
    char c = 0;
    const ssize_t count = ::read(0, &c, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return line.empty() ? std::nullopt : std::make_optional(line);
    if (c == '\n') return line;
    if (c != '\r') line += c;
  }
}
#endif

}  // namespace tarnwick::cli
