#pragma once

#include <chrono>

namespace tarnwick::sim {

// A serial line between the host and the target at a given rate: ten bits a byte (start bit,
// eight data bits, stop bit), each direction on its own as on a full-duplex UART. It says when
// a byte's time on the wire is over, so that the simulator takes and gives bytes no faster than
// real hardware would and a download can be timed as on it. Without a rate the line takes no
// time at all.
class LinePace {
 public:
  using Clock = std::chrono::steady_clock;

  // 0 bits per second: no pacing.
  explicit LinePace(long bitsPerSecond);

  bool paced() const { return byteTime_.count() > 0; }

  // A byte from the host that the target read at `arrival`: the moment the target has it
  // whole. The host writes a burst at once; the line carries its bytes one after another.
  Clock::time_point Received(Clock::time_point arrival);

  // A byte for the host, due to go out at `due`: the moment it has left the line, and the host
  // may see it.
  Clock::time_point Sent(Clock::time_point due);
  // The moment Sent(due) would give, without taking the line.
  Clock::time_point WouldLeave(Clock::time_point due) const;

 private:
  Clock::duration byteTime_{};
  Clock::time_point inputFree_{};   // the last byte received is whole
  Clock::time_point outputFree_{};  // the last byte sent has left
};

}  // namespace tarnwick::sim
