#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/core/download/fake_clock.h"

namespace tarnwick::testing {

// Everything the port and the window were asked to do, in order and with the time of each,
// so tests can check texts, order of steps and timing together.
class EventLog {
 public:
  struct Entry {
    std::int64_t ms;
    std::string what;
  };

  explicit EventLog(FakeClock& clock) : clock_(clock) {}

  void Add(std::string what) { entries_.push_back({clock_.now_ms, std::move(what)}); }
  const std::vector<Entry>& Entries() const { return entries_; }

  // The entries that start with `prefix`, with the prefix removed.
  std::vector<std::string> With(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const Entry& entry : entries_) {
      if (entry.what.starts_with(prefix)) found.push_back(entry.what.substr(prefix.size()));
    }
    return found;
  }
  // The times of the entries that start with `prefix`.
  std::vector<std::int64_t> TimesOf(std::string_view prefix) const {
    std::vector<std::int64_t> times;
    for (const Entry& entry : entries_) {
      if (entry.what.starts_with(prefix)) times.push_back(entry.ms);
    }
    return times;
  }
  // The entries whose text starts with one of the prefixes, whole, in order.
  std::vector<std::string> Only(std::vector<std::string_view> prefixes) const {
    std::vector<std::string> found;
    for (const Entry& entry : entries_) {
      for (std::string_view prefix : prefixes) {
        if (entry.what.starts_with(prefix)) {
          found.push_back(entry.what);
          break;
        }
      }
    }
    return found;
  }

 private:
  FakeClock& clock_;
  std::vector<Entry> entries_;
};

}  // namespace tarnwick::testing
