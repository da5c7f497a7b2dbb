#include "cli/command_line.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>

#include "cli/exit_code.h"
#include "core/download/line_bytes.h"
#include "core/settings/settings_file.h"

namespace tarnwick::cli {
namespace {

constexpr std::array<int, 10> kRates = {1200,  2400,  4800,  9600,  14400,
                                        19200, 38400, 56000, 57600, 115200};

struct ProtocolOption {
  const char* name;
  std::string DownloadSettings::*field;
};

// One option for each protocol setting of the window, in the window's order.
const std::array<ProtocolOption, 10> kProtocolOptions = {{
    {"--jump-command", &DownloadSettings::JumpCommand},
    {"--active-char", &DownloadSettings::ActiveCharacter},
    {"--start-sequence", &DownloadSettings::StartSequence},
    {"--ready-char", &DownloadSettings::ReadyCharacter},
    {"--eeprom-command", &DownloadSettings::EepromWriteCommand},
    {"--line-ok", &DownloadSettings::LineCompleteCharacter},
    {"--page-error", &DownloadSettings::PageErrorCharacter},
    {"--checksum-error", &DownloadSettings::ChecksumErrorCharacter},
    {"--file-errors", &DownloadSettings::FileErrorsCharacter},
    {"--file-ok", &DownloadSettings::FileOkCharacter},
}};

bool IsComName(const std::string& port) {
  return port.size() == 4 && (port.compare(0, 3, "com") == 0 || port.compare(0, 3, "COM") == 0) &&
         port[3] >= '1' && port[3] <= '8';
}

// A device path names a file (/dev/ttyUSB0, ./com1) or, on Windows, COMn of any number.
bool IsDevicePath(const std::string& port) {
  if (port.find('/') != std::string::npos) return true;
#ifdef _WIN32
  if (port.size() > 3 && port.compare(0, 3, "COM") == 0 &&
      port.find_first_not_of("0123456789", 3) == std::string::npos) {
    return true;
  }
#endif
  return false;
}

int BaudIndexOf(const std::string& text) {
  for (std::size_t i = 0; i < kRates.size(); ++i) {
    if (text == std::to_string(kRates[i])) return static_cast<int>(i);
  }
  std::string list;
  for (int rate : kRates) list += (list.empty() ? "" : ", ") + std::to_string(rate);
  throw UsageError("--baud " + text + ": not one of " + list);
}

OnError OnErrorOf(const std::string& text) {
  if (text == "ask") return OnError::kAsk;
  if (text == "stop") return OnError::kStop;
  if (text == "continue") return OnError::kContinue;
  throw UsageError("--on-error " + text + ": must be ask, stop or continue");
}

class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}

  bool AtEnd() const { return next_ >= args_.size(); }
  const std::string& Take() { return args_[next_++]; }
  const std::string& ValueOf(const std::string& option) {
    if (AtEnd()) throw UsageError(option + " needs a value");
    return Take();
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
};

DownloadOptions ParseDownload(ArgumentReader& in) {
  DownloadOptions options;
  while (!in.AtEnd()) {
    const std::string option = in.Take();
    if (option == "--port") {
      const std::string& port = in.ValueOf(option);
      if (!IsComName(port) && !IsDevicePath(port)) {
        throw UsageError("--port " + port +
                         ": give a device path (such as /dev/ttyUSB0) or com1 to com8");
      }
      options.ports.push_back(port);
    } else if (option == "--flash") {
      options.flash = in.ValueOf(option);
    } else if (option == "--eeprom") {
      options.eeprom = in.ValueOf(option);
    } else if (option == "--baud") {
      options.baudIndex = BaudIndexOf(in.ValueOf(option));
    } else if (option == "--wait") {
      options.wait = true;
    } else if (option == "--settings") {
      options.settingsFile = in.ValueOf(option);
    } else if (option == "--on-error") {
      options.onError = OnErrorOf(in.ValueOf(option));
    } else if (option == "--check") {
      options.check = true;
    } else if (option == "--log") {
      options.logFile = in.ValueOf(option);
    } else if (option == "--json") {
      options.json = true;
    } else if (option == "--quiet") {
      options.quiet = true;
    } else {
      bool known = false;
      for (const ProtocolOption& protocol : kProtocolOptions) {
        if (option != protocol.name) continue;
        options.protocol.emplace_back(protocol.field, in.ValueOf(option));
        known = true;
      }
      if (!known) throw UsageError("unknown option " + option + " (see tarnwick-cli --help)");
    }
  }
  if (options.ports.empty()) throw UsageError("download needs --port");
  if (!options.flash && !options.eeprom)
    throw UsageError("download needs --flash FILE, --eeprom FILE or both");
  if (options.ports.size() > 1 && options.onError == OnError::kAsk) {
    throw UsageError("--on-error ask works with one --port only; use stop or continue");
  }
  return options;
}

}  // namespace

