#include "bench/figures.h"

#include <gtest/gtest.h>

#include "bench/measure.h"

namespace tarnwick::bench {
namespace {

TEST(FiguresTest, KeepsEachPrintedFigureUnderItsKeyAndPrefix) {
  Figures figures;
  AddFigureLine(figures, "cpu_s=0.25");
  AddFigureLine(figures, "records=32767", "target.");
  AddFigureLine(figures, "outcome=a=b");  // the first '=' ends the key
  AddFigureLine(figures, "a line of chatter");
  AddFigureLine(figures, "=no key");

  EXPECT_EQ(figures, (Figures{{"cpu_s", "0.25"}, {"target.records", "32767"}, {"outcome", "a=b"}}));
}

TEST(FiguresTest, ReadsOnlyWholeNumbers) {
  Figures figures{{"a", "1.5e3"}, {"b", "12abc"}, {"c", ""}};
  EXPECT_EQ(Number(figures, "a"), 1500.0);
  EXPECT_EQ(Number(figures, "b"), std::nullopt);
  EXPECT_EQ(Number(figures, "c"), std::nullopt);
  EXPECT_EQ(Number(figures, "missing"), std::nullopt);
}

TEST(FiguresTest, PicksTheMedianRunAndKeepsTheSpread) {
  std::vector<Figures> runs{{{"t", "30"}, {"run", "a"}},
                            {{"t", "10"}, {"run", "b"}},
                            {{"run", "failed"}},
                            {{"t", "20"}, {"run", "c"}},
                            {{"t", "40"}, {"run", "d"}}};
  Figures median = MedianRun(runs, "t");
  EXPECT_EQ(median["run"], "c");  // 10 20 30 40: the lower middle
  EXPECT_EQ(median["t.min"], "10");
  EXPECT_EQ(median["t.max"], "40");

  runs.pop_back();
  EXPECT_EQ(MedianRun(runs, "t")["run"], "c");  // 10 20 30
  EXPECT_EQ(MedianRun({{{"run", "failed"}}}, "t"), Figures{});
}

std::vector<std::int64_t> OneTo(int n) {
  std::vector<std::int64_t> sample;
  for (int i = n; i >= 1; --i) sample.push_back(i);  // unsorted on purpose
  return sample;
}

TEST(PercentileTest, TakesTheNearestRank) {
  EXPECT_EQ(Percentile({5, 1, 4, 2, 3}, 0.5), 3);
  EXPECT_EQ(Percentile({1, 2, 3, 4}, 0.5), 2);
  EXPECT_EQ(Percentile(OneTo(100), 0.99), 99);
  EXPECT_EQ(Percentile(OneTo(1000), 0.99), 990);
  EXPECT_EQ(Percentile(OneTo(1000), 1.0), 1000);
}

TEST(PercentileTest, CopesWithTinySamples) {
  EXPECT_EQ(Percentile({7}, 0.99), 7);
  EXPECT_EQ(Percentile({7}, 0.0), 7);
  EXPECT_EQ(Percentile({}, 0.5), 0);
}

}  // namespace
}  // namespace tarnwick::bench
