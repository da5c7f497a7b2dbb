#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_code.h"

namespace tarnwick::cli {

// Checks each Intel HEX file. As text, faults and warnings go to `err` as "FILE:LINE: what"
// and each file that passes to `out` as "FILE: clean" (with --summary, what it holds); as
// JSON, every fault and every file is an event on `out`. kSuccess when every file passes,
// kDownloadFile when one cannot be read, else kCheckFailed.
ExitCode CheckFiles(const CheckOptions& options, std::ostream& out, std::ostream& err);

// The download's own check of its files before the port opens: faults on standard error, or
// as JSON events on standard output with --json (but not --quiet). kSuccess without --check
// or when every file passes, else as CheckFiles.
ExitCode CheckBeforeDownload(const DownloadOptions& options);
inline constexpr const char* kCheckFailedMessage = "The HEX file check failed; nothing was sent.";

}  // namespace tarnwick::cli
