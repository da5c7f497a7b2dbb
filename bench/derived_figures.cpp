#include "bench/derived_figures.h"

namespace tarnwick::bench {

Optional Scaled(const Figures& f, const char* key, double scale) {
  auto value = Number(f, key);
  return value ? Optional(*value * scale) : std::nullopt;
}

Optional Difference(const Figures& f, const char* later, const char* earlier, double scale) {
  auto a = Number(f, later);
  auto b = Number(f, earlier);
  return a && b ? Optional((*a - *b) * scale) : std::nullopt;
}

Optional TransferSeconds(const Figures& f) {
  return Scaled(f, "target.transfer_ns", 1e-9);
}

Optional FastestTransferSeconds(const Figures& f) {
  auto fastest = Scaled(f, "target.transfer_ns.min", 1e-9);
  return fastest ? fastest : TransferSeconds(f);
}

Optional LinesPerSecond(const Figures& f) {
  auto records = Number(f, "target.records");
  auto seconds = TransferSeconds(f);
  return records && seconds && *seconds > 0 ? Optional(*records / *seconds) : std::nullopt;
}

Optional DownloadCpuSeconds(const Figures& f) {
  auto download = Number(f, "download_cpu_s");
  return download ? download : Number(f, "cpu_s");
}

Optional CpuPerLineMicroseconds(const Figures& f) {
  auto cpu = DownloadCpuSeconds(f);
  auto records = Number(f, "target.records");
  return cpu && records && *records > 0 ? Optional(*cpu / *records * 1e6) : std::nullopt;
}

Optional DownloadSeconds(const Figures& f) {
  return Difference(f, "download_end_ns", "download_start_ns", 1e-9);
}

Optional CorePercent(Optional cpuSeconds, Optional wallSeconds) {
  return cpuSeconds && wallSeconds && *wallSeconds > 0
             ? Optional(100.0 * *cpuSeconds / *wallSeconds)
             : std::nullopt;
}

Optional WaitCorePercent(const Figures& f) {
  return CorePercent(Number(f, "download_cpu_s"), DownloadSeconds(f));
}

Optional FirstStretchCorePercent(const Figures& f) {
  return CorePercent(Number(f, "cpu_first_window_s"), Number(f, "window_s"));
}

Optional LastStretchCorePercent(const Figures& f) {
  return CorePercent(Number(f, "cpu_last_window_s"), Number(f, "window_s"));
}

}  // namespace tarnwick::bench
