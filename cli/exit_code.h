#pragma once

namespace tarnwick::cli {

// The exit codes of tarnwick-cli; `tarnwick-cli --help` and the README list them.
enum class ExitCode : int {
  kSuccess = 0,
  kOther = 1,          // an unexpected failure, such as a step of the download itself failing
  kUsage = 2,          // bad command line or settings file; nothing was sent
  kTargetError = 3,    // the target reported an error: a line's (answered No) or a file's
  kNoResponse = 4,     // no answer from the bootloader: handshake, a line, a file's end
  kEepromRefused = 5,  // the bootloader's version cannot write EEPROM
  kPort = 6,           // the port is missing, busy, not permitted, or failed while in use
  kDownloadFile = 7,   // a download file is missing, unreadable or longer than 32,767 lines
  kStopped = 8,        // stopped by the user: Ctrl+C, SIGTERM or SIGHUP
  kCheckFailed = 9,    // the check of a HEX file found a fault
  kBoardKilled = 10,   // with several boards: a board's process was ended by a signal
};

constexpr int ToInt(ExitCode code) {
  return static_cast<int>(code);
}

}  // namespace tarnwick::cli
