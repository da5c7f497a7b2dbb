#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_code.h"
#include "cli/reporters.h"

namespace tarnwick::cli {

// The same download to every --port at once, each board by a process of its own (so one
// board failing, hanging or being unplugged cannot disturb the others), with a line of
// progress per board and a table of outcomes at the end. The exit code is kSuccess when every board
// succeeded, else the code of the first failing board in the order given.
ExitCode DownloadToManyBoards(const DownloadOptions& options, ReportStyle style);

}  // namespace tarnwick::cli
