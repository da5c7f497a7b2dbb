#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnwick::bench {

// CLOCK_MONOTONIC in nanoseconds. Every process of a run reads the same clock, so the
// target's timestamps and the host's can be subtracted from one another.
std::int64_t MonotonicNanoseconds();

// User plus system CPU time of this process so far, all threads, in seconds.
double ProcessCpuSeconds();

// The largest resident set this process has had, in kilobytes: VmHWM, the high-water mark
// of its own memory map. Not ru_maxrss: a process started with posix_spawn (or vfork)
// inherits in ru_maxrss the peak of the parent whose map it borrowed until exec.
long PeakResidentKilobytes();

// The nearest-rank percentile (fraction 0.5 for the median, 0.99 for the 99th); 0 for an
// empty sample.
std::int64_t Percentile(std::vector<std::int64_t> sample, double fraction);

// One figure on standard output as "key=value"; the driver reads these lines.
void ReportFigure(std::string_view key, double value);
void ReportFigure(std::string_view key, std::int64_t value);
void ReportText(std::string_view key, std::string_view value);

}  // namespace tarnwick::bench
