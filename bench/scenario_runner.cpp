#include "bench/scenario_runner.h"

#include <stdexcept>

#include "bench/child_process.h"

namespace tarnwick::bench {

Figures RunScenario(const std::string& targetProgram, const Scenario& scenario) {
  ChildProcess target({targetProgram, scenario.targetMode});
  if (scenario.targetCpu >= 0) target.PinToCpu(scenario.targetCpu);
  std::string line;
  Figures portFigure;
  // The target names its port at once; one that has not after this long never will.
  constexpr int kPortTimeoutMs = 10'000;
  if (target.ReadLine(line, kPortTimeoutMs)) AddFigureLine(portFigure, line);
  auto port = portFigure.find("port");
  if (port == portFigure.end()) throw std::runtime_error("the target did not name its port");

  std::vector<std::string> host = scenario.host;
  for (auto& argument : host) {
    if (argument == "{port}") argument = port->second;
  }
  Figures figures;
  {
    ChildProcess hostProcess(host, scenario.environment);
    if (scenario.hostCpu >= 0) hostProcess.PinToCpu(scenario.hostCpu);
    hostProcess.CloseInput();
    while (hostProcess.ReadLine(line)) AddFigureLine(figures, line);
    figures["exit"] = std::to_string(hostProcess.Wait());
  }
  target.CloseInput();
  while (target.ReadLine(line)) AddFigureLine(figures, line, "target.");
  target.Wait();
  return figures;
}

}  // namespace tarnwick::bench
