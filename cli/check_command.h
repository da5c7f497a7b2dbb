#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_code.h"

namespace tarnwick::cli {

// Checks each Intel HEX file and prints every fault as "FILE:LINE: what", or "FILE: clean"
// with its line count. kSuccess when every file is clean, kDownloadFile when one cannot be
// read, else kCheckFailed.
ExitCode CheckFiles(const std::vector<std::string>& files, std::ostream& out);

// `download --check`: checks the download's files, printing the faults on standard error.
bool FilesPassCheck(const DownloadOptions& options);
inline constexpr const char* kCheckFailedMessage = "The HEX file check failed; nothing was sent.";

}  // namespace tarnwick::cli
