// target-sim: a simulated bootloader target on a pseudo-terminal, for the demo, the end-to-end
// tests and benchmarks. See README.md beside this file for the options and the log format.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "tools/target-sim/command_line.h"
#include "tools/target-sim/line_settings.h"
#include "tools/target-sim/pseudo_terminal.h"
#include "tools/target-sim/sim_log.h"
#include "tools/target-sim/sim_runner.h"
#include "tools/target-sim/traffic_times.h"

namespace {

int stopPipe[2] = {-1, -1};

// Only wakes the poll loop; the loop ends and cleans up (the link above all) outside the handler.
void RequestStop(int) {
  const int savedErrno = errno;
  const char byte = 0;
  [[maybe_unused]] const ssize_t ignored = write(stopPipe[1], &byte, 1);
  errno = savedErrno;
}

bool InstallStopHandlers() {
  if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (sigaction(signal, &action, nullptr) != 0) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarnwick::sim;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const CommandLine commandLine = ParseCommandLine(args);
  if (commandLine.helpRequested) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (!commandLine.config) {
    std::fprintf(stderr, "target-sim: %s\n%s", commandLine.error.c_str(), UsageText().c_str());
    return 2;
  }
  const SimConfig& config = *commandLine.config;

  if (!InstallStopHandlers()) {
    std::perror("target-sim: signal handlers");
    return 1;
  }
  SimLog log(config.logPath);
  if (!log.ok()) {
    std::perror(("target-sim: " + config.logPath).c_str());
    return 1;
  }
  PseudoTerminal terminal;
  if (!terminal.Open() || (!config.linkPath.empty() && !terminal.Link(config.linkPath))) {
    std::fprintf(stderr, "target-sim: %s\n", terminal.error().c_str());
    return 1;
  }
  LineSettingsReport lineSettings(config.lineSettingsPath, terminal.slaveFd());
  if (!lineSettings.ok()) {
    std::perror(("target-sim: " + config.lineSettingsPath).c_str());
    return 1;
  }
  // The settings before any host has opened the port come first.
  lineSettings.Check();
  // Scripts and tests wait for this line before they open the port.
  std::printf("%s\n", terminal.slavePath().c_str());
  std::fflush(stdout);

  TrafficTimes times(config.timestampsPath);
  SimRunner runner(config, terminal.masterFd(), stopPipe[0], log, times, lineSettings);
  const int status = runner.Run();
  if (!times.Save()) {
    std::perror(("target-sim: " + config.timestampsPath).c_str());
    return 1;
  }
  return status;
}
