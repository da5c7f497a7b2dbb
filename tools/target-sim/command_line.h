#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/target-sim/target_behaviour.h"

namespace tarnwick::sim {

// Everything the target-sim command line sets: the target's behaviour and how the program
// around it runs (the link, the log, the timed events).
struct SimConfig {
  TargetBehaviour behaviour;
  std::string linkPath;                                  // symbolic link to the pty's slave
  std::string logPath;                                   // empty: no log
  std::optional<std::chrono::milliseconds> resetAfter;   // the user's reset, once
  std::optional<std::chrono::milliseconds> activeEvery;  // repeated announcement
  double noiseBytesPerSecond = 0;                        // 0: no noise
  bool noiseAfterActive = false;  // hold the noise back until the active character went out
  std::chrono::milliseconds replyByteGap{0};      // replies go out one byte at a time, this apart
  std::optional<std::chrono::seconds> exitAfter;  // safety net for tests
  // For benchmarks: the spacing of the noise's batches (unset: chosen by the rate), and the
  // file for the moments of every read and write (empty: none are kept).
  std::optional<std::chrono::milliseconds> noiseEvery;
  std::string timestampsPath;
  // The rate of a real line whose pace the target keeps, in bits per second (0: no pacing).
  long paceBitsPerSecond = 0;
  // The file for the line settings the host gives the terminal, a line each time they change
  // (empty: none are reported).
  std::string lineSettingsPath;
};

struct CommandLine {
  std::optional<SimConfig> config;  // set when the arguments were understood
  bool helpRequested = false;
  std::string error;  // why the arguments were refused
};

// Reads the arguments that follow the program name.
CommandLine ParseCommandLine(const std::vector<std::string_view>& args);

std::string UsageText();

}  // namespace tarnwick::sim
