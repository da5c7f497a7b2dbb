#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/download/serial_port.h"
#include "tests/core/download/event_log.h"

namespace tarnwick::testing {

// Part of an answer: `text` arrives `after_ms` after the write that it answers.
struct Piece {
  std::int64_t after_ms;
  std::string text;
};
using Reply = std::vector<Piece>;  // empty: no answer

// A scripted bootloader target behind the serial port: it answers writes by rule, sends on
// its own or streams noise, fails an operation on demand, and logs writes and closings. A
// download that keeps asking for input while no time passes is spinning: the port then
// fails, so the fault shows as a failed download instead of a hung test.
class FakeTarget final : public SerialPort {
 public:
  FakeTarget(FakeClock& clock, EventLog& log) : clock_(clock), log_(log) {}

  // The k-th write of a text gets replies[text][k], the last one repeating; the replies for
  // "" answer every write that has none of its own.
  std::map<std::string, std::vector<Reply>> replies;
  std::vector<std::string> writes;
  bool open = false;
  // Runs after every write, to answer it in ways the rules above cannot.
  std::function<void()> after_write;
  // Fake time that every look at the input takes, as a real machine's would, so that a wait
  // that reads a target streaming without a pause still comes to its end.
  std::int64_t ms_per_look = 0;

  void SendAfter(std::int64_t ms, std::string text) {
    scheduled_.emplace(clock_.now_ms + ms, std::move(text));
  }
  // `c` at this many bytes a second from now on, without a pause.
  void StreamNoise(char c, int bytes_per_second) {
    noise_ = c;
    noise_rate_ = bytes_per_second;
    noise_start_ms_ = clock_.now_ms;
    noise_sent_ = 0;
  }
  // The `at_call`-th call from now of "open", "baud", "write", "input" or "close" throws.
  void Fail(const std::string& operation, int at_call = 1) {
    fail_at_[operation] = calls_[operation] + at_call;
  }

  void SetXonXoffFlowControl() override {}
  void SetBaudRate(std::int32_t) override { Count("baud"); }
  void SetPortNumber(int) override {}
  void Open() override {
    Count("open");
    open = true;
  }
  bool IsOpen() const override { return open; }
  // A close that fails has let the device go all the same.
  void Close() override {
    open = false;
    Count("close");
    log_.Add("close");
  }
  void Output(std::string_view bytes) override;
  std::string Input() override {
    Poll("input");
    return std::exchange(pending_, std::string());
  }
  std::int32_t InBufferCount() override {
    Poll("count");
    return static_cast<std::int32_t>(pending_.size());
  }
  void WaitForInput(std::chrono::milliseconds timeout) override {
    WaitUntil(clock_.now_ms + timeout.count());
  }
  // Moves the clock on to `until_ms` or to the first input before it; not at all while input
  // is pending.
  void WaitUntil(std::int64_t until_ms);

 private:
  void Count(const std::string& operation) {
    if (++calls_[operation] == fail_at_[operation]) throw PortError(operation + " failed");
  }
  void Poll(const std::string& operation) {
    if (!open) throw PortError(operation + " on a closed port");
    Count(operation);
    clock_.now_ms += ms_per_look;
    polls_at_same_time_ = clock_.now_ms == last_poll_ms_ ? polls_at_same_time_ + 1 : 0;
    last_poll_ms_ = clock_.now_ms;
    if (polls_at_same_time_ > 100'000) throw PortError("asked without a pause");
    Deliver();
  }
  void Deliver();

  FakeClock& clock_;
  EventLog& log_;
  std::multimap<std::int64_t, std::string> scheduled_;
  std::string pending_;
  char noise_ = 0;
  int noise_rate_ = 0;  // 0: no noise
  std::int64_t noise_start_ms_ = 0, noise_sent_ = 0;
  std::map<std::string, std::size_t> answered_;  // writes answered so far, by text
  std::map<std::string, int> calls_, fail_at_;
  std::int64_t last_poll_ms_ = -1;
  int polls_at_same_time_ = 0;
};

}  // namespace tarnwick::testing
