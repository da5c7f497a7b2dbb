#pragma once

#include <chrono>

#include "core/download/clock.h"

namespace tarnwick {

class SystemClock final : public Clock {
 public:
  std::int64_t NowSeconds() override {
    using namespace std::chrono;
    return floor<seconds>(system_clock::now()).time_since_epoch().count();
  }
  std::int64_t NowMilliseconds() override {
    using namespace std::chrono;
    return floor<milliseconds>(system_clock::now()).time_since_epoch().count();
  }
  std::int64_t SteadyMilliseconds() override {
    using namespace std::chrono;
    return floor<milliseconds>(steady_clock::now()).time_since_epoch().count();
  }
};

}  // namespace tarnwick
