#include "bench/derived_figures.h"

#include <gtest/gtest.h>

namespace tarnwick::bench {
namespace {

TEST(DerivedFiguresTest, TimesTheTransferAtTheTarget) {
  Figures f{{"target.transfer_ns", "2000000000"}, {"target.records", "32767"}};
  EXPECT_EQ(TransferSeconds(f), 2.0);
  EXPECT_EQ(LinesPerSecond(f), 32767 / 2.0);
  f["target.transfer_ns"] = "0";
  EXPECT_EQ(LinesPerSecond(f), std::nullopt);
}

TEST(DerivedFiguresTest, PrefersTheDownloadsOwnCpuToTheWholeProcesss) {
  Figures f{{"cpu_s", "0.5"}, {"target.records", "1000"}};
  EXPECT_DOUBLE_EQ(*CpuPerLineMicroseconds(f), 500.0);
  f["download_cpu_s"] = "0.2";
  EXPECT_DOUBLE_EQ(*CpuPerLineMicroseconds(f), 200.0);
}

TEST(DerivedFiguresTest, SharesOfACoreNeedAWallTime) {
  EXPECT_DOUBLE_EQ(*CorePercent(0.3, 30.0), 1.0);
  EXPECT_EQ(CorePercent(0.3, 0.0), std::nullopt);
  EXPECT_EQ(CorePercent(std::nullopt, 30.0), std::nullopt);

  Figures wait{{"download_start_ns", "1000000000"},
               {"download_end_ns", "11000000000"},
               {"download_cpu_s", "0.05"}};
  EXPECT_DOUBLE_EQ(*WaitCorePercent(wait), 0.5);
}

}  // namespace
}  // namespace tarnwick::bench
