#include "platform/qt/any_port.h"

#include <utility>

#include "platform/qt/network_port.h"
#include "platform/qt/port_device.h"
#include "platform/qt/qt_serial_port.h"

namespace tarnwick {

AnyPort::AnyPort(std::function<std::string(int)> resolveDevice)
    : resolveDevice_(resolveDevice ? std::move(resolveDevice) : ResolvePortDevice) {}

AnyPort::~AnyPort() = default;

void AnyPort::Open() {
  const std::string name = portName_.empty() ? "Com " + std::to_string(portNumber_) : portName_;
  if (IsOpen()) throw PortError(name + " is already open");
  const std::string device = resolveDevice_(portNumber_);
  std::string problem;
  const std::optional<NetworkAddress> address = NetworkAddressOfDevice(device, &problem);
  // The port as the user knows it, and what it stands for when that is something else.
  const auto where = [&name](const std::string& what) {
    return what == name ? name : name + " (" + what + ")";
  };
  if (!problem.empty()) throw PortError(where(device) + " cannot be opened: " + problem);
  port_.reset();
  lines_ = nullptr;
  if (address) {
    const std::string shown =
        address->Text() == device ? device : device + " -> " + address->Text();
    auto network = std::make_unique<NetworkPort>(*address, where(shown));
    network->SetWakeDescriptor(wakeDescriptor_);
    lines_ = network.get();
    port_ = std::move(network);
  } else {
    auto serial = std::make_unique<QtSerialPort>([device](int) { return device; });
    serial->SetWakeDescriptor(wakeDescriptor_);
    if (!portName_.empty()) serial->SetPortName(portName_);
    lines_ = serial.get();
    port_ = std::move(serial);
  }
  if (xonXoff_) port_->SetXonXoffFlowControl();
  port_->SetBaudRate(baudRate_);
  port_->SetPortNumber(portNumber_);
  port_->Open();
}

void AnyPort::Close() {
  if (port_) port_->Close();
}

void AnyPort::SetModemLine(Line line, bool on) {
  Opened();
  lines_->SetModemLine(line, on);
}

SerialPort& AnyPort::Opened() {
  if (!port_) throw PortError("Com " + std::to_string(portNumber_) + " is not open");
  return *port_;
}

}  // namespace tarnwick
