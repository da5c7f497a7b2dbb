#include "tools/target-sim/command_line.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace tarnwick::sim {
namespace {

using std::chrono::milliseconds;

TEST(CommandLineTest, ReadsEveryKindOfOption) {
  const auto parsed = ParseCommandLine({"--link",
                                        "build/ui/com1",
                                        "--log=sim.log",
                                        "--no-version",
                                        "--reset-after-ms",
                                        "1500",
                                        "--send-active-every-ms=200",
                                        "--checksum-error-on-line",
                                        "3",
                                        "--checksum-error-on-line",
                                        "7",
                                        "--silent-on-line",
                                        "2",
                                        "--silent-at-eof",
                                        "--delay-ms",
                                        "40",
                                        "--noise-after-active",
                                        "--exit-after-seconds",
                                        "30",
                                        "--ready-char",
                                        "R"});
  ASSERT_TRUE(parsed.config) << parsed.error;
  const SimConfig& c = *parsed.config;
  EXPECT_EQ(c.linkPath, "build/ui/com1");
  EXPECT_EQ(c.logPath, "sim.log");
  EXPECT_FALSE(c.behaviour.version);
  EXPECT_EQ(c.resetAfter, milliseconds{1500});
  EXPECT_EQ(c.activeEvery, milliseconds{200});
  EXPECT_EQ(c.behaviour.checksumErrorLines, (std::set<int>{3, 7}));
  EXPECT_EQ(c.behaviour.silentLines, (std::set<int>{2}));
  EXPECT_TRUE(c.behaviour.silentAtEndOfFile);
  EXPECT_EQ(c.behaviour.replyDelay, milliseconds{40});
  EXPECT_TRUE(c.noiseAfterActive);
  EXPECT_GT(c.noiseBytesPerSecond, 0) << "noise after the active character needs a rate";
  EXPECT_EQ(c.exitAfter, std::chrono::seconds{30});
  EXPECT_EQ(c.behaviour.characters.ready, "R");
}

TEST(CommandLineTest, RefusesWhatItCannotHonour) {
  const std::vector<std::vector<std::string_view>> refused = {
      {"--bogus"},
      {"--link"},
      {"--silent=yes"},
      {"--delay-ms", "-5"},
      {"--checksum-error-on-line", "0"},
      {"--page-error-on-line", "two"},
      {"--reset-after-ms", "12ms"},
      {"--noise", "0"},
      {"--ready-char", ""},
      {"--instant", "--delay-ms", "10"},
  };
  for (const auto& args : refused) {
    const auto parsed = ParseCommandLine(args);
    EXPECT_FALSE(parsed.config) << args.front();
    EXPECT_FALSE(parsed.error.empty()) << args.front();
  }
  EXPECT_TRUE(ParseCommandLine({"--instant", "--delay-ms", "0"}).config);
  EXPECT_TRUE(ParseCommandLine({"--link", "x", "--help"}).helpRequested);
}

}  // namespace
}  // namespace tarnwick::sim
