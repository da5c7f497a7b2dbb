#include "tools/target-sim/command_line.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "tools/target-sim/sim_log.h"

namespace tarnwick::sim {
namespace {

// The rate --noise-after-active uses when --noise does not give one.
constexpr double kDefaultNoiseBytesPerSecond = 200;

using Setter = std::function<std::string(SimConfig&, std::string_view)>;

struct Option {
  std::string_view name;
  bool takesValue;
  Setter set;  // returns an error text, empty on success
};

std::optional<long long> ParseWhole(std::string_view text, long long min, long long max) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

Setter Millis(std::optional<std::chrono::milliseconds> SimConfig::*field) {
  return [field](SimConfig& c, std::string_view v) -> std::string {
    const auto ms = ParseWhole(v, 1, 86'400'000);
    if (!ms) return "expects a number of milliseconds from 1";
    c.*field = std::chrono::milliseconds{*ms};
    return {};
  };
}

Setter MillisFromZero(std::chrono::milliseconds TargetBehaviour::*field) {
  return [field](SimConfig& c, std::string_view v) -> std::string {
    const auto ms = ParseWhole(v, 0, 600'000);
    if (!ms) return "expects a number of milliseconds from 0";
    c.behaviour.*field = std::chrono::milliseconds{*ms};
    return {};
  };
}

Setter LineSet(std::set<int> TargetBehaviour::*field) {
  return [field](SimConfig& c, std::string_view v) -> std::string {
    const auto line = ParseWhole(v, 1, 1'000'000);
    if (!line) return "expects a line number from 1";
    (c.behaviour.*field).insert(static_cast<int>(*line));
    return {};
  };
}

Setter Text(std::string SimConfig::*field) {
  return [field](SimConfig& c, std::string_view v) -> std::string {
    c.*field = std::string(v);
    return {};
  };
}

// \xHH stands for any byte, so that a host's 8-bit protocol characters can be given.
Setter Characters(std::string ProtocolCharacters::*field) {
  return [field](SimConfig& c, std::string_view v) -> std::string {
    if (v.empty()) return "expects a non-empty text";
    c.behaviour.characters.*field = UnescapeBytes(v);
    return {};
  };
}

Setter Flag(std::function<void(SimConfig&)> apply) {
  return [apply](SimConfig& c, std::string_view) -> std::string {
    apply(c);
    return {};
  };
}

const std::vector<Option>& Options() {
  using PC = ProtocolCharacters;
  using TB = TargetBehaviour;
  static const std::vector<Option> options = {
      {"--link", true, Text(&SimConfig::linkPath)},
      {"--log", true, Text(&SimConfig::logPath)},
      {"--start-in-bootloader", false,
       Flag([](SimConfig& c) { c.behaviour.startInBootloader = true; })},
      {"--version", true,
       [](SimConfig& c, std::string_view v) {
         c.behaviour.version = std::string(v);
         return std::string{};
       }},
      {"--no-version", false, Flag([](SimConfig& c) { c.behaviour.version.reset(); })},
      {"--reset-after-ms", true, Millis(&SimConfig::resetAfter)},
      {"--send-active-every-ms", true, Millis(&SimConfig::activeEvery)},
      {"--checksum-error-on-line", true, LineSet(&TB::checksumErrorLines)},
      {"--page-error-on-line", true, LineSet(&TB::pageErrorLines)},
      {"--silent-on-line", true, LineSet(&TB::silentLines)},
      {"--silent-at-eof", false, Flag([](SimConfig& c) { c.behaviour.silentAtEndOfFile = true; })},
      {"--silent", false, Flag([](SimConfig& c) { c.behaviour.silent = true; })},
      {"--delay-ms", true, MillisFromZero(&TB::replyDelay)},
      {"--jump-ms", true, MillisFromZero(&TB::jumpTime)},
      {"--instant", false, Flag([](SimConfig&) {})},  // checked against --delay-ms below
      {"--reply-byte-gap", true,
       [](SimConfig& c, std::string_view v) -> std::string {
         const auto ms = ParseWhole(v, 0, 60'000);
         if (!ms) return "expects a number of milliseconds from 0";
         c.replyByteGap = std::chrono::milliseconds{*ms};
         return {};
       }},
      {"--noise", true,
       [](SimConfig& c, std::string_view v) -> std::string {
         const auto rate = ParseWhole(v, 1, 1'000'000);
         if (!rate) return "expects a rate in bytes per second from 1";
         c.noiseBytesPerSecond = static_cast<double>(*rate);
         return {};
       }},
      {"--noise-after-active", false, Flag([](SimConfig& c) { c.noiseAfterActive = true; })},
      {"--exit-after-seconds", true,
       [](SimConfig& c, std::string_view v) -> std::string {
         const auto s = ParseWhole(v, 1, 86'400);
         if (!s) return "expects a number of seconds from 1";
         c.exitAfter = std::chrono::seconds{*s};
         return {};
       }},
      {"--jump-command", true, Characters(&PC::jump)},
      {"--active-char", true, Characters(&PC::active)},
      {"--start-sequence", true, Characters(&PC::startSequence)},
      {"--ready-char", true, Characters(&PC::ready)},
      {"--eeprom-command", true, Characters(&PC::eepromWrite)},
      {"--line-complete-char", true, Characters(&PC::lineComplete)},
      {"--page-error-char", true, Characters(&PC::pageError)},
      {"--checksum-error-char", true, Characters(&PC::checksumError)},
      {"--file-errors-char", true, Characters(&PC::fileErrors)},
      {"--file-ok-char", true, Characters(&PC::fileOk)},
      {"--noise-every-ms", true, Millis(&SimConfig::noiseEvery)},
      {"--timestamps", true, Text(&SimConfig::timestampsPath)},
      {"--report-line-settings", true, Text(&SimConfig::lineSettingsPath)},
      {"--pace", true,
       [](SimConfig& c, std::string_view v) -> std::string {
         const auto rate = ParseWhole(v, 50, 10'000'000);
         if (!rate) return "expects a rate in baud from 50 to 10000000";
         c.paceBitsPerSecond = static_cast<long>(*rate);
         return {};
       }},
  };
  return options;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string_view>& args) {
  CommandLine result;
  SimConfig config;
  bool instant = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::optional<std::string_view> value;
    if (const auto eq = name.find('='); eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (name == "--help" || name == "-h") {
      result.helpRequested = true;
      return result;
    }
    const auto& options = Options();
    const auto option = std::find_if(options.begin(), options.end(),
                                     [&](const Option& o) { return o.name == name; });
    if (option == options.end()) {
      result.error = "unknown option " + std::string(name);
      return result;
    }
    if (option->takesValue && !value) {
      if (i + 1 >= args.size()) {
        result.error = std::string(name) + " needs a value";
        return result;
      }
      value = args[++i];
    } else if (!option->takesValue && value) {
      result.error = std::string(name) + " takes no value";
      return result;
    }
    if (const auto error = option->set(config, value.value_or("")); !error.empty()) {
      result.error = std::string(name) + " " + error;
      return result;
    }
    instant = instant || name == "--instant";
  }
  if (instant && config.behaviour.replyDelay.count() != 0) {
    result.error = "--instant and a --delay-ms above 0 contradict each other";
    return result;
  }
  if (config.noiseAfterActive && config.noiseBytesPerSecond == 0) {
    config.noiseBytesPerSecond = kDefaultNoiseBytesPerSecond;
  }
  result.config = std::move(config);
  return result;
}

std::string UsageText() {
  return R"(Usage: target-sim [options]
A simulated bootloader target on a pseudo-terminal. Prints the slave's path on one line.

  --link PATH                 make PATH a symbolic link to the pseudo-terminal
  --log FILE                  log received (RX) and sent (TX) bytes and events (EV)
  --exit-after-seconds N      end after N seconds (also ends on SIGINT and SIGTERM)
  --report-line-settings FILE
                              write the line settings the host gives the port to FILE, a line
                              each time they change: baud, data bits, parity, stop bits and
                              XON/XOFF, as "baud 19200 data 8 parity none stop 1 xonxoff on"
  --start-in-bootloader       start as the bootloader instead of the application
  --jump-ms N                 the application takes N ms to become the bootloader after
                              answering the jump command; what the host sends meanwhile is
                              lost (default 0)
  --reset-after-ms N          the user's reset after N ms: send the active character
  --send-active-every-ms N    repeat the active character every N ms between files
  --version TEXT              version sent after "V" (default 1.30)
  --no-version                send the ready character without "V" and a version
  --delay-ms N                send every answer N ms late (default 0)
  --instant                   answer at once (the default; refuses --delay-ms above 0)
  --reply-byte-gap MS         write every reply one byte at a time, MS ms apart
  --checksum-error-on-line K  answer line K of every file with the checksum-error character
  --page-error-on-line K      answer line K of every file with the page-error character
  --silent-on-line K          never answer line K of any file, however often it is sent
  --silent-at-eof             send no verdict on a whole file
  --silent                    a dead target: never send anything but noise
  --noise RATE                send random printable noise, about RATE bytes per second
  --noise-after-active        start the noise only once the active character went out
                              (at 200 bytes per second unless --noise gives a rate)
Line numbers count the records of each file from 1; a record sent again keeps its number.
The line-fault options may be repeated.

For benchmarks:
  --noise-every-ms N          send the noise in batches every N ms (default 5 to 50 by the rate)
  --timestamps FILE           at the end, write when each read came in and each write went out
  --pace RATE                 take and give bytes no faster than a line at RATE baud would
                              (ten bits a byte, each direction on its own)

Protocol characters (defaults in brackets; \xHH gives any byte):
  --jump-command [$]  --active-char [^]  --start-sequence [@&$]  --ready-char [?]
  --eeprom-command [*]  --line-complete-char [~]  --page-error-char [%]
  --checksum-error-char [-]  --file-errors-char [#]  --file-ok-char [@]
)";
}

}  // namespace tarnwick::sim
