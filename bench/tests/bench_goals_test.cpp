#include "bench/bench_goals.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::bench {
namespace {

std::optional<bool> Verdict(const BenchResults& results, const std::string& goalStart) {
  for (const GoalVerdict& verdict : JudgeGoals(results)) {
    if (verdict.goal.rfind(goalStart, 0) == 0) return verdict.met;
  }
  ADD_FAILURE() << "no goal starting with " << goalStart;
  return std::nullopt;
}

// A handshake scenario of `seconds` that cost `cpu` seconds in all.
Figures Wait(double seconds, double cpu) {
  return {{"download_start_ns", "0"},
          {"download_end_ns", std::to_string(seconds * 1e9)},
          {"download_cpu_s", std::to_string(cpu)}};
}

Figures Noise(double firstCpu, double lastCpu) {
  Figures f = Wait(30, firstCpu + lastCpu);
  f["window_s"] = "10";
  f["cpu_first_window_s"] = std::to_string(firstCpu);
  f["cpu_last_window_s"] = std::to_string(lastCpu);
  return f;
}

TEST(BenchGoalsTest, AllowsTheEngineAQuarterMoreTransferTimeThanTheReference) {
  BenchResults r;
  r.reference["target.transfer_ns"] = "1000000000";
  r.engine["target.transfer_ns"] = "1250000000";
  EXPECT_EQ(Verdict(r, "transfer time"), true);
  r.engine["target.transfer_ns"] = "1260000000";
  EXPECT_EQ(Verdict(r, "transfer time"), false);
}

TEST(BenchGoalsTest, ComparesTheFastestRoundsWhenThereWereSeveral) {
  BenchResults r;
  r.reference["target.transfer_ns"] = "4000000000";  // a median round slowed by other work
  r.reference["target.transfer_ns.min"] = "1000000000";
  r.engine["target.transfer_ns"] = "2000000000";
  r.engine["target.transfer_ns.min"] = "1400000000";
  EXPECT_EQ(Verdict(r, "transfer time"), false);
  r.engine["target.transfer_ns.min"] = "1200000000";
  EXPECT_EQ(Verdict(r, "transfer time"), true);
}

TEST(BenchGoalsTest, AllowsTheEngine100MicrosecondsMoreTurnaround) {
  BenchResults r;
  r.reference["target.turnaround_median_ns"] = "30000";
  r.engine["target.turnaround_median_ns"] = "130000";
  EXPECT_EQ(Verdict(r, "turnaround"), true);
  r.engine["target.turnaround_median_ns"] = "130500";
  EXPECT_EQ(Verdict(r, "turnaround"), false);
}

TEST(BenchGoalsTest, HoldsBothWaitsToTwoPercentOfACore) {
  BenchResults r;
  r.silent = Wait(10, 0.1);  // 1 %
  r.noise = Wait(30, 0.6);   // 2 %
  EXPECT_EQ(Verdict(r, "CPU while waiting"), true);
  r.noise = Wait(30, 0.61);
  EXPECT_EQ(Verdict(r, "CPU while waiting"), false);
  r.noise = Wait(30, 0.3);
  r.silent = Wait(10, 0.21);
  EXPECT_EQ(Verdict(r, "CPU while waiting"), false);
}

TEST(BenchGoalsTest, CountsGrowthOnlyBeyondTheMachinesJitter) {
  BenchResults r;
  r.noise = Noise(0.10, 0.13);  // 1 % then 1.3 %: a third more
  EXPECT_EQ(Verdict(r, "no growth"), false);
  r.noise = Noise(0.10, 0.115);  // 15 % more
  EXPECT_EQ(Verdict(r, "no growth"), true);
  r.noise = Noise(0.001, 0.005);  // five times as much, but 0.04 % of a core
  EXPECT_EQ(Verdict(r, "no growth"), true);
  r.noise = Noise(0.10, 0.05);  // cheaper later
  EXPECT_EQ(Verdict(r, "no growth"), true);
}

TEST(BenchGoalsTest, HoldsTheWindowTo60Megabytes) {
  BenchResults r;
  r.window["maxrss_kb"] = "61440";
  EXPECT_EQ(Verdict(r, "whole window"), true);
  r.window["maxrss_kb"] = "61441";
  EXPECT_EQ(Verdict(r, "whole window"), false);
}

TEST(BenchGoalsTest, JudgesNothingThatDidNotRun) {
  BenchResults r;
  r.reference["target.transfer_ns"] = "1000000000";  // the reference alone decides nothing
  for (const GoalVerdict& verdict : JudgeGoals(r)) {
    EXPECT_EQ(verdict.met, std::nullopt) << verdict.goal;
  }
}

}  // namespace
}  // namespace tarnwick::bench
