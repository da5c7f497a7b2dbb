#pragma once

#include <cstdint>

namespace tarnwick {

// The wall clock in whole seconds; the download's timed waits are measured on it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t NowSeconds() = 0;
};

}  // namespace tarnwick
