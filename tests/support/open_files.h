#pragma once

#include <filesystem>
#include <iterator>

namespace tarnwick::testing {

// How many descriptors this process holds now: a download must leave none of its own behind.
inline int OpenFileCount() {
  const std::filesystem::directory_iterator entries("/proc/self/fd");
  return static_cast<int>(std::distance(entries, std::filesystem::directory_iterator()));
}

}  // namespace tarnwick::testing
