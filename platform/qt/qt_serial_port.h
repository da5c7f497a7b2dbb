#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/download/serial_port.h"

namespace tarnwick {

// The download's serial port over QSerialPort. Lives on the GUI thread; received bytes
// are noticed by the event loop, so a blocking event pump wakes when data arrives.
class QtSerialPort final : public SerialPort {
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

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tarnwick
