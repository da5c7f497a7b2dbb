#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tests/core/download/fake_clock.h"

namespace tarnwick::testing {

// Everything the port and the window were asked to do, in order and with the time of each.
class EventLog {
 public:
  struct Entry {
    std::int64_t ms;
    std::string what;
  };

  explicit EventLog(FakeClock& clock) : clock_(clock) {}

  void Add(std::string what) { entries_.push_back({clock_.now_ms, std::move(what)}); }
  const std::vector<Entry>& Entries() const { return entries_; }

  // The entries that start with one of the prefixes, whole and in order.
  std::vector<std::string> Only(std::initializer_list<std::string_view> prefixes) const {
    std::vector<std::string> found;
    for (const Entry& e : entries_) {
      if (std::ranges::any_of(prefixes, [&](auto p) { return e.what.starts_with(p); })) {
        found.push_back(e.what);
      }
    }
    return found;
  }
  // The entries that start with `prefix`, with the prefix removed.
  std::vector<std::string> With(std::string_view prefix) const {
    std::vector<std::string> found = Only({prefix});
    for (std::string& text : found) text.erase(0, prefix.size());
    return found;
  }

 private:
  FakeClock& clock_;
  std::vector<Entry> entries_;
};

}  // namespace tarnwick::testing
