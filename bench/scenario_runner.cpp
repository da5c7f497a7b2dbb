#include "bench/scenario_runner.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "bench/child_process.h"
#include "bench/measure.h"
#include "bench/target_figures.h"

namespace tarnwick::bench {

Figures RunScenario(const Scenario& scenario) {
  const std::string times =
      std::filesystem::temp_directory_path() / ("tarnwick-bench-times-" + std::to_string(getpid()));
  const auto portCount =
      std::max<std::ptrdiff_t>(1, std::count(scenario.host.begin(), scenario.host.end(), "{port}"));
  std::vector<std::unique_ptr<ChildProcess>> targets;
  std::vector<std::string> ports;
  for (std::ptrdiff_t i = 0; i < portCount; ++i) {
    // The first target's moments stand for all: the others serve the same file alike.
    std::vector<std::string> command = {TARGET_SIM_PATH};
    if (i == 0) command.insert(command.end(), {"--timestamps", times});
    command.insert(command.end(), scenario.target.begin(), scenario.target.end());
    auto& target = *targets.emplace_back(std::make_unique<ChildProcess>(command));
    if (scenario.targetCpu >= 0) target.PinToCpu(scenario.targetCpu);
    // The target names its port at once; one that has not after this long never will.
    constexpr int kPortTimeoutMs = 10'000;
    if (!target.ReadLine(ports.emplace_back(), kPortTimeoutMs)) {
      throw std::runtime_error("target-sim did not name its port");
    }
  }

  std::vector<std::string> host = scenario.host;
  auto port = ports.begin();
  for (auto& argument : host) {
    if (argument == "{port}") argument = *port++;
  }
  Figures figures;
  {
    // The targets are waited for only after the reading, so the CPU is the host's alone.
    const double cpuBefore = WaitedChildrenCpuSeconds();
    const std::int64_t startNs = MonotonicNanoseconds();
    ChildProcess hostProcess(host, scenario.environment);
    if (scenario.hostCpu >= 0) hostProcess.PinToCpu(scenario.hostCpu);
    hostProcess.CloseInput();
    std::string line;
    while (hostProcess.ReadLine(line)) AddFigureLine(figures, line);
    figures["exit"] = std::to_string(hostProcess.Wait());
    figures["host_wall_ns"] = std::to_string(MonotonicNanoseconds() - startNs);
    figures["host_cpu_s"] = std::to_string(WaitedChildrenCpuSeconds() - cpuBefore);
  }
  for (auto& target : targets) {
    target->Terminate();
    if (target->Wait() != 0) throw std::runtime_error("target-sim failed");
  }
  for (const auto& [key, value] : TargetFigures(sim::ReadTrafficTimes(times))) {
    figures["target." + key] = value;
  }
  std::filesystem::remove(times);
  return figures;
}

}  // namespace tarnwick::bench
