#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace tarnwick {

// The three-second limit of the download's waits, measured on the whole-second wall clock:
// started at second s, it runs until the clock reads s + 3, so a wait without an answer
// lasts more than 2 and at most 3 seconds. A clock set back during the wait restarts the
// limit from the new time instead of stretching the wait by the size of the jump.
class ThreeSecondWatch {
 public:
  explicit ThreeSecondWatch(Clock& clock) : clock_(clock), start_(clock.NowSeconds()) {}

  bool Running() {
    const std::int64_t now = clock_.NowSeconds();
    if (now < start_) start_ = now;
    return now - start_ < 3;
  }

 private:
  Clock& clock_;
  std::int64_t start_;
};

}  // namespace tarnwick
