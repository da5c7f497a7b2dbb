#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"

namespace tarnwick::cli {

// One option of the download command: how it is written, what it does to the options, and
// its help. The one table from which the command line is read and the help is printed.
struct DownloadOption {
  const char* name;   // "--port"
  const char* value;  // the value's name in the help ("PORT"); nullptr: a flag
  const char* help;   // its help, lines joined by '\n'; "{device}" stands for a device path
  void (*take)(DownloadOptions& options, const std::string& value);
  // Appends the arguments that give this option's part of `options` again (none when the
  // option was not given or changes nothing).
  void (*give)(const DownloadOptions& options, std::vector<std::string>& args);
  bool repeatable = false;  // may be given more than once (--port, for several boards)
};

// Every option of the download command but the ten protocol characters, which come from the
// protocol settings' own table.
const std::vector<DownloadOption>& DownloadOptionTable();

// The download command's option of this name; nullptr when none is.
const DownloadOption* DownloadOptionNamed(const std::string& name);

// The arguments that a download command is read from to get `options` again: how the parent
// of several boards gives each board's process its run.
std::vector<std::string> ArgumentsOf(const DownloadOptions& options);

// The download command's options as the help shows them, one column of names and one of text.
std::string DownloadOptionsHelp();

}  // namespace tarnwick::cli
