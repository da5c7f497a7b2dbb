#include "platform/qt/qt_serial_port.h"

#include <utility>

#include "platform/qt/port_device.h"
#include "platform/qt/system_port.h"

// QtSerialPort on every system: the settings of the next connection, opening and closing,
// and how a device that has gone away fails the operations, around the system's own way of
// moving the bytes (qt_serial_port_posix.cpp, qt_serial_port_windows.cpp).

namespace tarnwick {
namespace qt_port {

void SystemPort::Open() {
  if (isOpen) throw PortError(settings.PortName() + " is already open");
  // Remembered for the messages of this connection.
  settings.device = resolveDevice(settings.portNumber);
  if (settings.device.empty()) {
    throw PortError(settings.PortName() + " cannot be opened: no serial port has this number");
  }
  OpenDevice(settings.device);
  isOpen = true;
}

void SystemPort::Close() {
  if (!isOpen) return;
  CloseDevice();
  isOpen = false;
  failure.reset();
}

void SystemPort::CheckUsable() {
  if (!isOpen) throw PortError(settings.PortName() + " is not open");
  ThrowIfGone();
}

void SystemPort::ThrowIfGone() {
  if (!failure) return;
  ReleaseDevice();
  throw PortError(*failure);
}

void SystemPort::MarkGone(const std::string& operation, const std::string& reason) {
  if (failure) return;
  failure = settings.Where() + " failed while " + operation + ": " + reason;
  StopAfterFailure();
}

// Always 8 data bits, no parity, 1 stop bit. The rate goes over as a plain number, so rates
// that QSerialPort has no name for (14400, 56000) are set as custom rates. The modem lines
// are left as the driver has them.
void SystemPort::OpenConfigured(QSerialPort& serial, const std::string& device,
                                const QString& systemName) const {
  serial.setPortName(systemName);
  serial.setBaudRate(settings.baudRate);
  serial.setDataBits(QSerialPort::Data8);
  serial.setParity(QSerialPort::NoParity);
  serial.setStopBits(QSerialPort::OneStop);
  serial.setFlowControl(settings.xonXoff ? QSerialPort::SoftwareControl
                                         : QSerialPort::NoFlowControl);
  if (!serial.open(QIODevice::ReadWrite)) {
    ConnectionSettings opened = settings;
    opened.device = device;
    throw PortError(opened.Where() + " cannot be opened: " + serial.errorString().toStdString());
  }
}

void SystemPort::SetModemLine(bool dtr, bool on) {
  CheckUsable();
  QSerialPort& serial = Serial();
  if (!(dtr ? serial.setDataTerminalReady(on) : serial.setRequestToSend(on))) {
    throw PortError(settings.Where() + " cannot set " + (dtr ? "DTR" : "RTS") + ": " +
                    serial.errorString().toStdString() + "; the device may have no modem lines");
  }
}

}  // namespace qt_port

QtSerialPort::QtSerialPort(std::function<std::string(int)> resolveDevice)
    : impl_(qt_port::MakeSystemPort()) {
  impl_->resolveDevice = resolveDevice ? std::move(resolveDevice) : ResolvePortDevice;
}

QtSerialPort::~QtSerialPort() {
  impl_->Close();
}

void QtSerialPort::SetXonXoffFlowControl() {
  impl_->settings.xonXoff = true;
}
void QtSerialPort::SetBaudRate(std::int32_t baud) {
  impl_->settings.baudRate = baud;
}
void QtSerialPort::SetPortNumber(int number) {
  impl_->settings.portNumber = number;
}
void QtSerialPort::SetPortName(std::string name) {
  impl_->settings.name = std::move(name);
}
void QtSerialPort::Open() {
  impl_->Open();
}
bool QtSerialPort::IsOpen() const {
  return impl_->isOpen;
}
void QtSerialPort::Close() {
  impl_->Close();
}

void QtSerialPort::Output(std::string_view bytes) {
  impl_->CheckUsable();
  impl_->Send(bytes);
  impl_->ThrowIfGone();
}

std::string QtSerialPort::Input() {
  return impl_->Input();
}

std::int32_t QtSerialPort::InBufferCount() {
  return impl_->InBufferCount();
}

void QtSerialPort::SetWakeDescriptor(int descriptor) {
  impl_->wakeDescriptor = descriptor;
}

void QtSerialPort::SetModemLine(Line line, bool on) {
  impl_->SetModemLine(line == Line::kDtr, on);
}

void QtSerialPort::WaitForInput(std::chrono::milliseconds timeout) {
  impl_->CheckUsable();
  impl_->WaitForInput(timeout);
}

}  // namespace tarnwick
