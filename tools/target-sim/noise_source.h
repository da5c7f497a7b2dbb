#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <string>

#include "tools/target-sim/target_behaviour.h"

namespace tarnwick::sim {

// Random printable chatter, as from an application that prints while the host waits. It holds
// none of the protocol characters, so it can never pass for an answer, and no "V", which the
// host would take for the start of a version number.
class NoiseSource {
 public:
  NoiseSource(const ProtocolCharacters& characters, double bytesPerSecond, std::uint32_t seed = 1);

  // The noise due for `elapsed` time at the configured rate; fractions carry over to the next
  // call, so the long-run rate holds however often this is called.
  std::string Take(std::chrono::microseconds elapsed);

  const std::string& alphabet() const { return alphabet_; }

 private:
  std::string alphabet_;
  double bytesPerSecond_;
  double owed_ = 0.0;  // bytes due but not yet produced
  std::mt19937 random_;
};

}  // namespace tarnwick::sim
