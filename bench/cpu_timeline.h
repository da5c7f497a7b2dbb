#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnwick::bench {

// Reads this process's CPU time at fixed moments after its construction, from a thread of
// its own that sleeps in between: the readings do not wait for the measured thread to pump
// its events, and the sleeping reader adds nothing measurable to them.
class CpuTimeline {
 public:
  explicit CpuTimeline(std::vector<std::chrono::milliseconds> moments);
  ~CpuTimeline();
  CpuTimeline(const CpuTimeline&) = delete;
  CpuTimeline& operator=(const CpuTimeline&) = delete;

  // CPU seconds at each moment; waits for the last one, or ends early when `Stop` was
  // called, leaving the moments not reached out.
  std::vector<double> Readings();
  void Stop();

 private:
  void Run(std::chrono::steady_clock::time_point start);

  std::vector<std::chrono::milliseconds> moments_;
  std::vector<double> readings_;
  std::mutex mutex_;
  std::condition_variable stopRequested_;
  bool stop_ = false;
  std::thread reader_;
};

}  // namespace tarnwick::bench
