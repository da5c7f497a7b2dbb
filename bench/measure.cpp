#include "bench/measure.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace tarnwick::bench {

std::int64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

namespace {

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

double ProcessCpuSeconds() {
  return CpuSeconds(RUSAGE_SELF);
}

double WaitedChildrenCpuSeconds() {
  return CpuSeconds(RUSAGE_CHILDREN);
}

void ReportText(std::string_view key, std::string_view value) {
  // One line per figure: a line end inside the text would split it.
  std::string flat(value);
  std::replace(flat.begin(), flat.end(), '\n', ' ');
  std::printf("%.*s=%s\n", int(key.size()), key.data(), flat.c_str());
  std::fflush(stdout);
}

void ReportFigure(std::string_view key, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  ReportText(key, text);
}

void ReportFigure(std::string_view key, std::int64_t value) {
  ReportText(key, std::to_string(value));
}

void ReportDownload(const std::function<void()>& download) {
  double cpuBefore = ProcessCpuSeconds();
  std::int64_t startNs = MonotonicNanoseconds();
  download();
  std::int64_t endNs = MonotonicNanoseconds();
  ReportFigure("download_start_ns", startNs);
  ReportFigure("download_end_ns", endNs);
  ReportFigure("download_cpu_s", ProcessCpuSeconds() - cpuBefore);
}

void ReportProcess() {
  ReportFigure("cpu_s", ProcessCpuSeconds());
  long peakKb = 0;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) peakKb = std::stol(line.substr(6));
  }
  if (peakKb > 0) ReportFigure("maxrss_kb", std::int64_t{peakKb});
}

}  // namespace tarnwick::bench
