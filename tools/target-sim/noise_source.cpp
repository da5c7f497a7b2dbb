#include "tools/target-sim/noise_source.h"

#include <algorithm>
#include <stdexcept>

namespace tarnwick::sim {
namespace {

std::string NoiseAlphabet(const ProtocolCharacters& c) {
  const std::string excluded = c.jump + c.active + c.startSequence + c.ready + c.eepromWrite +
                               c.lineComplete + c.pageError + c.checksumError + c.fileErrors +
                               c.fileOk + "V";
  std::string alphabet;
  for (char ch = ' '; ch <= '~'; ++ch) {
    if (excluded.find(ch) == std::string::npos) alphabet += ch;
  }
  return alphabet;
}

}  // namespace

NoiseSource::NoiseSource(const ProtocolCharacters& characters, double bytesPerSecond,
                         std::uint32_t seed)
    : alphabet_(NoiseAlphabet(characters)), bytesPerSecond_(bytesPerSecond), random_(seed) {
  if (alphabet_.empty()) throw std::invalid_argument("the protocol uses every printable character");
}

std::string NoiseSource::Take(std::chrono::microseconds elapsed) {
  owed_ += bytesPerSecond_ * std::chrono::duration<double>(elapsed).count();
  // Never owe more than a second's worth: after a stall the line is not flooded.
  owed_ = std::min(owed_, std::max(bytesPerSecond_, 1.0));
  const auto count = static_cast<std::size_t>(owed_);
  owed_ -= static_cast<double>(count);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet_.size() - 1);
  std::string noise(count, ' ');
  for (char& ch : noise) ch = alphabet_[pick(random_)];
  return noise;
}

}  // namespace tarnwick::sim
