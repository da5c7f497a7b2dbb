#pragma once

// The part of QtSerialPort that differs between systems, behind one small interface. What
// every system shares (the settings of the next connection, opening and closing, how a
// failure of the device ends the connection) is written once in qt_serial_port.cpp; each
// system's file defines MakeSystemPort and only what moves the bytes differently there.

#include <QSerialPort>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::qt_port {

// What SetPortNumber, SetBaudRate and SetXonXoffFlowControl chose for the next Open().
struct ConnectionSettings {
  int portNumber = 1;
  std::int32_t baudRate = 9600;
  bool xonXoff = false;
  std::string device;  // what the last Open() resolved "Com n" to
  // The port as the user named it where that is not "Com n" (the command line's "com3" or
  // "/dev/ttyUSB0"); empty: "Com n".
  std::string name;

  // The port as the user knows it, for every message.
  std::string PortName() const { return name.empty() ? "Com " + std::to_string(portNumber) : name; }
  // The port and, once known and not its name already, its device: "Com 1 (/dev/ttyUSB0)".
  std::string Where() const {
    return device.empty() || device == PortName() ? PortName() : PortName() + " (" + device + ")";
  }
};

class SystemPort {
 public:
  virtual ~SystemPort() = default;

  // Resolves "Com n" and opens its device; throws PortError when it is open already or
  // cannot be opened.
  void Open();
  // Does nothing when the port is closed.
  void Close();
  // Every operation starts here: a device that is gone fails this call and every later one.
  void CheckUsable();
  void ThrowIfGone();
  // Records that the device has gone away, with the first failure's words; the next
  // operation throws them.
  void MarkGone(const std::string& operation, const std::string& reason);

  // Opens `serial` for reading and writing under `systemName` (the name QSerialPort opens for
  // `device`) with the connection settings; throws PortError, naming the device and the
  // system's reason, when the open fails.
  void OpenConfigured(QSerialPort& serial, const std::string& device,
                      const QString& systemName) const;

  // The operations of the open port, as each system carries them out. Send and WaitForInput
  // run once CheckUsable has passed; Input and InBufferCount decide themselves whether bytes
  // already taken in can answer without asking the system.
  virtual void Send(std::string_view bytes) = 0;
  virtual std::string Input() = 0;
  virtual std::int32_t InBufferCount() = 0;
  virtual void WaitForInput(std::chrono::milliseconds timeout) = 0;
  // Sets DTR (`dtr`) or RTS; throws PortError, with the system's words, when the device has
  // no such line.
  void SetModemLine(bool dtr, bool on);

  std::function<std::string(int)> resolveDevice;
  // A descriptor whose becoming readable also ends WaitForInput (a stop request); -1: none.
  int wakeDescriptor = -1;
  ConnectionSettings settings;
  bool isOpen = false;
  std::optional<std::string> failure;

 protected:
  // Opens `device`, which "Com n" resolved to, with the connection settings.
  virtual void OpenDevice(const std::string& device) = 0;
  // Hands over what can still be sent, then lets the device go and forgets the queues.
  virtual void CloseDevice() = 0;
  // Lets the device go at once, without sending anything more.
  virtual void ReleaseDevice() = 0;
  // Called once when the device has gone away, possibly inside Qt's own handling of the
  // failed I/O, where closing the device would pull it away under Qt's feet.
  virtual void StopAfterFailure() = 0;
  // The QSerialPort that holds the device.
  virtual QSerialPort& Serial() = 0;
};

// The port of the system this program is built for.
std::unique_ptr<SystemPort> MakeSystemPort();

}  // namespace tarnwick::qt_port
