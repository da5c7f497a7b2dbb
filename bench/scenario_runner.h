#pragma once

#include <string>
#include <vector>

#include "bench/figures.h"

namespace tarnwick::bench {

struct Scenario {
  std::vector<std::string> target;  // target-sim's options for the target's behaviour
  // The host program and its arguments; each "{port}" is replaced by the port of a target of
  // its own, so that a host of several boards gets as many targets.
  std::vector<std::string> host;
  std::vector<std::string> environment = {};
  // The CPU that each process is kept on; -1 leaves it to the scheduler.
  int targetCpu = -1;
  int hostCpu = -1;
};

// Starts target-sim, runs the host against the target's line to its end, then stops the
// target. The host's figures keep their keys; the first target's (see TargetFigures) are
// prefixed "target.". "exit" holds the host's exit status, "host_wall_ns" the time from its
// start to its end and "host_cpu_s" the CPU of the host and every process it waited for.
Figures RunScenario(const Scenario& scenario);

}  // namespace tarnwick::bench
