#pragma once

#include <optional>
#include <string>

namespace tarnwick::cli {

// Why a file the command must read cannot be: "missing", "not a regular file" or "not
// readable"; none when it can be opened for reading.
std::optional<std::string> FileProblem(const std::string& path);

}  // namespace tarnwick::cli
