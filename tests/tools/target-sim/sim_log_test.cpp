#include "tools/target-sim/sim_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tarnwick::sim {
namespace {

TEST(SimLogTest, EscapingKeepsEveryByteAndNoLineEnd) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string escaped = EscapeBytes(all);
  EXPECT_EQ(escaped.find('\n'), std::string::npos);
  EXPECT_EQ(escaped.find('\r'), std::string::npos);
  EXPECT_EQ(UnescapeBytes(escaped), all);
  EXPECT_EQ(EscapeBytes("a\\x41 ~\r\n"), "a\\x5Cx41 ~\\x0D\\x0A");
}

TEST(SimLogTest, ReceivedBytesAreTheRxLinesInOrder) {
  std::istringstream log(
      "10 RX $@&$\n"
      "12 EV jump command\n"
      "15 TX ^?V1.30\n"
      "20 RX  :1000\\x0D\n"  // a read that starts with a blank
      "25 RX \n"
      "30 RX 00\n");
  EXPECT_EQ(ReceivedBytesFromLog(log), "$@&$ :1000\r00");
}

}  // namespace
}  // namespace tarnwick::sim
