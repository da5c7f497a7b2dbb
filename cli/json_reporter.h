#pragma once

#include <QJsonObject>
#include <memory>
#include <ostream>
#include <string>

#include "cli/board_events.h"

namespace tarnwick::cli {

// One JSON object per line and event on `out`, each naming the board's `port`; with
// `outcomeOnly`, the outcome's object alone.
std::unique_ptr<BoardEvents> MakeJsonReporter(std::ostream& out, const std::string& port,
                                              bool outcomeOnly);

// The outcome's fields of a JSON object, without the braces: "text", "reason", "exit_code",
// "seconds", "continued", "failed_line", "bootloader_version", "files", "started", "ended".
std::string OutcomeJsonFields(const BoardOutcome& outcome);

// Reads back one event that a board's process wrote as JSON and tells it to `to`: how the
// several-board parent follows its boards. Unknown events are passed over.
void Deliver(const QJsonObject& event, BoardEvents& to);

}  // namespace tarnwick::cli
