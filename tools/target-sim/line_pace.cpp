#include "tools/target-sim/line_pace.h"

#include <algorithm>

namespace tarnwick::sim {

namespace {

// Ten bits in nanoseconds, rounded up: the line may be a hair slow, never faster than the rate.
std::chrono::nanoseconds ByteTime(long bitsPerSecond) {
  if (bitsPerSecond <= 0) return {};
  return std::chrono::nanoseconds((10'000'000'000LL + bitsPerSecond - 1) / bitsPerSecond);
}

}  // namespace

LinePace::LinePace(long bitsPerSecond)
    : byteTime_(std::chrono::duration_cast<Clock::duration>(ByteTime(bitsPerSecond))) {}

LinePace::Clock::time_point LinePace::Received(Clock::time_point arrival) {
  inputFree_ = std::max(inputFree_, arrival) + byteTime_;
  return inputFree_;
}

LinePace::Clock::time_point LinePace::Sent(Clock::time_point due) {
  outputFree_ = WouldLeave(due);
  return outputFree_;
}

LinePace::Clock::time_point LinePace::WouldLeave(Clock::time_point due) const {
  return std::max(outputFree_, due) + byteTime_;
}

}  // namespace tarnwick::sim
