#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnwick::bench {

// This process's CPU time in the first and the last third of a wait that starts now: a wait
// whose cost grows with the text received so far shows up as a last third dearer than the
// first. The readings come from a thread of their own that sleeps in between, so they do not
// wait for the measured thread to pump its events, and the sleeping reader adds nothing
// measurable to them.
class CpuStretches {
 public:
  explicit CpuStretches(std::chrono::milliseconds whole);
  ~CpuStretches();
  CpuStretches(const CpuStretches&) = delete;
  CpuStretches& operator=(const CpuStretches&) = delete;

  // Waits for the end of the wait and prints "window_s" (a third),
  // "cpu_first_window_s" and "cpu_last_window_s".
  void Report();

 private:
  void Run(std::chrono::steady_clock::time_point start);

  std::chrono::milliseconds third_;
  std::vector<std::chrono::milliseconds> moments_;
  std::vector<double> readings_;
  std::mutex mutex_;
  std::condition_variable stopRequested_;
  bool stop_ = false;
  std::thread reader_;
};

}  // namespace tarnwick::bench
