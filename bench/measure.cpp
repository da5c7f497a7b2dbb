#include "bench/measure.h"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
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

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::int64_t Percentile(std::vector<std::int64_t> sample, double fraction) {
  if (sample.empty()) return 0;
  // Nearest rank: the smallest value with at least `fraction` of the sample at or below it.
  auto rank = static_cast<std::size_t>(std::ceil(fraction * double(sample.size())));
  std::size_t index = rank == 0 ? 0 : std::min(rank, sample.size()) - 1;
  std::nth_element(sample.begin(), sample.begin() + std::ptrdiff_t(index), sample.end());
  return sample[index];
}

void ReportFigure(std::string_view key, double value) {
  std::printf("%.*s=%.9g\n", int(key.size()), key.data(), value);
  std::fflush(stdout);
}

void ReportFigure(std::string_view key, std::int64_t value) {
  std::printf("%.*s=%lld\n", int(key.size()), key.data(), static_cast<long long>(value));
  std::fflush(stdout);
}

void ReportText(std::string_view key, std::string_view value) {
  // One line per figure: a line end inside the text would split it.
  std::string flat(value);
  std::replace(flat.begin(), flat.end(), '\n', ' ');
  std::printf("%.*s=%s\n", int(key.size()), key.data(), flat.c_str());
  std::fflush(stdout);
}

}  // namespace tarnwick::bench
