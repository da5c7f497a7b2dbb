#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::cli {

// A download file as it was when the run began, so that a record shows exactly which
// firmware went to a board.
struct FileDigest {
  std::string path;
  std::int64_t lines = 0;  // the lines a download sends: the non-empty ones
  std::string sha256;      // lower-case hex; empty when the file cannot be read
};

std::vector<FileDigest> DigestsOf(const std::vector<std::string>& paths);

// The moment now as ISO 8601 UTC with milliseconds: "2026-12-07T06:40:00.123Z".
std::string UtcNow();

}  // namespace tarnwick::cli
