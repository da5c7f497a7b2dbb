#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/download/serial_port.h"
#include "platform/modem_lines.h"

namespace tarnwick::testing {

// A serial port with a bootloader behind it that answers at once: the ready reply to the
// start sequence, the line reply to every record and "@" (file fine) after the end record.
class FakeTargetPort final : public SerialPort, public ModemLines {
 public:
  std::string readyReply = "?V1.41";  // empty: a silent target
  std::string lineReply = "~";
  bool failOpen = false;
  bool linesFail = false;  // the port has no modem lines
  // Called after every write, with the bytes written; tests act "during" a download here.
  std::function<void(std::string_view)> onOutput;

  void SetXonXoffFlowControl() override {}
  void SetBaudRate(std::int32_t rate) override { baudRate = rate; }
  void SetPortNumber(int) override {}
  void Open() override {
    if (failOpen) throw PortError("no such port");
    open_ = true;
    steps.push_back("open");
  }
  bool IsOpen() const override { return open_; }
  void Close() override {
    open_ = false;
    pending_.clear();
    steps.push_back("close");
  }
  void Output(std::string_view bytes) override {
    if (!open_) throw PortError("port closed");
    steps.push_back("out " + std::string(bytes));
    if (bytes.find("@&$") != std::string_view::npos) pending_ += readyReply;
    if (bytes.starts_with(':')) {
      records.emplace_back(bytes);
      pending_ += lineReply + (bytes.starts_with(":00000001") ? "@" : "");
    }
    if (onOutput) onOutput(bytes);
  }
  std::string Input() override { return std::exchange(pending_, std::string()); }
  std::int32_t InBufferCount() override { return static_cast<std::int32_t>(pending_.size()); }
  // Counts the plain waits on the port, which handle no window events.
  void WaitForInput(std::chrono::milliseconds) override { ++plainWaits; }
  void SetModemLine(Line line, bool on) override {
    if (linesFail) throw PortError("Com 1 (/dev/pts/9) cannot set DTR: Inappropriate ioctl");
    steps.push_back(std::string(line == Line::kDtr ? "dtr " : "rts ") + (on ? "on" : "off"));
  }
  // The target sends `text` now.
  void Deliver(const std::string& text) { pending_ += text; }

  int plainWaits = 0;

  // What was done to the port, in order: "open", "close", "out " and the bytes written, and
  // the modem lines ("dtr on", "rts off").
  std::vector<std::string> steps;
  // The records sent, in order (handshake and EEPROM command left out).
  std::vector<std::string> records;
  std::int32_t baudRate = 0;

 private:
  bool open_ = false;
  std::string pending_;
};

}  // namespace tarnwick::testing
