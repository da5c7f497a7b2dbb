#pragma once

#include <fstream>
#include <optional>
#include <string>

namespace tarnwick::sim {

// The line settings that the host has given the terminal `fd` (its port), as one line of text:
// "baud 19200 data 8 parity none stop 1 xonxoff on". Parity is none, even, odd, mark or space;
// xonxoff is on or off when the host both obeys and sends XON/XOFF or neither, and ixon or
// ixoff when it only obeys them or only sends them. Rates that have no constant of their own
// (56000, say) are read from the kernel as they are. nullopt when `fd` is no terminal.
std::optional<std::string> DescribeLineSettings(int fd);

// Writes the line settings of the terminal `fd` to a file each time Check() finds them changed,
// one line each, so that a test can see how the host set its port up and when it changed it.
class LineSettingsReport {
 public:
  // An empty path reports nothing.
  LineSettingsReport(const std::string& path, int fd);

  bool wanted() const { return wanted_; }
  bool ok() const { return !wanted_ || file_.good(); }

  // Reads the settings and writes them when they differ from the last ones written.
  void Check();

 private:
  bool wanted_;
  int fd_;
  std::ofstream file_;
  std::string last_;
};

}  // namespace tarnwick::sim
