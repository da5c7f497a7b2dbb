#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/download/serial_port.h"
#include "platform/modem_lines.h"

namespace tarnwick {

namespace qt_port {
class SystemPort;
}

// The download's serial port over QSerialPort. Lives on the GUI thread; received bytes
// are noticed by the event loop, so a blocking event pump wakes when data arrives.
class QtSerialPort final : public SerialPort, public ModemLines {
 public:
  // `resolveDevice` maps a port number to a device path (ResolvePortDevice by default).
  explicit QtSerialPort(std::function<std::string(int)> resolveDevice = {});
  ~QtSerialPort() override;

  void SetXonXoffFlowControl() override;
  void SetBaudRate(std::int32_t baud) override;
  void SetPortNumber(int number) override;
  void Open() override;
  bool IsOpen() const override;
  void Close() override;
  void Output(std::string_view bytes) override;
  std::string Input() override;
  std::int32_t InBufferCount() override;
  void WaitForInput(std::chrono::milliseconds timeout) override;
  void SetModemLine(Line line, bool on) override;

  // WaitForInput also ends as soon as this descriptor is readable, so that a stop request
  // ends a plain wait on the port at once (POSIX only).
  void SetWakeDescriptor(int descriptor);
  // The port's name in every message instead of "Com n": the port as the user gave it.
  void SetPortName(std::string name);

 private:
  std::unique_ptr<qt_port::SystemPort> impl_;  // this system's way of moving the bytes
};

}  // namespace tarnwick
