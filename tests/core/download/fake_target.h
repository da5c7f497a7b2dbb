#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial_port.h"
#include "tests/core/download/event_log.h"
#include "tests/core/download/fake_clock.h"

namespace tarnwick::testing {

// Part of an answer: `text` arrives `after_ms` after the write that it answers.
struct Piece {
  std::int64_t after_ms;
  std::string text;
};
using Reply = std::vector<Piece>;  // empty: no answer

// A scripted bootloader target behind the serial port. It answers writes by rules, can send
// on its own or stream noise, fails any operation on demand, and logs what it is asked.
// A download that keeps asking for input while no time passes is spinning: after that many
// asks in a row the port fails, so the fault shows as a failed download, not a hung test.
class FakeTarget final : public SerialPort {
 public:
  FakeTarget(FakeClock& clock, EventLog& log) : clock_(clock), log_(log) {}

  // The k-th write equal to `written` gets replies[k]; the last reply repeats.
  void Answer(const std::string& written, std::vector<Reply> replies);
  // Every write that no Answer rule names.
  void AnswerOthers(Reply reply) { others_ = std::move(reply); }
  void SendAfter(std::int64_t ms, std::string text) {
    scheduled_.emplace(clock_.now_ms + ms, std::move(text));
  }
  // `c`, repeated at this many bytes a second from now on, without a pause: whenever the
  // program asks, at least one byte is pending.
  void StreamNoise(char c, int bytes_per_second);
  // The `at_call`-th call from now of the operation ("open", "baud", "write", "input",
  // "close") throws PortError.
  void Fail(const std::string& operation, int at_call = 1) {
    fail_at_[operation] = calls_[operation] + at_call;
  }

  std::vector<std::string> writes;
  std::optional<std::int32_t> baud;
  int port_number = 0;
  bool open = false;

  void SetXonXoffFlowControl() override { log_.Add("xonxoff"); }
  void SetBaudRate(std::int32_t rate) override;
  void SetPortNumber(int number) override;
  void Open() override;
  bool IsOpen() const override { return open; }
  void Close() override;
  void Output(std::string_view bytes) override;
  std::string Input() override;
  std::int32_t InBufferCount() override;
  void WaitForInput(std::chrono::milliseconds timeout) override;

 private:
  struct Rule {
    std::string written;
    std::vector<Reply> replies;
    std::size_t used = 0;
  };

  void Call(const std::string& operation);
  void NoteQuery();
  void Deliver();
  std::optional<std::int64_t> NextArrival() const;

  FakeClock& clock_;
  EventLog& log_;
  std::vector<Rule> rules_;
  Reply others_;
  std::multimap<std::int64_t, std::string> scheduled_;
  std::string pending_;
  std::optional<char> noise_;
  int noise_rate_ = 0;
  std::int64_t noise_start_ms_ = 0;
  std::int64_t noise_sent_ = 0;
  std::map<std::string, int> calls_;
  std::map<std::string, int> fail_at_;
  std::int64_t last_query_ms_ = -1;
  int queries_at_same_time_ = 0;
};

}  // namespace tarnwick::testing
