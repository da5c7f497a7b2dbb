#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/reset_lines.h"
#include "core/settings/download_settings.h"

namespace tarnwick::cli {

// A command line that cannot be carried out; its text is the one-line reason shown.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the user asks when a line fails: ask on the terminal, answer No, or answer Yes.
enum class OnError { kAsk, kStop, kContinue };

// How long the handshake may take before the run gives up, unless --timeout says otherwise.
inline constexpr int kDefaultTimeoutSeconds = 30;

struct DownloadOptions {
  // As given: a device path, com1..com8, a port server's address or a USB adapter's name;
  // each once.
  std::vector<std::string> ports;
  std::optional<std::string> flash;
  std::optional<std::string> eeprom;
  std::optional<std::int32_t> baudRate;  // bits per second, any rate the port accepts
  bool wait = false;
  std::optional<std::string> settingsFile;
  // Protocol settings given on the command line, as (setting's field, UTF-8 text).
  std::vector<std::pair<std::string DownloadSettings::*, std::string>> protocol;
  std::optional<OnError> onError;
  bool check = true;                            // --no-check sends the files as they stand
  int timeoutSeconds = kDefaultTimeoutSeconds;  // 0: the handshake may take for ever
  std::optional<std::string> logFile;
  ResetOptions reset;                     // pulsed before wait mode's wait
  std::optional<std::string> recordFile;  // appended to, a line a board and run
  bool json = false;
  bool quiet = false;

  bool operator==(const DownloadOptions&) const = default;
};

struct CheckOptions {
  std::vector<std::string> files;
  bool summary = false;  // records, data bytes and address ranges of each file
  bool json = false;
};

struct Command {
  enum class Kind { kDownload, kPorts, kCheck, kHelp, kVersion };
  Kind kind = Kind::kHelp;
  DownloadOptions download;
  CheckOptions check;
  bool portsJson = false;  // ports --json
};

// The download's files in the order they are sent: the EEPROM file, then the application file.
std::vector<std::string> FilesOf(const DownloadOptions& options);

// Reads the arguments after the program's name; throws UsageError.
Command ParseCommandLine(const std::vector<std::string>& args);

// The settings of a download: the settings file's (or the defaults), then the command line's
// options over them. The files are ticked only when given on the command line. Throws
// UsageError when the settings file cannot be read or a protocol character has no one-byte
// code.
DownloadSettings ResolveSettings(const DownloadOptions& options);

// The text of --help.
std::string HelpText();

}  // namespace tarnwick::cli
