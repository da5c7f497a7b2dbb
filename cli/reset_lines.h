#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/modem_lines.h"

namespace tarnwick::cli {

// --reset and --reset-ms: which modem lines a board's reset circuit hangs on, and how long
// the reset is held. The pulse comes right after the port opens in wait mode, so the
// bootloader's active character follows without a person at the board.
struct ResetOptions {
  bool dtr = false;
  bool rts = false;
  std::chrono::milliseconds hold{100};

  bool Any() const { return dtr || rts; }
  bool operator==(const ResetOptions&) const = default;
};

// Whether `option` is --reset or --reset-ms.
bool IsResetOption(const std::string& option);
// Reads the value of --reset (dtr, rts, both, none) or --reset-ms (1 to 10000); throws
// UsageError.
void TakeResetOption(const std::string& option, const std::string& value, ResetOptions& reset);
// --reset's value for the lines chosen: none, dtr, rts or both.
std::string ResetLinesOf(const ResetOptions& reset);

// Asserts the chosen lines, lets `hold` pass `reset.hold`, then releases them. Throws
// PortError when a line cannot be set (a port without modem lines).
void PulseReset(ModemLines& lines, const ResetOptions& reset,
                const std::function<void(std::chrono::milliseconds)>& hold);

// Lets `hold` pass, or less when a stop request comes (Ctrl+C must end the run at once).
void HoldUnlessStopped(std::chrono::milliseconds hold);

}  // namespace tarnwick::cli
