#include "cli/input_files.h"

#include <filesystem>
#include <fstream>

namespace tarnwick::cli {

std::optional<std::string> FileProblem(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return "missing";
  if (!std::filesystem::is_regular_file(status)) return "not a regular file";
  if (!std::ifstream(std::filesystem::path(path), std::ios::binary).is_open()) {
    return "not readable";
  }
  return std::nullopt;
}

}  // namespace tarnwick::cli
