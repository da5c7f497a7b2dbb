#include "bench/bench_goals.h"

#include <algorithm>
#include <cstdio>

#include "bench/derived_figures.h"

namespace tarnwick::bench {

namespace {

std::string Text(Optional value, int decimals, const char* unit) {
  if (!value) return "-";
  char text[48];
  std::snprintf(text, sizeof text, "%.*f%s", decimals, *value, unit);
  return text;
}

template <typename Test>
std::optional<bool> Holds(Optional value, Test test) {
  return value ? std::optional<bool>(test(*value)) : std::nullopt;
}

}  // namespace

std::vector<GoalVerdict> JudgeGoals(const BenchResults& r) {
  std::vector<GoalVerdict> verdicts;

  // On the fastest rounds: a burst of other work that falls on one program's round and not
  // the other's says nothing about either.
  Optional ref = FastestTransferSeconds(r.reference);
  Optional eng = FastestTransferSeconds(r.engine);
  Optional ratio = ref && eng && *ref > 0 ? Optional(*eng / *ref) : std::nullopt;
  verdicts.push_back({Holds(ratio, [](double x) { return x <= 1.25; }),
                      "transfer time at most 1.25 x reference",
                      "engine " + Text(ratio, 2, "x") + " (fastest rounds)"});

  Optional refTurn = Number(r.reference, "target.turnaround_median_ns");
  Optional engTurn = Number(r.engine, "target.turnaround_median_ns");
  Optional extra = refTurn && engTurn ? Optional((*engTurn - *refTurn) / 1e3) : std::nullopt;
  verdicts.push_back({Holds(extra, [](double us) { return us <= 100; }),
                      "turnaround median within 100 us of reference",
                      "engine " + Text(extra, 1, " us")});

  Optional silent = WaitCorePercent(r.silent);
  Optional noise = WaitCorePercent(r.noise);
  Optional worst = silent && noise ? Optional(std::max(*silent, *noise)) : std::nullopt;
  verdicts.push_back({Holds(worst, [](double p) { return p <= 2.0; }),
                      "CPU while waiting at most 2 % of one core",
                      "silent " + Text(silent, 3, " %") + ", noise " + Text(noise, 3, " %")});

  // Growth counts only beyond what a busy machine's jitter explains: more than a fifth
  // above the first stretch and more than a tenth of a percent of a core.
  Optional first = FirstStretchCorePercent(r.noise);
  Optional last = LastStretchCorePercent(r.noise);
  Optional growth = first && last ? Optional(*last - *first) : std::nullopt;
  verdicts.push_back(
      {first && last ? std::optional<bool>(*last <= *first * 1.2 || *growth <= 0.1) : std::nullopt,
       "no growth of waiting CPU over time",
       "last minus first stretch " + Text(growth, 3, " % of core")});

  Optional windowMb = Scaled(r.window, "maxrss_kb", 1.0 / 1024);
  verdicts.push_back({Holds(windowMb, [](double mb) { return mb <= 60; }),
                      "whole window peak memory at most 60 MB", Text(windowMb, 1, " MB")});
  return verdicts;
}

}  // namespace tarnwick::bench
