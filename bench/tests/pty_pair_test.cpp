#include "bench/pty_pair.h"

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::bench {
namespace {

std::string ReadAvailable(int fd) {
  std::string bytes;
  char buffer[256];
  pollfd readable{fd, POLLIN, 0};
  while (poll(&readable, 1, 100) > 0) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) break;
    bytes.append(buffer, std::size_t(count));
  }
  return bytes;
}

class PtyPairTest : public ::testing::Test {
 protected:
  ~PtyPairTest() override {
    close(pty.master);
    close(pty.slave);
  }
  PtyPair pty = OpenRawPty();
};

// Line editing or translation would change what the host receives and what the target
// times; an echo would answer the host's lines with its own bytes.
TEST_F(PtyPairTest, CarriesBytesUnchangedAndWithoutEcho) {
  const std::string tricky("a\r\nb\x03\x7f\x11\x13:", 9);
  ASSERT_EQ(write(pty.master, tricky.data(), tricky.size()), ssize_t(tricky.size()));
  EXPECT_EQ(ReadAvailable(pty.slave), tricky);
  EXPECT_EQ(ReadAvailable(pty.master), "");

  ASSERT_EQ(write(pty.slave, tricky.data(), tricky.size()), ssize_t(tricky.size()));
  EXPECT_EQ(ReadAvailable(pty.master), tricky);
}

TEST_F(PtyPairTest, NamesASlaveThatTheHostCanOpen) {
  ASSERT_EQ(pty.slavePath.rfind("/dev/pts/", 0), 0u);
  EXPECT_EQ(access(pty.slavePath.c_str(), R_OK | W_OK), 0);
}

}  // namespace
}  // namespace tarnwick::bench
