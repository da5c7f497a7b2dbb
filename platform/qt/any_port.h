#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "core/download/serial_port.h"
#include "platform/modem_lines.h"

namespace tarnwick {

// The download's port wherever the board is: a local serial device, or a port server's
// network address (rfc2217://HOST:PORT, socket://HOST:PORT), given as such or held by a
// `com<n>` entry that is a small text file. Which one is decided at each Open(), by what
// "Com n" resolves to then.
class AnyPort final : public SerialPort, public ModemLines {
 public:
  // `resolveDevice` maps a port number to a device path or address (ResolvePortDevice by
  // default).
  explicit AnyPort(std::function<std::string(int)> resolveDevice = {});
  ~AnyPort() override;

  void SetXonXoffFlowControl() override { xonXoff_ = true; }
  void SetBaudRate(std::int32_t baud) override { baudRate_ = baud; }
  void SetPortNumber(int number) override { portNumber_ = number; }
  void Open() override;
  bool IsOpen() const override { return port_ && port_->IsOpen(); }
  void Close() override;
  void Output(std::string_view bytes) override { Opened().Output(bytes); }
  std::string Input() override { return Opened().Input(); }
  std::int32_t InBufferCount() override { return Opened().InBufferCount(); }
  void WaitForInput(std::chrono::milliseconds timeout) override { Opened().WaitForInput(timeout); }
  void SetModemLine(Line line, bool on) override;

  // Every wait of the port also ends as soon as this descriptor is readable (a stop request).
  void SetWakeDescriptor(int descriptor) { wakeDescriptor_ = descriptor; }
  // The port as the user named it, for every message ("com3"); "Com n" when none is given.
  void SetPortName(std::string name) { portName_ = std::move(name); }

 private:
  SerialPort& Opened();

  std::function<std::string(int)> resolveDevice_;
  int portNumber_ = 1;
  std::int32_t baudRate_ = 9600;
  bool xonXoff_ = false;
  int wakeDescriptor_ = -1;
  std::string portName_;
  std::unique_ptr<SerialPort> port_;  // the port of the last Open()
  ModemLines* lines_ = nullptr;       // the same port's modem lines
};

}  // namespace tarnwick
