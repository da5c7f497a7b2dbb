#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace tarnwick::testing {

// A serial port with a bootloader behind it that answers at once: the ready reply to the
// start sequence, a verdict to every record, the file verdict after the end-of-file record.
class FakeTargetPort final : public SerialPort {
 public:
  std::string readyReply = "?V1.41";  // empty: a silent target
  std::string lineReply = "~";
  std::string fileReply = "@";
  bool failOpen = false;

  std::vector<std::string> writes;
  int opens = 0;
  // Called after every write, with the bytes written; tests act "during" a download here.
  std::function<void(std::string_view)> onOutput;

  void SetXonXoffFlowControl() override {}
  void SetBaudRate(std::int32_t) override {}
  void SetPortNumber(int) override {}

  void Open() override {
    if (failOpen) throw PortError("no such port");
    open_ = true;
    ++opens;
  }
  bool IsOpen() const override { return open_; }
  void Close() override {
    open_ = false;
    pending_.clear();
  }

  void Output(std::string_view bytes) override {
    if (!open_) throw PortError("port closed");
    writes.emplace_back(bytes);
    if (bytes.find("@&$") != std::string_view::npos) {
      pending_ += readyReply;
    } else if (bytes.starts_with(':')) {
      pending_ += lineReply;
      if (bytes.starts_with(":00000001")) pending_ += fileReply;
    }
    if (onOutput) onOutput(bytes);
  }
  std::string Input() override { return std::exchange(pending_, std::string()); }
  std::int32_t InBufferCount() override { return static_cast<std::int32_t>(pending_.size()); }
  void WaitForInput(std::chrono::milliseconds) override {}

  // The records sent, in order (handshake and EEPROM command left out).
  std::vector<std::string> Records() const {
    std::vector<std::string> records;
    for (const auto& w : writes) {
      if (w.starts_with(':')) records.push_back(w);
    }
    return records;
  }

 private:
  bool open_ = false;
  std::string pending_;
};

// A clock that moves on one second every time it is read, so a three-second wait ends after
// a few passes whatever the machine's speed.
class SteppingClock final : public Clock {
 public:
  std::int64_t NowSeconds() override { return now_++; }

 private:
  std::int64_t now_ = 1'000'000;
};

}  // namespace tarnwick::testing
