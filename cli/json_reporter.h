#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "cli/board_events.h"

namespace tarnwick::cli {

// One JSON object per line and event on `out`, each naming the board's `port`; with
// `outcomeOnly`, the outcome's object alone.
std::unique_ptr<BoardEvents> MakeJsonReporter(std::ostream& out, const std::string& port,
                                              bool outcomeOnly);

}  // namespace tarnwick::cli
