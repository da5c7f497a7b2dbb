#include "bench/cpu_timeline.h"

#include <ctime>

namespace tarnwick::bench {

namespace {

double ProcessCpuNow() {
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  return double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
}

}  // namespace

CpuTimeline::CpuTimeline(std::vector<std::chrono::milliseconds> moments)
    : moments_(std::move(moments)) {
  reader_ = std::thread([this, start = std::chrono::steady_clock::now()] { Run(start); });
}

CpuTimeline::~CpuTimeline() {
  Stop();
}

void CpuTimeline::Run(std::chrono::steady_clock::time_point start) {
  std::unique_lock lock(mutex_);
  for (auto moment : moments_) {
    if (stopRequested_.wait_until(lock, start + moment, [this] { return stop_; })) return;
    readings_.push_back(ProcessCpuNow());
  }
}

std::vector<double> CpuTimeline::Readings() {
  if (reader_.joinable()) reader_.join();
  return readings_;
}

void CpuTimeline::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stopRequested_.notify_all();
  if (reader_.joinable()) reader_.join();
}

}  // namespace tarnwick::bench
