#include "platform/qt/low_latency.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/platform/pty_pair.h"

namespace tarnwick {
namespace {

// Pseudo-terminals, non-terminals and closed descriptors refuse the request quietly.
TEST(LowLatencyTest, RefusedWithoutFailureWhereTheDriverHasNoSuchMode) {
  testing::PtyPair pty;
  const int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(slave, 0);
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);

  EXPECT_FALSE(RequestLowLatency(slave));
  EXPECT_FALSE(RequestLowLatency(pipeEnds[0]));
  EXPECT_FALSE(RequestLowLatency(-1));
  ::close(slave);
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
}

}  // namespace
}  // namespace tarnwick
