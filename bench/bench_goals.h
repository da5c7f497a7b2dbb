#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/bench_report.h"

namespace tarnwick::bench {

struct GoalVerdict {
  std::optional<bool> met;  // nullopt when a scenario it needs did not run
  std::string goal;
  std::string found;  // the figure that decided it
};

// The product's performance goals, judged on one run's figures.
std::vector<GoalVerdict> JudgeGoals(const BenchResults& results);

}  // namespace tarnwick::bench
