#include "bench/bench_report.h"

#include <functional>
#include <string>
#include <utility>

#include "bench/bench_goals.h"
#include "bench/derived_figures.h"

namespace tarnwick::bench {

namespace {

using Figure = std::function<Optional(const Figures&)>;

// A handshake request is the jump command and the start sequence: four bytes by default.
constexpr double kRequestBytes = 4;

std::string Cell(const Optional& value, int decimals) {
  if (!value) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, *value);
  return text;
}

enum class Compare { None, Ratio, Difference };

struct Row {
  const char* label;
  Figure figure;
  int decimals;
  Compare compare;
};

std::string Comparison(Compare compare, const Optional& value, const Optional& reference) {
  if (!value || !reference || compare == Compare::None) return "";
  char text[32];
  if (compare == Compare::Ratio) {
    if (*reference <= 0) return "";
    std::snprintf(text, sizeof text, "%.2fx", *value / *reference);
  } else {
    std::snprintf(text, sizeof text, "%+.1f", *value - *reference);
  }
  return text;
}

Figure Key(const char* key, double scale = 1) {
  return [key, scale](const Figures& f) { return Scaled(f, key, scale); };
}

void PrintOutcomes(std::FILE* out,
                   std::initializer_list<std::pair<const char*, const Figures*>> all) {
  for (auto [name, figures] : all) {
    auto outcome = figures->find("outcome");
    if (outcome != figures->end()) {
      std::fprintf(out, "  %s outcome: %s\n", name, outcome->second.c_str());
    }
  }
}

void PrintTransfer(const BenchResults& r, std::FILE* out) {
  const Row rows[] = {
      {"line transfer, median (s)", TransferSeconds, 3, Compare::Ratio},
      {"  fastest round (s)", Key("target.transfer_ns.min", 1e-9), 3, Compare::Ratio},
      {"  slowest round (s)", Key("target.transfer_ns.max", 1e-9), 3, Compare::None},
      {"lines per second", LinesPerSecond, 0, Compare::Ratio},
      {"turnaround median (us)", Key("target.turnaround_median_ns", 1e-3), 1, Compare::Difference},
      {"turnaround p99 (us)", Key("target.turnaround_p99_ns", 1e-3), 1, Compare::Difference},
      {"end-of-file wait (s)",
       [](const Figures& f) {
         return Difference(f, "download_end_ns", "target.last_verdict_ns", 1e-9);
       },
       3, Compare::None},
      {"whole download (s)", DownloadSeconds, 3, Compare::None},
      {"host CPU, whole process (s)", Key("cpu_s"), 3, Compare::Ratio},
      {"host CPU per line (us)", CpuPerLineMicroseconds, 1, Compare::Ratio},
      {"peak memory, VmHWM (MB)", Key("maxrss_kb", 1.0 / 1024), 1, Compare::Ratio},
      {"records answered by target", Key("target.records"), 0, Compare::None},
      {"records with checksum errors", Key("target.checksum_errors"), 0, Compare::None},
  };
  std::fprintf(out, "%-30s %10s %10s %10s %12s %12s\n", "Transfer", "reference", "engine", "window",
               "engine/ref", "window/ref");
  for (const Row& row : rows) {
    Optional reference = row.figure(r.reference);
    Optional engine = row.figure(r.engine);
    Optional window = row.figure(r.window);
    std::fprintf(out, "  %-28s %10s %10s %10s %12s %12s\n", row.label,
                 Cell(reference, row.decimals).c_str(), Cell(engine, row.decimals).c_str(),
                 Cell(window, row.decimals).c_str(),
                 Comparison(row.compare, engine, reference).c_str(),
                 Comparison(row.compare, window, reference).c_str());
  }
  std::fprintf(out, "  (ratios: x times the reference; turnaround: difference in us)\n");
  PrintOutcomes(out, {{"engine", &r.engine}, {"window", &r.window}});
}

void PrintWaitRow(std::FILE* out, const std::string& label, Optional wall, Optional cpu,
                  Optional requests) {
  Optional perSecond = requests && wall && *wall > 0 ? Optional(*requests / *wall) : std::nullopt;
  Optional cpuPerRequest =
      requests && cpu && *requests > 0 ? Optional(*cpu / *requests * 1e6) : std::nullopt;
  std::fprintf(out, "  %-28s %10s %10s %10s %10s %10s\n", label.c_str(), Cell(wall, 2).c_str(),
               Cell(cpu, 4).c_str(), Cell(CorePercent(cpu, wall), 3).c_str(),
               Cell(perSecond, 1).c_str(), Cell(cpuPerRequest, 1).c_str());
}

void PrintNoiseRows(std::FILE* out, const std::string& host, const Figures& f) {
  Optional stretch = Number(f, "window_s");
  PrintWaitRow(out, host + ", noise, whole", DownloadSeconds(f), Number(f, "download_cpu_s"),
               Scaled(f, "target.received_bytes", 1 / kRequestBytes));
  PrintWaitRow(out, host + ", first stretch", stretch, Number(f, "cpu_first_window_s"),
               std::nullopt);
  PrintWaitRow(out, host + ", last stretch", stretch, Number(f, "cpu_last_window_s"), std::nullopt);
}

void PrintWaiting(const BenchResults& r, std::FILE* out) {
  std::fprintf(out, "\n%-30s %10s %10s %10s %10s %10s\n", "Waiting (handshake)", "wall (s)",
               "CPU (s)", "% of core", "requests/s", "us/request");
  // Three requests in nine seconds: a rate or a cost per request would say nothing here.
  PrintWaitRow(out, "engine, silent target", DownloadSeconds(r.silent),
               Number(r.silent, "download_cpu_s"), std::nullopt);
  PrintNoiseRows(out, "engine", r.noise);
  PrintNoiseRows(out, "reference", r.referenceNoise);

  Optional delivered = Number(r.noise, "target.noise_sent_bytes");
  Optional seconds = Number(r.noise, "target.noise_seconds");
  if (delivered && seconds && *seconds > 0) {
    std::fprintf(out, "  noise to the engine: %.0f bytes in %.1f s (%.0f bytes/s, %.0f refused)\n",
                 *delivered, *seconds, *delivered / *seconds,
                 Number(r.noise, "target.noise_offered_bytes").value_or(0) - *delivered);
  }
  PrintOutcomes(out, {{"silent", &r.silent}, {"noise", &r.noise}});
}

}  // namespace

void PrintReport(const BenchResults& r, std::FILE* out) {
  std::fprintf(out, "Application file of %d lines, instant target on a pseudo-terminal\n\n",
               r.lines);
  PrintTransfer(r, out);
  PrintWaiting(r, out);
  std::fprintf(out, "\nGoals\n");
  for (const GoalVerdict& verdict : JudgeGoals(r)) {
    const char* met = !verdict.met ? "not run" : *verdict.met ? "met" : "MISSED";
    std::fprintf(out, "  %-8s %-46s %s\n", met, verdict.goal.c_str(), verdict.found.c_str());
  }
}

}  // namespace tarnwick::bench
