#pragma once

#include <string>

#include "cli/command_line.h"
#include "cli/exit_code.h"
#include "cli/reporters.h"
#include "core/download/download_result.h"

namespace tarnwick::cli {

// The exit code that a download's ending stands for.
ExitCode ExitCodeFor(DownloadResult result);

// The device that --port names: com1..com8 as the window's "Com n", anything else as given.
// Empty when "Com n" has no device on this machine.
std::string DeviceForPort(const std::string& port);

// Throws UsageError when two --port name one device (com1 and the link it opens, say): two
// downloads on one line would garble each other.
void RefuseRepeatedPorts(const DownloadOptions& options);

// One download to one board, reported in `style`; checks the files first with --check.
// Throws UsageError for a bad settings file or protocol character.
ExitCode DownloadToOneBoard(const DownloadOptions& options, ReportStyle style);

}  // namespace tarnwick::cli
