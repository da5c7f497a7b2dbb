#include "tools/target-sim/noise_source.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::sim {
namespace {

using std::chrono::milliseconds;

TEST(NoiseSourceTest, NeverSendsAProtocolCharacterOrAVersionMark) {
  ProtocolCharacters characters;
  characters.lineComplete = "K";  // a changed setting is left out too
  NoiseSource noise(characters, 10'000);
  const std::string sample = noise.Take(milliseconds{1000});
  ASSERT_EQ(sample.size(), 10'000u);
  for (char c : std::string("$^@&?*%-#KV")) {
    EXPECT_EQ(sample.find(c), std::string::npos) << c;
  }
  for (char c : sample) EXPECT_TRUE(c >= ' ' && c <= '~') << static_cast<int>(c);
  EXPECT_NE(sample.find('~'), std::string::npos) << "the default no longer in use may appear";
}

TEST(NoiseSourceTest, HoldsItsRateOverManySmallSteps) {
  NoiseSource noise(ProtocolCharacters{}, 250);
  std::size_t total = 0;
  for (int step = 0; step < 100; ++step) total += noise.Take(milliseconds{10}).size();
  EXPECT_NEAR(static_cast<double>(total), 250.0, 1.0);
}

}  // namespace
}  // namespace tarnwick::sim
