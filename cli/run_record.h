#pragma once

#include <string>

#include "cli/board_events.h"

namespace tarnwick::cli {

// --record FILE: a production line's own account of every board it programmed. Each board
// and run appends one JSON line: the host, the port as given, the USB adapter's serial number
// when the system knows it, and the outcome's fields (files with SHA-256, bootloader version,
// exit code, times). The line goes out in one write to a file opened for appending, so lines
// of boards and runs that end at the same moment never interleave.

// Throws UsageError when `path` cannot be opened for appending.
void CheckRecordWritable(const std::string& path);

// Appends the line of the board on `port`; a failure is said on standard error and changes
// nothing else: the download's outcome stands.
void AppendRecord(const std::string& path, const std::string& port, const BoardOutcome& outcome);

}  // namespace tarnwick::cli