std::vector<std::string> FilesOf(const DownloadOptions& options) {
  std::vector<std::string> files;
  if (options.eeprom) files.push_back(*options.eeprom);
  if (options.flash) files.push_back(*options.flash);
  return files;
}

bool TakesValue(const std::string& option) {
  for (const char* name :
       {"--port", "--flash", "--eeprom", "--baud", "--settings", "--on-error", "--log"}) {
    if (option == name) return true;
  }
  for (const ProtocolOption& protocol : kProtocolOptions) {
    if (option == protocol.name) return true;
  }
  return false;
}

Command ParseCommandLine(const std::vector<std::string>& args) {
  ArgumentReader in(args);
  Command command;
  if (in.AtEnd()) throw UsageError("no command given (see tarnwick-cli --help)");
  const std::string name = in.Take();
  if (name == "--help" || name == "-h" || name == "help") {
    command.kind = Command::Kind::kHelp;
  } else if (name == "--version") {
    command.kind = Command::Kind::kVersion;
  } else if (name == "ports") {
    command.kind = Command::Kind::kPorts;
    if (!in.AtEnd()) throw UsageError("ports takes no arguments");
  } else if (name == "check") {
    command.kind = Command::Kind::kCheck;
    while (!in.AtEnd()) command.files.push_back(in.Take());
    if (command.files.empty()) throw UsageError("check needs at least one FILE");
  } else if (name == "download") {
    command.kind = Command::Kind::kDownload;
    command.download = ParseDownload(in);
  } else {
    throw UsageError("unknown command " + name + " (see tarnwick-cli --help)");
  }
  return command;
}

}  // namespace tarnwick::cli

namespace tarnwick::cli {
namespace {

// A settings file larger than this is no settings file (sixteen values of at most 1 MiB).
constexpr std::uintmax_t kMaxSettingsFileBytes = 17u << 20;

DownloadSettings ReadSettingsFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::exists(file, error))
    throw UsageError("--settings " + path + ": no such file");
  if (!std::filesystem::is_regular_file(file, error))
    throw UsageError("--settings " + path + ": not a regular file");
  if (std::filesystem::file_size(file, error) > kMaxSettingsFileBytes) {
    throw UsageError("--settings " + path + ": too large for a settings file");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) throw UsageError("--settings " + path + ": cannot be opened for reading");
  const auto settings = ReadSettings(in);
  if (!settings)
    throw UsageError("--settings " + path +
                     ": not a valid settings file (sixteen values expected)");
  return *settings;
}

}  // namespace

DownloadSettings ResolveSettings(const DownloadOptions& options) {
  DownloadSettings settings =
      options.settingsFile ? ReadSettingsFile(*options.settingsFile) : DownloadSettings{};
  if (options.baudIndex) settings.BaudIndex = static_cast<std::int16_t>(*options.baudIndex);
  for (const auto& [field, text] : options.protocol) settings.*field = text;
  for (const ProtocolOption& protocol : kProtocolOptions) {
    try {
      LineBytes(settings.*protocol.field);
    } catch (const UnsendableCharacter&) {
      throw UsageError(std::string(protocol.name) + " \"" + settings.*protocol.field +
                       "\": holds a character that cannot be sent as one byte");
    }
  }
  settings.FlashSelected = options.flash ? 1 : 0;
  settings.FlashFile = options.flash.value_or(std::string());
  settings.EepromSelected = options.eeprom ? 1 : 0;
  settings.EepromFile = options.eeprom.value_or(std::string());
  return settings;
}

}  // namespace tarnwick::cli
