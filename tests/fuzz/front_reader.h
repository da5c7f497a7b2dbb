#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick::fuzzing {

// Takes a fuzz input apart from its front, so that a seed can be written by hand and read in
// order. Past the end every byte reads as 0 and every text as empty. It only views the input,
// which outlives it for the whole run.
class FrontReader {
 public:
  explicit FrontReader(std::string_view data) : data_(data) {}

  bool Empty() const { return data_.empty(); }

  std::uint8_t Byte() {
    const std::string_view taken = Take(1);
    return taken.empty() ? 0 : static_cast<std::uint8_t>(taken.front());
  }

  std::uint16_t Word() {  // little-endian
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
  }

  std::string Text(std::size_t size) { return std::string(Take(size)); }

  // The next `size` bytes as a reader of their own.
  FrontReader Section(std::size_t size) { return FrontReader(Take(size)); }

 private:
  std::string_view Take(std::size_t size) {
    const std::string_view taken = data_.substr(0, size);
    data_.remove_prefix(taken.size());
    return taken;
  }

  std::string_view data_;
};

}  // namespace tarnwick::fuzzing
