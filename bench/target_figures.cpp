#include "bench/target_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>

#include "tools/target-sim/target_behaviour.h"

namespace tarnwick::bench {

namespace {

// Nearest rank: the smallest value with at least `fraction` of the sample at or below it.
std::int64_t Percentile(std::vector<std::int64_t> sample, double fraction) {
  auto rank = static_cast<std::size_t>(std::ceil(fraction * double(sample.size())));
  std::size_t index = rank == 0 ? 0 : std::min(rank, sample.size()) - 1;
  std::nth_element(sample.begin(), sample.begin() + std::ptrdiff_t(index), sample.end());
  return sample[index];
}

}  // namespace

Figures TargetFigures(const std::vector<sim::TrafficEvent>& events) {
  const sim::ProtocolCharacters protocol;
  const char lineComplete = protocol.lineComplete[0];
  const char checksumError = protocol.checksumError[0];
  std::int64_t received = 0, sent = 0, checksumErrors = 0, firstSentNs = 0, lastSentNs = 0;
  // Bytes either way from the first byte of the first record on, and up to the last verdict.
  std::int64_t transferBytes = 0, transferBytesToVerdict = 0;
  std::vector<std::int64_t> recordStartNs, verdictNs;
  for (const sim::TrafficEvent& event : events) {
    if (!event.sent) {
      received += std::int64_t(event.bytes.size());
      // A record begins with ':', which appears nowhere else on the line.
      for (char c : event.bytes) {
        if (c == ':') recordStartNs.push_back(event.ns);
        if (!recordStartNs.empty()) ++transferBytes;
      }
      continue;
    }
    sent += std::int64_t(event.bytes.size());
    if (firstSentNs == 0) firstSentNs = event.ns;
    lastSentNs = event.ns;
    for (char c : event.bytes) {
      if (!recordStartNs.empty()) ++transferBytes;
      if (c == lineComplete || c == checksumError) {
        verdictNs.push_back(event.ns);
        transferBytesToVerdict = transferBytes;
      }
      if (c == checksumError) ++checksumErrors;
    }
  }

  Figures figures;
  auto add = [&figures](const char* key, std::int64_t value) {
    figures[key] = std::to_string(value);
  };
  add("received_bytes", received);
  add("sent_bytes", sent);
  add("sending_ns", lastSentNs - firstSentNs);
  if (verdictNs.empty() || recordStartNs.empty()) return figures;
  // Every record that started has been answered except, at most, the one in flight.
  std::vector<std::int64_t> turnarounds;
  for (std::size_t i = 0; i + 1 < recordStartNs.size() && i < verdictNs.size(); ++i) {
    turnarounds.push_back(recordStartNs[i + 1] - verdictNs[i]);
  }
  add("records", std::int64_t(verdictNs.size()));
  add("checksum_errors", checksumErrors);
  add("transfer_ns", verdictNs.back() - recordStartNs.front());
  add("last_verdict_ns", verdictNs.back());
  add("transfer_bytes", transferBytesToVerdict);
  if (turnarounds.empty()) return figures;
  add("turnaround_median_ns", Percentile(turnarounds, 0.50));
  add("turnaround_p99_ns", Percentile(turnarounds, 0.99));
  add("turnaround_sum_ns",
      std::accumulate(turnarounds.begin(), turnarounds.end(), std::int64_t{0}));
  return figures;
}

}  // namespace tarnwick::bench
