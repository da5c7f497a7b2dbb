#include "cli/board_line.h"

#include <cstdio>

#include "cli/reporters.h"

namespace tarnwick::cli {

void BoardLine::Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                         double seconds) {
  const int percent = total > 0 ? static_cast<int>(100 * sent / total) : 100;
  const double rate = seconds > 0 ? sent / seconds : 0.0;
  char text[160];
  std::snprintf(text, sizeof text, "%s %3d %%  %lld/%lld lines  %.0f lines/s  %s left",
                file.c_str(), percent, static_cast<long long>(sent), static_cast<long long>(total),
                rate, rate > 0 ? ClockText((total - sent) / rate).c_str() : "-");
  line_ = text;
}

void BoardLine::Outcome(const BoardOutcome& outcome) {
  outcome_ = outcome.message.empty() ? "Stopped." : outcome.message;
  reason_ = outcome.reason;
  exit_code_ = outcome.exitCode;
  seconds_ = outcome.seconds;
  line_ = outcome_;
}

}  // namespace tarnwick::cli
