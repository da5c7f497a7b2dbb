#include "bench/scenario_runner.h"

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "bench/child_process.h"
#include "bench/target_figures.h"

namespace tarnwick::bench {

Figures RunScenario(const Scenario& scenario) {
  const std::string times =
      std::filesystem::temp_directory_path() / ("tarnwick-bench-times-" + std::to_string(getpid()));
  std::vector<std::string> command = {TARGET_SIM_PATH, "--timestamps", times};
  command.insert(command.end(), scenario.target.begin(), scenario.target.end());
  ChildProcess target(command);
  if (scenario.targetCpu >= 0) target.PinToCpu(scenario.targetCpu);
  // The target names its port at once; one that has not after this long never will.
  constexpr int kPortTimeoutMs = 10'000;
  std::string port;
  if (!target.ReadLine(port, kPortTimeoutMs)) {
    throw std::runtime_error("target-sim did not name its port");
  }

  std::vector<std::string> host = scenario.host;
  for (auto& argument : host) {
    if (argument == "{port}") argument = port;
  }
  Figures figures;
  {
    ChildProcess hostProcess(host, scenario.environment);
    if (scenario.hostCpu >= 0) hostProcess.PinToCpu(scenario.hostCpu);
    hostProcess.CloseInput();
    std::string line;
    while (hostProcess.ReadLine(line)) AddFigureLine(figures, line);
    figures["exit"] = std::to_string(hostProcess.Wait());
  }
  target.Terminate();
  if (target.Wait() != 0) throw std::runtime_error("target-sim failed");
  for (const auto& [key, value] : TargetFigures(sim::ReadTrafficTimes(times))) {
    figures["target." + key] = value;
  }
  std::filesystem::remove(times);
  return figures;
}

}  // namespace tarnwick::bench
