#include "cli/command_line.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "cli/download_option_table.h"
#include "cli/option_values.h"
#include "core/settings/protocol_settings.h"

namespace tarnwick::cli {
namespace {

const ProtocolSetting* ProtocolOptionNamed(const std::string& name) {
  for (const ProtocolSetting& protocol : kProtocolSettings) {
    if (name == protocol.option) return &protocol;
  }
  return nullptr;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

// Reads options one at a time: "--name value" and "--name=value" alike, and "--" as the end of
// the options, after which every argument is an operand (a file named "-x.hex").
class ArgumentReader {
 public:
  ArgumentReader(const std::vector<std::string>& args, std::size_t first)
      : args_(args), next_(first) {}

  bool AtEnd() const { return next_ >= args_.size(); }
  // The next argument; `option` tells whether it is an option (false after "--").
  std::string Take(bool& option) {
    std::string arg = args_[next_++];
    if (!options_ended_ && arg == "--") {
      options_ended_ = true;
      return AtEnd() ? std::string() : Take(option);
    }
    option = !options_ended_ && arg.size() > 1 && arg[0] == '-';
    inline_value_.reset();
    const std::size_t equals = arg.find('=');
    if (option && arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      inline_value_ = arg.substr(equals + 1);
      arg.resize(equals);
    }
    return arg;
  }
  std::string ValueOf(const std::string& option) {
    if (inline_value_) return *std::exchange(inline_value_, std::nullopt);
    if (AtEnd()) throw UsageError(option + " needs a value");
    return args_[next_++];
  }
  // An option without a value must not have been given one with "=".
  void NoValue(const std::string& option) const {
    if (inline_value_) throw UsageError(option + " takes no value");
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_;
  bool options_ended_ = false;
  std::optional<std::string> inline_value_;
};

DownloadOptions ParseDownload(ArgumentReader& in) {
  DownloadOptions options;
  std::set<std::string> given;
  while (!in.AtEnd()) {
    bool isOption = false;
    const std::string name = in.Take(isOption);
    if (!isOption) {
      if (name.empty()) break;  // a "--" at the very end
      throw UsageError("unexpected argument " + name + " (files go with --flash and --eeprom)");
    }
    const DownloadOption* option = DownloadOptionNamed(name);
    if (option == nullptr)
      throw UsageError("unknown option " + name + " (see tarnwick-cli --help)");
    if (option->value == nullptr) {
      in.NoValue(name);
      option->take(options, "");
      continue;
    }
    if (!option->repeatable && !given.insert(name).second) {
      throw UsageError(name + " given twice; it takes one value");
    }
    const std::string value = in.ValueOf(name);
    if (const ProtocolSetting* protocol = ProtocolOptionNamed(name)) {
      options.protocol.emplace_back(protocol->field, UnescapedCharacters(value));
    } else {
      option->take(options, value);
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

CheckOptions ParseCheck(ArgumentReader& in) {
  CheckOptions options;
  while (!in.AtEnd()) {
    bool isOption = false;
    const std::string arg = in.Take(isOption);
    if (!isOption) {
      if (!arg.empty()) options.files.push_back(arg);
      continue;
    }
    in.NoValue(arg);
    if (arg == "--summary") {
      options.summary = true;
    } else if (arg == "--json") {
      options.json = true;
    } else {
      throw UsageError("unknown option " + arg + " of check (see tarnwick-cli check --help)");
    }
  }
  if (options.files.empty()) throw UsageError("check needs at least one FILE");
  return options;
}

}  // namespace

std::vector<std::string> FilesOf(const DownloadOptions& options) {
  std::vector<std::string> files;
  if (options.eeprom) files.push_back(*options.eeprom);
  if (options.flash) files.push_back(*options.flash);
  return files;
}

Command ParseCommandLine(const std::vector<std::string>& args) {
  Command command;
  if (args.empty()) throw UsageError("no command given (see tarnwick-cli --help)");
  const std::string& name = args.front();
  ArgumentReader in(args, 1);
  if (name == "--help" || name == "-h" || name == "help") {
    command.kind = Command::Kind::kHelp;
  } else if (name == "--version") {
    command.kind = Command::Kind::kVersion;
  } else if (name == "ports") {
    command.kind = Command::Kind::kPorts;
    command.portsJson = args.size() == 2 && args[1] == "--json";
    if (args.size() > 1 && !command.portsJson) throw UsageError("ports takes --json alone");
  } else if ((name == "check" || name == "download") && AsksForHelp(args)) {
    command.kind = Command::Kind::kHelp;
  } else if (name == "check") {
    command.kind = Command::Kind::kCheck;
    command.check = ParseCheck(in);
  } else if (name == "download") {
    command.kind = Command::Kind::kDownload;
    command.download = ParseDownload(in);
  } else {
    throw UsageError("unknown command " + name + " (see tarnwick-cli --help)");
  }
  return command;
}

}  // namespace tarnwick::cli
