#pragma once

#include <vector>

#include "bench/figures.h"
#include "tools/target-sim/traffic_times.h"

namespace tarnwick::bench {

// The target's side of one run, from the moments that target-sim kept of every read and
// write: the bytes received and sent and the span of the sending; and, when it answered
// records, how many (and how many with the checksum-error verdict), the line transfer from the
// first byte of the first record to the verdict on the last, and the host's turnaround per
// line, from the verdict on one record going out to the first byte of the next coming in
// (median, 99th percentile and sum), and the bytes that crossed the line, either way, within that
// transfer. Keys without the "target." of the scenario's figures.
Figures TargetFigures(const std::vector<sim::TrafficEvent>& events);

}  // namespace tarnwick::bench
