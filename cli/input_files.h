#pragma once

#include <optional>
#include <string>

#include "cli/command_line.h"

namespace tarnwick::cli {

// Why a file the command must read cannot be: "missing", "not a regular file" or "not
// readable"; none when it can be opened for reading.
std::optional<std::string> FileProblem(const std::string& path);

// The log of one board among several: the log's name, a dot and the port's name made a file
// name.
std::string BoardLogName(const std::string& log, const std::string& port);

// Throws UsageError when a log or the record would be written over one of the download's
// inputs (its files or its settings file) or two boards would write one log: a log is opened
// for writing, and a firmware file emptied by it, or grown by a record, would be lost.
void RefuseLogsOverInputs(const DownloadOptions& options);

}  // namespace tarnwick::cli
