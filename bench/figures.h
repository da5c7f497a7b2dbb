#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::bench {

// The "key=value" lines that the processes of one scenario printed, by key; the target's keys
// start with "target.".
using Figures = std::map<std::string, std::string, std::less<>>;

// Adds one printed line under `prefix` + key; a line without '=' is not a figure.
void AddFigureLine(Figures& figures, std::string_view line, std::string_view prefix = {});

// Of several runs of one scenario, the one whose `key` is the median (the lower middle of
// an even count), with the smallest and largest `key` of all runs added as `key` + ".min"
// and ".max". Runs without the figure are left out; none at all gives no figures.
Figures MedianRun(std::vector<Figures> runs, std::string_view key);

// A figure, or one computed from others; nullopt when one it rests on is missing, so that a
// scenario that did not run shows as "-" rather than as a misleading 0.
using Optional = std::optional<double>;

// The figure as a number; nullopt when it is missing or not a number.
Optional Number(const Figures& figures, std::string_view key);
Optional Scaled(const Figures& figures, std::string_view key, double scale);
// (a - b) * scale.
Optional Minus(Optional a, Optional b, double scale = 1);
// a / b * scale; nullopt also when b is not above 0.
Optional Quotient(Optional a, Optional b, double scale = 1);

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
// A share of one core in percent: the download's CPU over its wall time, and the same for
// the first and the last stretch of a long wait.
Optional WaitCorePercent(const Figures& f);
Optional FirstStretchCorePercent(const Figures& f);
Optional LastStretchCorePercent(const Figures& f);

// A host program as a whole, measured from outside: from its start to its end, and its CPU
// (with its children's) as a share of one core over that time, in percent.
Optional HostWallSeconds(const Figures& f);
Optional HostCorePercent(const Figures& f);
// The least time the line transfer's bytes, both ways, take at `baud` with ten bits a byte, and
// that time as a share of the transfer's, in percent.
Optional WireLimitSeconds(const Figures& f, double baud);
Optional WireSharePercent(const Figures& f, double baud);
// What is left of the line transfer after the wire limit and the host's turnarounds: the time
// a paced target answered later than the line allows, the cost of its own wake-ups. A real
// target's UART has none; the share of the wire limit without it is what the host achieves.
Optional TargetLatenessSeconds(const Figures& f, double baud);
Optional HostWireSharePercent(const Figures& f, double baud);

}  // namespace tarnwick::bench
