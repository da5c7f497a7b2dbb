#pragma once

#include <cstdint>

#include "core/download/clock.h"

namespace tarnwick::testing {

// Time that passes only when the fakes say so: the view's wait for events and the port's wait
// advance it, so a three-second wait costs microseconds. It starts between two whole seconds
// to catch rounding mistakes.
struct FakeClock final : Clock {
  std::int64_t now_ms = 1'000'400;

  std::int64_t NowSeconds() override {
    return now_ms >= 0 ? now_ms / 1000 : -((-now_ms + 999) / 1000);
  }
  std::int64_t NowMilliseconds() override { return now_ms; }
  std::int64_t SteadyMilliseconds() override { return now_ms; }
};

}  // namespace tarnwick::testing
