#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/serial_port.h"
#include "tests/core/download/fake_clock.h"
#include "tests/core/download/fake_target.h"
#include "tests/fuzz/front_reader.h"

namespace tarnwick::fuzzing {

// The scripted target, answering every write with the next reply of the fuzz input instead
// of fixed rules: a delay byte, a length byte and that many bytes. Every look at the port
// takes a millisecond, as it takes time on a real machine, so that a wait that reads a
// target streaming without a pause still comes to its end.
class ReplyingPort final : public SerialPort {
 public:
  ReplyingPort(testing::FakeTarget& target, testing::FakeClock& clock, FrontReader& replies)
      : target_(target), clock_(clock), replies_(replies) {}

  // Up to a second in 5 ms steps, or up to five and a half seconds in 100 ms steps, so that
  // answers come both inside and after the three-second waits.
  static std::int64_t DelayMs(std::uint8_t code) {
    return code < 200 ? code * 5 : (code - 200) * 100;
  }

  void ScheduleNextReply() {
    const std::int64_t delay = DelayMs(replies_.Byte());
    std::string text = replies_.Text(replies_.Byte() % 32);
    if (!text.empty()) target_.SendAfter(delay, std::move(text));
  }

  void SetXonXoffFlowControl() override { target_.SetXonXoffFlowControl(); }
  void SetBaudRate(std::int32_t baud) override { target_.SetBaudRate(baud); }
  void SetPortNumber(int number) override { target_.SetPortNumber(number); }
  void Open() override { target_.Open(); }
  bool IsOpen() const override { return target_.IsOpen(); }
  void Close() override { target_.Close(); }
  void Output(std::string_view bytes) override {
    target_.Output(bytes);
    ScheduleNextReply();
  }
  std::string Input() override {
    ++clock_.now_ms;
    return target_.Input();
  }
  std::int32_t InBufferCount() override {
    ++clock_.now_ms;
    return target_.InBufferCount();
  }
  void WaitForInput(std::chrono::milliseconds timeout) override { target_.WaitForInput(timeout); }

 private:
  testing::FakeTarget& target_;
  testing::FakeClock& clock_;
  FrontReader& replies_;
};

}  // namespace tarnwick::fuzzing
