#pragma once

#include <optional>

#include "bench/figures.h"

namespace tarnwick::bench {

// Figures computed from what the processes of one scenario printed; nullopt when a figure
// they rest on is missing.
using Optional = std::optional<double>;

Optional Scaled(const Figures& f, const char* key, double scale);
// (later - earlier) * scale.
Optional Difference(const Figures& f, const char* later, const char* earlier, double scale);

// From the first byte of the first record to the verdict on the last, at the target.
Optional TransferSeconds(const Figures& f);
// The same for the fastest of several rounds, the one least disturbed by other work on the
// machine; the transfer itself when there was one round.
Optional FastestTransferSeconds(const Figures& f);
Optional LinesPerSecond(const Figures& f);
// The download's own CPU where the host reports it apart from its start-up.
Optional DownloadCpuSeconds(const Figures& f);
Optional CpuPerLineMicroseconds(const Figures& f);
// From the start of the download to its end, at the host.
Optional DownloadSeconds(const Figures& f);

// A share of one core in percent: CPU seconds over wall seconds.
Optional CorePercent(Optional cpuSeconds, Optional wallSeconds);
// The whole wait of a handshake scenario, and its first and last stretch.
Optional WaitCorePercent(const Figures& f);
Optional FirstStretchCorePercent(const Figures& f);
Optional LastStretchCorePercent(const Figures& f);

}  // namespace tarnwick::bench
