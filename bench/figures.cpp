#include "bench/figures.h"

#include <algorithm>
#include <cstdlib>

namespace tarnwick::bench {

void AddFigureLine(Figures& figures, std::string_view line, std::string_view prefix) {
  auto equals = line.find('=');
  if (equals == std::string_view::npos || equals == 0) return;
  std::string key(prefix);
  key += line.substr(0, equals);
  figures[key] = std::string(line.substr(equals + 1));
}

Figures MedianRun(std::vector<Figures> runs, std::string_view key) {
  std::erase_if(runs, [key](const Figures& run) { return !Number(run, key); });
  if (runs.empty()) return {};
  std::sort(runs.begin(), runs.end(), [key](const Figures& a, const Figures& b) {
    return *Number(a, key) < *Number(b, key);
  });
  Figures median = runs[(runs.size() - 1) / 2];
  median[std::string(key) + ".min"] = runs.front().find(key)->second;
  median[std::string(key) + ".max"] = runs.back().find(key)->second;
  return median;
}

Optional Number(const Figures& figures, std::string_view key) {
  auto found = figures.find(key);
  if (found == figures.end() || found->second.empty()) return std::nullopt;
  const char* text = found->second.c_str();
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (end == text || *end != '\0') return std::nullopt;
  return value;
}

Optional Scaled(const Figures& figures, std::string_view key, double scale) {
  auto value = Number(figures, key);
  return value ? Optional(*value * scale) : std::nullopt;
}

Optional Minus(Optional a, Optional b, double scale) {
  return a && b ? Optional((*a - *b) * scale) : std::nullopt;
}

Optional Quotient(Optional a, Optional b, double scale) {
  return a && b && *b > 0 ? Optional(*a / *b * scale) : std::nullopt;
}

Optional TransferSeconds(const Figures& f) {
  return Scaled(f, "target.transfer_ns", 1e-9);
}

Optional FastestTransferSeconds(const Figures& f) {
  auto fastest = Scaled(f, "target.transfer_ns.min", 1e-9);
  return fastest ? fastest : TransferSeconds(f);
}

Optional LinesPerSecond(const Figures& f) {
  return Quotient(Number(f, "target.records"), TransferSeconds(f));
}

Optional DownloadCpuSeconds(const Figures& f) {
  auto download = Number(f, "download_cpu_s");
  return download ? download : Number(f, "cpu_s");
}

Optional CpuPerLineMicroseconds(const Figures& f) {
  return Quotient(DownloadCpuSeconds(f), Number(f, "target.records"), 1e6);
}

Optional DownloadSeconds(const Figures& f) {
  return Minus(Number(f, "download_end_ns"), Number(f, "download_start_ns"), 1e-9);
}

Optional WaitCorePercent(const Figures& f) {
  return Quotient(Number(f, "download_cpu_s"), DownloadSeconds(f), 100);
}

Optional FirstStretchCorePercent(const Figures& f) {
  return Quotient(Number(f, "cpu_first_window_s"), Number(f, "window_s"), 100);
}

Optional LastStretchCorePercent(const Figures& f) {
  return Quotient(Number(f, "cpu_last_window_s"), Number(f, "window_s"), 100);
}

Optional HostWallSeconds(const Figures& f) {
  return Scaled(f, "host_wall_ns", 1e-9);
}

Optional HostCorePercent(const Figures& f) {
  return Quotient(Number(f, "host_cpu_s"), HostWallSeconds(f), 100);
}

Optional WireLimitSeconds(const Figures& f, double baud) {
  return Scaled(f, "target.transfer_bytes", 10 / baud);
}

Optional WireSharePercent(const Figures& f, double baud) {
  return Quotient(WireLimitSeconds(f, baud), TransferSeconds(f), 100);
}

Optional TargetLatenessSeconds(const Figures& f, double baud) {
  return Minus(Minus(TransferSeconds(f), WireLimitSeconds(f, baud)),
               Scaled(f, "target.turnaround_sum_ns", 1e-9));
}

Optional HostWireSharePercent(const Figures& f, double baud) {
  return Quotient(WireLimitSeconds(f, baud),
                  Minus(TransferSeconds(f), TargetLatenessSeconds(f, baud)), 100);
}

}  // namespace tarnwick::bench
