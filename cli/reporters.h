#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "cli/board_events.h"

namespace tarnwick::cli {

enum class ReportStyle {
  kTerminal,     // phases as lines, a progress bar per file redrawn in place
  kPlain,        // one line per phase and per 10 % of a file
  kJson,         // one JSON object per line and event
  kJsonOutcome,  // the outcome's JSON object only
  kQuiet,        // the outcome only
};

// Prints one board's events in the given style; `port` names the board in JSON lines. As
// text, a failed outcome and its reason go to `err`, everything else to `out`; JSON goes to
// `out` alone. A phase that keeps coming back is printed once, then its count.
std::unique_ptr<BoardEvents> MakeReporter(ReportStyle style, std::ostream& out, std::ostream& err,
                                          const std::string& port);

// `text` as a JSON string literal, quotes included; bytes that are not valid UTF-8 are
// replaced, so that a garbled answer never makes the line unreadable.
std::string JsonString(const std::string& text);

// A file's progress as one terminal line that fits `columns`: "FLASH [####------] 40/100
// lines  800 lines/s  0:01 left", the bar narrower or gone where the terminal is narrow.
std::string BarLine(const std::string& file, std::int64_t sent, std::int64_t total, double seconds,
                    int columns);

// "1:05" style times left.
std::string ClockText(double seconds);

}  // namespace tarnwick::cli
