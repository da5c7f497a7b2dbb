#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::sim {

// When each read from the host came in and each write to it went out, in nanoseconds of the
// steady clock (CLOCK_MONOTONIC on Linux, which every process reads alike), so that a
// benchmark can set the target's moments against its own readings: the host's turnaround per
// line runs from a verdict going out to the first byte of the next record coming in.
//
// The moments are kept in memory and written out once, at the end: a line of output per
// verdict would cost the target more time than the turnaround it is there to measure. The file
// holds one line per read or write, "<nanoseconds> RX|TX <bytes>", the bytes escaped as in the
// log.
class TrafficTimes {
 public:
  // An empty path records nothing.
  explicit TrafficTimes(std::string path);

  void Received(std::string_view bytes) { Add(false, bytes); }
  void Sent(std::string_view bytes) { Add(true, bytes); }

  // Writes the file; false when it cannot be written. Does nothing without a path.
  bool Save() const;

 private:
  struct Moment {
    std::int64_t ns;
    bool sent;
    std::size_t offset;  // of its bytes in bytes_
    std::size_t size;
  };
  void Add(bool sent, std::string_view bytes);

  std::string path_;
  std::vector<Moment> moments_;
  std::string bytes_;  // the bytes of every moment, back to back
};

struct TrafficEvent {
  std::int64_t ns = 0;
  bool sent = false;  // written to the host; otherwise read from it
  std::string bytes;
};

// The events of a file that TrafficTimes wrote, in order; empty when it cannot be read.
std::vector<TrafficEvent> ReadTrafficTimes(const std::string& path);

}  // namespace tarnwick::sim
