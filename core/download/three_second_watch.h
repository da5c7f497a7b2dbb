#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "core/download/clock.h"

namespace tarnwick {

// The three-second limit of the download's waits, measured on the whole-second wall clock:
// started at second s, it runs until the clock reads s + 3, so a wait without an answer
// lasts more than 2 and at most 3 seconds. A clock set back during the wait restarts the
// limit from the new time instead of stretching the wait by the size of the jump.
class ThreeSecondWatch {
 public:
  explicit ThreeSecondWatch(Clock& clock)
      : clock_(clock), start_(Second(clock.NowMilliseconds())) {}

  bool Running() { return TimeLeft().count() > 0; }

  // How long until the second turns that ends the limit; zero once it has ended. A wait that
  // sleeps for no longer than this wakes the moment the limit is up.
  std::chrono::milliseconds TimeLeft() {
    const std::int64_t now = clock_.NowMilliseconds();
    start_ = std::min(start_, Second(now));
    return std::chrono::milliseconds{std::max<std::int64_t>(0, (start_ + 3) * 1000 - now)};
  }

 private:
  // The whole second that a millisecond time falls in, also before 1970.
  static std::int64_t Second(std::int64_t ms) { return ms >= 0 ? ms / 1000 : -((999 - ms) / 1000); }

  Clock& clock_;
  std::int64_t start_;
};

}  // namespace tarnwick
