#include "bench/cpu_timeline.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tarnwick::bench {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;

TEST(CpuTimelineTest, ReadsOnceAtEveryMomentInOrder) {
  CpuTimeline timeline({milliseconds(0), milliseconds(1), milliseconds(2)});
  volatile double sink = 0;
  for (int i = 0; i < 1'000'000; ++i) sink = sink + i;  // some CPU between the readings
  auto readings = timeline.Readings();
  ASSERT_EQ(readings.size(), 3u);
  EXPECT_LE(readings[0], readings[1]);
  EXPECT_LE(readings[1], readings[2]);
}

// A scenario that ends early must not wait for moments it never reaches.
TEST(CpuTimelineTest, StopLeavesTheMomentsNotReachedOut) {
  CpuTimeline timeline({milliseconds(0), hours(1)});
  timeline.Stop();
  EXPECT_LE(timeline.Readings().size(), 1u);
}

}  // namespace
}  // namespace tarnwick::bench
