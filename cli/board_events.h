#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/file_digest.h"

namespace tarnwick::cli {

// A failed line that the download went on past (--on-error continue, or a Yes).
struct ContinuedLine {
  std::string file;
  std::int64_t line = 0;  // among the file's non-empty lines, as the question named it
  std::string reason;     // "checksum error", "flash write error" or "no response"

  bool operator==(const ContinuedLine&) const = default;
};

// How one board's download ended.
struct BoardOutcome {
  std::string message;  // the window's message, or what ended the run (empty after a stop)
  std::string reason;   // the reason of a failure, empty when none
  int exitCode = 0;
  double seconds = 0;  // the whole download's time
  std::vector<ContinuedLine> continued;
  // The bootloader's version as it sent it ("1.30"), empty when none was read.
  std::string bootloaderVersion;
  std::vector<FileDigest> files;
  // The failed line whose question was answered No, and what the target said of it.
  std::optional<ContinuedLine> failedLine;
  std::string started;  // ISO 8601 UTC
  std::string ended;
};

// What one board's download tells the person or program watching it. The single-board
// command produces these from the engine; with several boards each child process writes them
// as JSON lines and the parent reads them back.
class BoardEvents {
 public:
  virtual ~BoardEvents() = default;
  // A new phase: the window's status text ("Requesting Ack from target bootloader.  Try #1").
  virtual void Phase(const std::string& text) = 0;
  // A phase shown before came back `times` more times before the next new phase (a target that
  // keeps the handshake going round); shown once, not once per pass.
  virtual void Repeated(const std::string& text, std::int64_t times) = 0;
  // Lines of the current file sent so far, of `total`; `file` is "EEPROM" or "FLASH".
  virtual void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                        double seconds) = 0;
  // A failed line's question is about to be asked on the terminal: what is drawn in place
  // makes way for it.
  virtual void Asking() {}
  // A failed line's question and the answer given ("yes" or "no").
  virtual void Prompt(const std::string& text, bool answer) = 0;
  // The end.
  virtual void Outcome(const BoardOutcome& outcome) = 0;
};

}  // namespace tarnwick::cli
