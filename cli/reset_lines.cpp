#include "cli/reset_lines.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "cli/command_line.h"
#include "cli/stop_signal.h"

#ifndef _WIN32
#include <poll.h>
#else
#include <thread>
#endif

namespace tarnwick::cli {
namespace {

constexpr int kLongestResetMs = 10000;

// --reset's values and the lines each pulses.
struct ResetLinesName {
  const char* name;
  bool dtr;
  bool rts;
};
constexpr std::array<ResetLinesName, 4> kResetLinesNames = {{
    {"none", false, false},
    {"dtr", true, false},
    {"rts", false, true},
    {"both", true, true},
}};

void SetChosen(ModemLines& lines, const ResetOptions& reset, bool on) {
  if (reset.dtr) lines.SetModemLine(ModemLines::Line::kDtr, on);
  if (reset.rts) lines.SetModemLine(ModemLines::Line::kRts, on);
}

}  // namespace

bool IsResetOption(const std::string& option) {
  return option == "--reset" || option == "--reset-ms";
}

void TakeResetOption(const std::string& option, const std::string& value, ResetOptions& reset) {
  if (option == "--reset-ms") {
    int ms = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), ms);
    if (error != std::errc() || end != value.data() + value.size() || ms < 1 ||
        ms > kLongestResetMs) {
      throw UsageError("--reset-ms " + value + ": give 1 to " + std::to_string(kLongestResetMs));
    }
    reset.hold = std::chrono::milliseconds(ms);
    return;
  }
  const auto named = std::find_if(kResetLinesNames.begin(), kResetLinesNames.end(),
                                  [&](const ResetLinesName& lines) { return value == lines.name; });
  if (named == kResetLinesNames.end()) {
    throw UsageError("--reset " + value + ": give dtr, rts, both or none");
  }
  reset.dtr = named->dtr;
  reset.rts = named->rts;
}

std::string ResetLinesOf(const ResetOptions& reset) {
  for (const ResetLinesName& lines : kResetLinesNames) {
    if (lines.dtr == reset.dtr && lines.rts == reset.rts) return lines.name;
  }
  return "none";
}

void PulseReset(ModemLines& lines, const ResetOptions& reset,
                const std::function<void(std::chrono::milliseconds)>& hold) {
  SetChosen(lines, reset, true);
  hold(reset.hold);
  SetChosen(lines, reset, false);
}

void HoldUnlessStopped(std::chrono::milliseconds hold) {
#ifdef _WIN32
  std::this_thread::sleep_for(hold);
#else
  pollfd stop{StopSignalDescriptor(), POLLIN, 0};
  ::poll(&stop, stop.fd >= 0 ? 1 : 0, static_cast<int>(hold.count()));
#endif
}

}  // namespace tarnwick::cli
