#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::cli {

// What one board's download tells the person or program watching it. The single-board
// command produces these from the engine; with several boards each child process writes them
// as JSON lines and the parent reads them back.
class BoardEvents {
 public:
  virtual ~BoardEvents() = default;
  // A new phase: the window's status text ("Requesting Ack from target bootloader.  Try #1").
  virtual void Phase(const std::string& text) = 0;
  // Lines of the current file sent so far, of `total`; `file` is "EEPROM" or "FLASH".
  virtual void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                        double seconds) = 0;
  // A failed line's question and the answer given ("yes" or "no").
  virtual void Prompt(const std::string& text, bool answer) = 0;
  // The end: the window's message (empty after a stop without one), the reason of a failure
  // (empty when none), the exit code and the whole download's time.
  virtual void Outcome(const std::string& message, const std::string& reason, int exit_code,
                       double seconds) = 0;
};

}  // namespace tarnwick::cli
