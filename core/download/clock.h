#pragma once

#include <cstdint>

namespace tarnwick {

// The download's clocks. The three-second waits are measured on the wall clock in whole
// seconds; a wait that must wake when such a second turns needs the wall clock to the
// millisecond. Short gaps (the end of a reply that arrives in pieces) are measured on a
// steady clock, which a change of the system's time cannot stretch.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t NowSeconds() = 0;
  // The wall clock in milliseconds; a clock that knows only whole seconds gives those.
  virtual std::int64_t NowMilliseconds() { return NowSeconds() * 1000; }
  // Milliseconds on a clock that only moves forward, from any fixed origin.
  virtual std::int64_t SteadyMilliseconds() { return NowMilliseconds(); }
};

}  // namespace tarnwick
