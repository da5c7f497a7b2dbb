#include "bench/cpu_stretches.h"

#include <ctime>

#include "bench/measure.h"

namespace tarnwick::bench {

namespace {

double ProcessCpuNow() {
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  return double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
}

}  // namespace

CpuStretches::CpuStretches(std::chrono::milliseconds whole)
    : third_(whole / 3), moments_{std::chrono::milliseconds(0), third_, whole - third_, whole} {
  reader_ = std::thread([this, start = std::chrono::steady_clock::now()] { Run(start); });
}

CpuStretches::~CpuStretches() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stopRequested_.notify_all();
  if (reader_.joinable()) reader_.join();
}

void CpuStretches::Run(std::chrono::steady_clock::time_point start) {
  std::unique_lock lock(mutex_);
  for (auto moment : moments_) {
    if (stopRequested_.wait_until(lock, start + moment, [this] { return stop_; })) return;
    readings_.push_back(ProcessCpuNow());
  }
}

void CpuStretches::Report() {
  if (reader_.joinable()) reader_.join();
  if (readings_.size() != moments_.size()) return;
  ReportFigure("window_s", double(third_.count()) / 1000);
  ReportFigure("cpu_first_window_s", readings_[1] - readings_[0]);
  ReportFigure("cpu_last_window_s", readings_[3] - readings_[2]);
}

}  // namespace tarnwick::bench
