#pragma once

#include <string>
#include <vector>

#include "bench/figures.h"

namespace tarnwick::bench {

struct Scenario {
  std::vector<std::string> target;  // target-sim's options for the target's behaviour
  std::vector<std::string> host;    // the host program and its arguments; "{port}" is replaced
  std::vector<std::string> environment = {};
  // The CPU that each process is kept on; -1 leaves it to the scheduler.
  int targetCpu = -1;
  int hostCpu = -1;
};

// Starts target-sim, runs the host against the target's line to its end, then stops the
// target. The host's figures keep their keys; the target's (see TargetFigures) are prefixed
// "target.". "exit" holds the host's exit status.
Figures RunScenario(const Scenario& scenario);

}  // namespace tarnwick::bench
