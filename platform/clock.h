#pragma once

#include <chrono>
#include <cstdint>

namespace tarnwick {

// The wall clock in whole seconds; the download's timed waits are measured on it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t NowSeconds() = 0;
  // Sleeps briefly, without pumping window events. A clock that stands in for time in tests
  // need not sleep at all.
  virtual void Pause(std::chrono::milliseconds) {}
};

}  // namespace tarnwick
