#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/target-sim/command_line.h"
#include "tools/target-sim/line_pace.h"
#include "tools/target-sim/line_settings.h"
#include "tools/target-sim/noise_source.h"
#include "tools/target-sim/sim_log.h"
#include "tools/target-sim/target_protocol.h"
#include "tools/target-sim/traffic_times.h"

namespace tarnwick::sim {

// Drives the target protocol on the master side of the pseudo-terminal. One poll() waits for
// the host's bytes, the stop signal and the next timed event at once, so a waiting simulator
// uses no CPU and an answer due now is written the moment its record is complete. On a paced
// line a record is complete when its last byte has crossed the wire, and each byte of an
// answer is written when it has crossed the wire back; the loop then wakes once per answer
// byte, shortly before that moment, and waits out the rest on the clock.
class SimRunner {
 public:
  // `stopFd` becomes readable when the simulator is asked to end (the signal handler's pipe).
  SimRunner(const SimConfig& config, int masterFd, int stopFd, SimLog& log, TrafficTimes& times,
            LineSettingsReport& lineSettings);

  // Runs until asked to stop or until the configured end; 0, or 1 after a device failure.
  int Run();

 private:
  using Clock = std::chrono::steady_clock;

  bool ReadFromHost(Clock::time_point now);
  void RunTimedEvents(Clock::time_point now);
  void Schedule(const std::vector<Reply>& replies, Clock::time_point now);
  bool WriteDueOutput(Clock::time_point now);
  std::optional<Clock::time_point> NextByteOut() const;
  std::optional<Clock::time_point> NextEvent() const;

  const SimConfig& config_;
  int masterFd_;
  int stopFd_;
  SimLog& log_;
  TrafficTimes& times_;
  LineSettingsReport& lineSettings_;
  TargetProtocol protocol_;

  std::multimap<Clock::time_point, std::string> scheduled_;  // equal times keep their order
  std::string unwritten_;  // due, but the terminal would not take it yet

  LinePace pace_;
  // On a paced line: bytes due, each with the moment it has left the line.
  std::deque<std::pair<Clock::time_point, char>> onTheLine_;

  Clock::time_point start_ = Clock::now();
  std::optional<Clock::time_point> resetAt_;
  std::optional<Clock::time_point> nextAnnouncement_;
  std::optional<Clock::time_point> exitAt_;
  std::optional<Clock::time_point> nextSettingsCheck_;

  std::optional<NoiseSource> noise_;
  bool noiseRunning_ = false;
  Clock::duration noiseInterval_{};
  Clock::time_point lastNoise_{};
};

}  // namespace tarnwick::sim
