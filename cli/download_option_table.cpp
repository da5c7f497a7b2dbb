#include "cli/download_option_table.h"

#include <algorithm>
#include <optional>

#include "cli/option_values.h"
#include "cli/port_names.h"
#include "core/settings/protocol_settings.h"
#include "platform/qt/port_device.h"

namespace tarnwick::cli {
namespace {

// A device path as this system writes one, so that every example of the help works here.
#ifdef _WIN32
constexpr const char* kDeviceExample = "COM12";
#else
constexpr const char* kDeviceExample = "/dev/ttyUSB0";
#endif

// The column where an option's help starts.
constexpr std::size_t kHelpColumn = 22;

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

void TakePort(DownloadOptions& options, const std::string& value) {
  if (ComNumberOf(value) == 0 && !IsDevicePath(value) && !IsAddressOrUsbName(value)) {
    throw UsageError("--port " + value + ": give a device path (such as " + kDeviceExample +
                     "), com1 to com8, rfc2217://HOST:PORT, socket://HOST:PORT or usb:SERIAL");
  }
  if (std::find(options.ports.begin(), options.ports.end(), value) != options.ports.end()) {
    throw UsageError("--port " + value + " given twice");
  }
  options.ports.push_back(value);
}

using Args = std::vector<std::string>;

void Give(Args& args, const char* name, const std::optional<std::string>& value) {
  if (value) args.insert(args.end(), {name, *value});
}

void GiveFlag(Args& args, const char* name, bool given) {
  if (given) args.emplace_back(name);
}

const std::vector<DownloadOption> kTable = {
    {"--port", "PORT",
     "a device path ({device}) or com1 to com8 (COM3, Com3) as in the window;\n"
     "rfc2217://HOST:PORT, a port server's port whose line settings are\n"
     "set over the network (Telnet, RFC 2217); socket://HOST:PORT, plain\n"
     "TCP with the server's own line settings; usb:SERIAL, the USB adapter\n"
     "with that serial number (usb:VID:PID when only one such adapter is\n"
     "plugged in; `ports` shows each adapter's);\n"
     "give it several times to download to several boards at once, each\n"
     "port once",
     TakePort,
     [](const DownloadOptions& o, Args& a) {
       for (const std::string& port : o.ports) Give(a, "--port", port);
     },
     true},
    {"--flash", "FILE", "send this application file",
     [](DownloadOptions& o, const std::string& v) { o.flash = v; },
     [](const DownloadOptions& o, Args& a) { Give(a, "--flash", o.flash); }},
    {"--eeprom", "FILE", "send this EEPROM file (at least one of the two is needed)",
     [](DownloadOptions& o, const std::string& v) { o.eeprom = v; },
     [](const DownloadOptions& o, Args& a) { Give(a, "--eeprom", o.eeprom); }},
    {"--baud", "RATE", "any rate the port accepts, such as 115200 or 1000000 (19200)",
     [](DownloadOptions& o, const std::string& v) { o.baudRate = BaudRateOf(v); },
     [](const DownloadOptions& o, Args& a) {
       if (o.baudRate) Give(a, "--baud", std::to_string(*o.baudRate));
     }},
    {"--wait", nullptr, "wait for the bootloader (reset the target) instead of jumping to it",
     [](DownloadOptions& o, const std::string&) { o.wait = true; },
     [](const DownloadOptions& o, Args& a) { GiveFlag(a, "--wait", o.wait); }},
    {"--reset", "LINES",
     "with --wait: pulse dtr, rts or both right after the port opens, so\n"
     "the board resets into its bootloader by itself (default none); a port\n"
     "without modem lines fails with exit code 6 before anything is sent",
     [](DownloadOptions& o, const std::string& v) { TakeResetOption("--reset", v, o.reset); },
     [](const DownloadOptions& o, Args& a) {
       if (o.reset.Any()) Give(a, "--reset", ResetLinesOf(o.reset));
     }},
    {"--reset-ms", "MS", "how long the reset lines are held, 1 to 10000 (default 100)",
     [](DownloadOptions& o, const std::string& v) { TakeResetOption("--reset-ms", v, o.reset); },
     [](const DownloadOptions& o, Args& a) {
       if (o.reset.Any()) Give(a, "--reset-ms", std::to_string(o.reset.hold.count()));
     }},
    {"--timeout", "SECONDS",
     "give up when the bootloader is not ready within this time, with\n"
     "exit code 4 (default 30; 0 waits for ever)",
     [](DownloadOptions& o, const std::string& v) { o.timeoutSeconds = TimeoutOf(v); },
     [](const DownloadOptions& o, Args& a) {
       Give(a, "--timeout", std::to_string(o.timeoutSeconds));
     }},
    {"--settings", "FILE",
     "start from a settings file of the window (tarnwick.txt); the options\n"
     "given here override it; its file names and ticks are not used",
     [](DownloadOptions& o, const std::string& v) { o.settingsFile = v; },
     [](const DownloadOptions& o, Args& a) { Give(a, "--settings", o.settingsFile); }},
    {"--on-error", "MODE",
     "what to answer when a line fails: ask (y/N on the terminal; the default\n"
     "with a terminal), stop (the default without one) or continue",
     [](DownloadOptions& o, const std::string& v) { o.onError = OnErrorOf(v); },
     [](const DownloadOptions& o, Args& a) {
       if (o.onError) Give(a, "--on-error", OnErrorName(*o.onError));
     }},
    {"--no-check", nullptr,
     "send the files as they stand; by default each is checked as `check`\n"
     "does before the port opens, and nothing is sent when one fails\n"
     "(--check, the default, is still accepted)",
     [](DownloadOptions& o, const std::string&) { o.check = false; },
     [](const DownloadOptions& o, Args& a) { GiveFlag(a, "--no-check", !o.check); }},
    {"--log", "FILE",
     "write every byte sent and received, with time stamps, to FILE (with\n"
     "several ports, FILE.PORT for each); it may not name an input file",
     [](DownloadOptions& o, const std::string& v) { o.logFile = v; },
     [](const DownloadOptions& o, Args& a) { Give(a, "--log", o.logFile); }},
    {"--record", "FILE",
     "append one JSON line per board and run to FILE: host, port,\n"
     "usb_serial (the adapter's serial number, or null) and the outcome's\n"
     "fields below; each line is written whole, so many boards and runs may\n"
     "share FILE; it may not name an input file",
     [](DownloadOptions& o, const std::string& v) { o.recordFile = v; },
     [](const DownloadOptions& o, Args& a) { Give(a, "--record", o.recordFile); }},
    {"--json", nullptr, "one JSON object per line and event, for build servers",
     [](DownloadOptions& o, const std::string&) { o.json = true; },
     [](const DownloadOptions& o, Args& a) { GiveFlag(a, "--json", o.json); }},
    {"--quiet", nullptr, "print the outcome only (with --json: the outcome event only)",
     [](DownloadOptions& o, const std::string&) { o.quiet = true; },
     [](const DownloadOptions& o, Args& a) { GiveFlag(a, "--quiet", o.quiet); }},
    // The default, still accepted from the time it had to be asked for; not in the help.
    {"--check", nullptr, nullptr, [](DownloadOptions&, const std::string&) {},
     [](const DownloadOptions&, Args&) {}},
};

// The ten protocol characters, each its own option.
std::vector<DownloadOption> WithProtocolOptions() {
  std::vector<DownloadOption> table = kTable;
  for (const ProtocolSetting& setting : kProtocolSettings) {
    table.push_back({setting.option, "TEXT", nullptr, nullptr, nullptr});
  }
  return table;
}

}  // namespace

const std::vector<DownloadOption>& DownloadOptionTable() {
  static const std::vector<DownloadOption> table = WithProtocolOptions();
  return table;
}

const DownloadOption* DownloadOptionNamed(const std::string& name) {
  const auto& table = DownloadOptionTable();
  const auto found = std::find_if(table.begin(), table.end(), [&](const DownloadOption& option) {
    return name == option.name;
  });
  return found == table.end() ? nullptr : &*found;
}

std::vector<std::string> ArgumentsOf(const DownloadOptions& options) {
  Args args;
  for (const DownloadOption& option : kTable) option.give(options, args);
  for (const auto& [field, text] : options.protocol) {
    for (const ProtocolSetting& setting : kProtocolSettings) {
      if (setting.field == field) Give(args, setting.option, EscapedCharacters(text));
    }
  }
  return args;
}

std::string DownloadOptionsHelp() {
  std::string help;
  for (const DownloadOption& option : kTable) {
    if (option.help == nullptr) continue;
    std::string name = std::string("  ") + option.name;
    if (option.value != nullptr) name += std::string(" ") + option.value;
    std::string text = option.help;
    if (const auto at = text.find("{device}"); at != std::string::npos) {
      text.replace(at, 8, kDeviceExample);
    }
    help += name + std::string(kHelpColumn - std::min(name.size(), kHelpColumn - 1), ' ');
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      if (start > 0) help += std::string(kHelpColumn, ' ');
      help += text.substr(start, end - start) + "\n";
      start = end + 1;
    }
  }
  return help;
}

}  // namespace tarnwick::cli
