#include "cli/input_files.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

// The same file by its identity when both exist (links included), else by the path each
// would open, made absolute and normal.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error);
  const fs::path first = fs::weakly_canonical(fs::absolute(a, error), error);
  const fs::path second = fs::weakly_canonical(fs::absolute(b, error), error);
  return first.lexically_normal() == second.lexically_normal();
}

}  // namespace

std::optional<std::string> FileProblem(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return "missing";
  if (!fs::is_regular_file(status)) return "not a regular file";
  if (!std::ifstream(fs::path(path), std::ios::binary).is_open()) return "not readable";
  return std::nullopt;
}

std::string BoardLogName(const std::string& log, const std::string& port) {
  std::string name = port;
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':') c = '_';
  }
  return log + "." + name;
}

void RefuseLogsOverInputs(const DownloadOptions& options) {
  std::vector<std::string> inputs = FilesOf(options);
  if (options.settingsFile) inputs.push_back(*options.settingsFile);
  if (options.recordFile) {
    for (const std::string& input : inputs) {
      if (SameFile(*options.recordFile, input)) {
        throw UsageError("--record " + *options.recordFile + ": it is the input " + input);
      }
    }
  }
  if (!options.logFile) return;
  std::vector<std::string> logs;
  if (options.ports.size() == 1) {
    logs.push_back(*options.logFile);
  } else {
    for (const std::string& port : options.ports) {
      logs.push_back(BoardLogName(*options.logFile, port));
    }
  }
  for (std::size_t i = 0; i < logs.size(); ++i) {
    for (const std::string& input : inputs) {
      if (SameFile(logs[i], input)) {
        throw UsageError("--log " + *options.logFile + ": the log " + logs[i] +
                         " would be written over the input " + input);
      }
    }
    for (std::size_t k = 0; k < i; ++k) {
      if (SameFile(logs[i], logs[k])) {
        throw UsageError("--log " + *options.logFile + ": ports " + options.ports[k] + " and " +
                         options.ports[i] + " would share the log " + logs[i]);
      }
    }
  }
}

}  // namespace tarnwick::cli
