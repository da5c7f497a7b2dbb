#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace tarnwick::bench {

// What the programs under measurement print for tarnwick_bench, one "key=value" line each.

// CLOCK_MONOTONIC in nanoseconds. Every process of a run reads the same clock (target-sim's
// timestamps too), so their moments can be subtracted from one another.
std::int64_t MonotonicNanoseconds();

// User plus system CPU time of this process so far, all threads, in seconds.
double ProcessCpuSeconds();
// The same for every child process that has ended and been waited for, with the children they
// waited for in turn.
double WaitedChildrenCpuSeconds();

void ReportText(std::string_view key, std::string_view value);
void ReportFigure(std::string_view key, double value);
void ReportFigure(std::string_view key, std::int64_t value);

// Runs one download and prints when it started and ended and the CPU it took.
void ReportDownload(const std::function<void()>& download);

// At the end of the program: its whole CPU time, and its peak memory as VmHWM, the high-water
// mark of its own memory map. Not ru_maxrss: a process started with posix_spawn (or vfork)
// inherits in ru_maxrss the peak of the parent whose map it borrowed until exec.
void ReportProcess();

}  // namespace tarnwick::bench
