#pragma once

// What every platform's QtSerialPort shares: the settings of the next connection, how the
// port is opened with them, and the wording of its failures.

#include <QSerialPort>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "core/download/serial_port.h"

namespace tarnwick::qt_port {

// What SetPortNumber, SetBaudRate and SetXonXoffFlowControl chose for the next Open().
struct ConnectionSettings {
  int portNumber = 1;
  std::int32_t baudRate = 9600;
  bool xonXoff = false;
  std::string device;  // what the last Open() resolved "Com n" to

  // The port as the user knows it, for every message.
  std::string PortName() const { return "Com " + std::to_string(portNumber); }
  // The port and, once known, its device: "Com 1 (/dev/ttyUSB0)".
  std::string Where() const {
    return device.empty() ? PortName() : PortName() + " (" + device + ")";
  }
};

inline PortError AlreadyOpenError(const ConnectionSettings& settings) {
  return PortError(settings.PortName() + " is already open");
}

inline PortError NotOpenError(const ConnectionSettings& settings) {
  return PortError(settings.PortName() + " is not open");
}

// A failure of the open port: which device, which operation, and the system's words.
inline std::string GoneMessage(const ConnectionSettings& settings, const std::string& operation,
                               const std::string& reason) {
  return settings.Where() + " failed while " + operation + ": " + reason;
}

// The device that "Com n" opens now; throws when the system has no port of that number.
// Remembers it in `settings` for the messages of this connection.
inline std::string ResolveDeviceOrThrow(ConnectionSettings& settings,
                                        const std::function<std::string(int)>& resolveDevice) {
  settings.device = resolveDevice(settings.portNumber);
  if (settings.device.empty()) {
    throw PortError(settings.PortName() + " cannot be opened: no serial port has this number");
  }
  return settings.device;
}

// Opens `serial` for reading and writing under `systemName` (the name QSerialPort opens for
// `device`): the chosen rate, always 8 data bits, no parity, 1 stop bit, XON/XOFF or no flow
// control. The rate goes over as a plain number, so rates that QSerialPort has no name for
// (14400, 56000) are set as custom rates. The modem lines are left as the driver has them.
// Throws PortError, naming the device and the system's reason, when the open fails.
inline void OpenConfigured(QSerialPort& serial, const ConnectionSettings& settings,
                           const std::string& device, const QString& systemName) {
  serial.setPortName(systemName);
  serial.setBaudRate(settings.baudRate);
  serial.setDataBits(QSerialPort::Data8);
  serial.setParity(QSerialPort::NoParity);
  serial.setStopBits(QSerialPort::OneStop);
  serial.setFlowControl(settings.xonXoff ? QSerialPort::SoftwareControl
                                         : QSerialPort::NoFlowControl);
  if (!serial.open(QIODevice::ReadWrite)) {
    throw PortError(settings.PortName() + " (" + device +
                    ") cannot be opened: " + serial.errorString().toStdString());
  }
}

}  // namespace tarnwick::qt_port
