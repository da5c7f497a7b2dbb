#include "bench/report.h"

#include <algorithm>
#include <functional>
#include <string>

namespace tarnwick::bench {

namespace {

using Figure = std::function<Optional(const Figures&)>;

// A handshake request is the jump command and the start sequence: four bytes by default.
constexpr double kRequestBytes = 4;

// Every number of the report goes through here; "-" stands for a figure that is missing.
std::string Text(Optional value, int decimals, const char* unit = "", bool sign = false) {
  if (!value) return "-";
  char text[48];
  std::snprintf(text, sizeof text, sign ? "%+.*f%s" : "%.*f%s", decimals, *value, unit);
  return text;
}

Figure Key(const char* key, double scale = 1) {
  return [key, scale](const Figures& f) { return Scaled(f, key, scale); };
}

enum class Compare { kNone, kRatio, kDifference };

struct Row {
  const char* label;
  Figure figure;
  int decimals;
  Compare compare;
};

std::string Comparison(Compare compare, Optional value, Optional reference) {
  if (compare == Compare::kRatio) return Text(Quotient(value, reference), 2, "x");
  if (compare == Compare::kDifference) return Text(Minus(value, reference), 1, "", true);
  return "";
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
      {"line transfer, median (s)", TransferSeconds, 3, Compare::kRatio},
      {"  fastest round (s)", Key("target.transfer_ns.min", 1e-9), 3, Compare::kRatio},
      {"  slowest round (s)", Key("target.transfer_ns.max", 1e-9), 3, Compare::kNone},
      {"lines per second", LinesPerSecond, 0, Compare::kRatio},
      {"turnaround median (us)", Key("target.turnaround_median_ns", 1e-3), 1, Compare::kDifference},
      {"turnaround p99 (us)", Key("target.turnaround_p99_ns", 1e-3), 1, Compare::kDifference},
      {"end-of-file wait (s)",
       [](const Figures& f) {
         return Minus(Number(f, "download_end_ns"), Number(f, "target.last_verdict_ns"), 1e-9);
       },
       3, Compare::kNone},
      {"whole download (s)", DownloadSeconds, 3, Compare::kNone},
      {"host CPU, whole process (s)", Key("cpu_s"), 3, Compare::kRatio},
      {"host CPU per line (us)", CpuPerLineMicroseconds, 1, Compare::kRatio},
      {"peak memory, VmHWM (MB)", Key("maxrss_kb", 1.0 / 1024), 1, Compare::kRatio},
      {"records answered by target", Key("target.records"), 0, Compare::kNone},
      {"records with checksum errors", Key("target.checksum_errors"), 0, Compare::kNone},
  };
  std::fprintf(out, "%-30s %10s %10s %10s %12s %12s\n", "Transfer", "reference", "engine", "window",
               "engine/ref", "window/ref");
  for (const Row& row : rows) {
    Optional reference = row.figure(r.reference);
    Optional engine = row.figure(r.engine);
    Optional window = row.figure(r.window);
    std::fprintf(out, "  %-28s %10s %10s %10s %12s %12s\n", row.label,
                 Text(reference, row.decimals).c_str(), Text(engine, row.decimals).c_str(),
                 Text(window, row.decimals).c_str(),
                 Comparison(row.compare, engine, reference).c_str(),
                 Comparison(row.compare, window, reference).c_str());
  }
  std::fprintf(out, "  (ratios: x times the reference; turnaround: difference in us)\n");
  PrintOutcomes(out, {{"engine", &r.engine}, {"window", &r.window}});
}

void PrintWaitRow(std::FILE* out, const std::string& label, Optional wall, Optional cpu,
                  Optional requests) {
  std::fprintf(out, "  %-28s %10s %10s %10s %10s %10s\n", label.c_str(), Text(wall, 2).c_str(),
               Text(cpu, 4).c_str(), Text(Quotient(cpu, wall, 100), 3).c_str(),
               Text(Quotient(requests, wall), 1).c_str(),
               Text(Quotient(cpu, requests, 1e6), 1).c_str());
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

  Optional sent = Number(r.noise, "target.sent_bytes");
  Optional seconds = Scaled(r.noise, "target.sending_ns", 1e-9);
  if (sent && seconds) {
    std::fprintf(out, "  noise to the engine: %s bytes in %s s (%s bytes/s)\n",
                 Text(sent, 0).c_str(), Text(seconds, 1).c_str(),
                 Text(Quotient(sent, seconds), 0).c_str());
  }
  PrintOutcomes(out, {{"silent", &r.silent}, {"noise", &r.noise}});
}

void PrintCommandLine(const BenchResults& r, std::FILE* out) {
  const double baud = r.pacedBaud;
  const Row rows[] = {
      {"whole command, wall (s)", HostWallSeconds, 3, Compare::kRatio},
      {"line transfer (s)", TransferSeconds, 3, Compare::kRatio},
      {"  wire limit of its bytes (s)",
       [baud](const Figures& f) { return WireLimitSeconds(f, baud); }, 3, Compare::kNone},
      {"  host turnarounds, sum (s)", Key("target.turnaround_sum_ns", 1e-9), 3, Compare::kNone},
      {"  target's lateness, sum (s)",
       [baud](const Figures& f) { return TargetLatenessSeconds(f, baud); }, 3, Compare::kNone},
      {"  share of the wire limit (%)",
       [baud](const Figures& f) { return WireSharePercent(f, baud); }, 1, Compare::kNone},
      {"    without target's lateness",
       [baud](const Figures& f) { return HostWireSharePercent(f, baud); }, 1, Compare::kNone},
      {"turnaround median (us)", Key("target.turnaround_median_ns", 1e-3), 1, Compare::kNone},
      {"turnaround p99 (us)", Key("target.turnaround_p99_ns", 1e-3), 1, Compare::kNone},
      {"CLI CPU, all processes (s)", Key("host_cpu_s"), 3, Compare::kRatio},
      {"CLI CPU, % of one core", HostCorePercent, 2, Compare::kNone},
      {"records answered by target", Key("target.records"), 0, Compare::kNone},
      {"exit status", Key("exit"), 0, Compare::kNone},
  };
  std::fprintf(out, "\n%-30s %10s %10s %12s\n", "Command line, paced", "1 board", "8 boards",
               "8 / 1");
  for (const Row& row : rows) {
    Optional one = row.figure(r.oneBoard);
    Optional eight = row.figure(r.eightBoards);
    std::fprintf(out, "  %-28s %10s %10s %12s\n", row.label, Text(one, row.decimals).c_str(),
                 Text(eight, row.decimals).c_str(), Comparison(row.compare, eight, one).c_str());
  }
  std::fprintf(out,
               "  (tarnwick-cli download, %d lines at %d baud; line figures are the first "
               "board's)\n",
               r.pacedLines, r.pacedBaud);
}

// The product's performance goals, judged on this run's figures.
void PrintGoals(const BenchResults& r, std::FILE* out) {
  std::fprintf(out, "\nGoals\n");
  auto print = [out](Optional value, bool met, const char* goal, const std::string& found) {
    const char* verdict = !value ? "not run" : met ? "met" : "MISSED";
    std::fprintf(out, "  %-8s %-46s %s\n", verdict, goal, found.c_str());
  };
  // On the fastest rounds: a burst of other work that falls on one program's round and not
  // the other's says nothing about either.
  Optional ratio = Quotient(FastestTransferSeconds(r.engine), FastestTransferSeconds(r.reference));
  print(ratio, ratio && *ratio <= 1.25, "transfer time at most 1.25 x reference",
        "engine " + Text(ratio, 2, "x") + " (fastest rounds)");

  Optional extra = Minus(Number(r.engine, "target.turnaround_median_ns"),
                         Number(r.reference, "target.turnaround_median_ns"), 1e-3);
  print(extra, extra && *extra <= 100, "turnaround median within 100 us of reference",
        "engine " + Text(extra, 1, " us"));

  Optional silent = WaitCorePercent(r.silent);
  Optional noise = WaitCorePercent(r.noise);
  Optional worst = silent && noise ? Optional(std::max(*silent, *noise)) : std::nullopt;
  print(worst, worst && *worst <= 2.0, "CPU while waiting at most 2 % of one core",
        "silent " + Text(silent, 3, " %") + ", noise " + Text(noise, 3, " %"));

  // Growth counts only beyond what a busy machine's jitter explains: more than a fifth
  // above the first stretch and more than a tenth of a percent of a core.
  Optional first = FirstStretchCorePercent(r.noise);
  Optional growth = Minus(LastStretchCorePercent(r.noise), first);
  print(growth, growth && (*growth <= *first * 0.2 || *growth <= 0.1),
        "no growth of waiting CPU over time",
        "last minus first stretch " + Text(growth, 3, " % of core"));

  Optional windowMb = Scaled(r.window, "maxrss_kb", 1.0 / 1024);
  print(windowMb, windowMb && *windowMb <= 60, "whole window peak memory at most 60 MB",
        Text(windowMb, 1, " MB"));

  // A figure of a command that failed is no figure: the goal is missed, and the exit says why.
  auto succeeded = [](const Figures& f) { return Number(f, "exit") == 0.0; };
  auto exits = [succeeded](const Figures& f) {
    return succeeded(f) ? "" : " (exit " + Text(Number(f, "exit"), 0) + ")";
  };
  Optional share = WireSharePercent(r.oneBoard, r.pacedBaud);
  print(share, share && *share >= 97 && succeeded(r.oneBoard),
        "line transfer at least 97 % of the wire limit",
        "one board " + Text(share, 1, " %") + " (" +
            Text(HostWireSharePercent(r.oneBoard, r.pacedBaud), 1, " %") +
            " without the target's lateness)" + exits(r.oneBoard));
  Optional boards = Quotient(HostWallSeconds(r.eightBoards), HostWallSeconds(r.oneBoard));
  print(boards, boards && *boards <= 1.10 && succeeded(r.eightBoards) && succeeded(r.oneBoard),
        "eight boards in at most 1.10 x one board's time",
        "eight boards " + Text(boards, 2, "x") + exits(r.eightBoards));
  Optional eightCpu = HostCorePercent(r.eightBoards);
  print(eightCpu, eightCpu && *eightCpu <= 10 && succeeded(r.eightBoards),
        "eight boards' CLI CPU at most 10 % of one core", Text(eightCpu, 2, " %"));
}

}  // namespace

void PrintReport(const BenchResults& r, std::FILE* out) {
  std::fprintf(out, "Application file of %d lines, instant target on a pseudo-terminal\n\n",
               r.lines);
  PrintTransfer(r, out);
  PrintWaiting(r, out);
  PrintCommandLine(r, out);
  PrintGoals(r, out);
}

}  // namespace tarnwick::bench
