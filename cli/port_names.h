#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QSerialPortInfo;

namespace tarnwick::cli {

// A serial port as the system lists it, for finding a USB adapter by what it says of itself.
struct PortDescription {
  std::string device;
  std::string serialNumber;  // empty when the adapter has none
  std::optional<std::uint16_t> vendorId;
  std::optional<std::uint16_t> productId;
};

// Whether --port names a port server (rfc2217://HOST:PORT, socket://HOST:PORT) or a USB
// adapter (usb:SERIAL, usb:VID:PID) rather than a device; the form is checked when the port
// is chosen.
bool IsAddressOrUsbName(const std::string& port);
bool IsUsbName(const std::string& port);

// The device of the one adapter in `ports` that `name` picks: usb:SERIAL by its serial
// number, usb:VID:PID (hexadecimal) when only one adapter has those identifiers. Throws
// UsageError naming the adapters there are when none or several match.
std::string MatchUsbPort(const std::string& name, const std::vector<PortDescription>& ports);

// How --port names this port by its adapter: usb:SERIAL, or usb:VID:PID when it has no serial
// number; empty when it is no USB adapter.
std::string UsbNameOf(const PortDescription& port);

struct DownloadOptions;
// Refuses, before anything opens, a port server's address that is malformed, a USB adapter's
// name that picks no adapter or several, and --reset without --wait; throws UsageError.
void CheckPortChoices(const DownloadOptions& options);

// A port as the system lists it.
PortDescription DescribePort(const QSerialPortInfo& info);
// The serial ports of this machine.
std::vector<PortDescription> SystemPorts();

}  // namespace tarnwick::cli
