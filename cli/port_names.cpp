#include "cli/port_names.h"

#include <QSerialPortInfo>
#include <charconv>
#include <cstdio>

#include "cli/command_line.h"
#include "platform/net/network_address.h"

namespace tarnwick::cli {
namespace {

constexpr std::string_view kUsb = "usb:";

std::optional<std::uint16_t> HexId(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || text.size() > 4 || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

std::string Ids(const PortDescription& port) {
  char ids[10];
  std::snprintf(ids, sizeof ids, "%04x:%04x", port.vendorId.value_or(0),
                port.productId.value_or(0));
  return ids;
}

// "/dev/ttyUSB0 (usb:A10K, 0403:6001), ..." or "none".
std::string Listing(const std::vector<PortDescription>& ports) {
  std::string text;
  for (const PortDescription& port : ports) {
    if (UsbNameOf(port).empty()) continue;
    text += (text.empty() ? "" : ", ") + port.device + " (" +
            (port.serialNumber.empty() ? "no serial number" : "usb:" + port.serialNumber) + ", " +
            Ids(port) + ")";
  }
  return text.empty() ? "none" : text;
}

}  // namespace

bool IsUsbName(const std::string& port) {
  return port.starts_with(kUsb) && port.size() > kUsb.size();
}

bool IsAddressOrUsbName(const std::string& port) {
  return IsUsbName(port) || IsNetworkAddressForm(port);
}

std::string MatchUsbPort(const std::string& name, const std::vector<PortDescription>& ports) {
  const std::string wanted = name.substr(kUsb.size());
  const std::size_t colon = wanted.find(':');
  const auto vendor = HexId(std::string_view(wanted).substr(0, colon));
  const auto product =
      colon == std::string::npos ? std::nullopt : HexId(std::string_view(wanted).substr(colon + 1));
  const bool byIds = vendor && product;
  std::vector<const PortDescription*> matches;
  for (const PortDescription& port : ports) {
    const bool match = byIds ? port.vendorId == vendor && port.productId == product
                             : !port.serialNumber.empty() && port.serialNumber == wanted;
    if (match) matches.push_back(&port);
  }
  if (matches.size() == 1) return matches.front()->device;
  const std::string present = "; USB adapters present: " + Listing(ports);
  if (matches.empty()) {
    throw UsageError("--port " + name + ": no USB adapter has " +
                     (byIds ? "the identifiers " + wanted : "the serial number " + wanted) +
                     present);
  }
  throw UsageError("--port " + name + ": " + std::to_string(matches.size()) +
                   " adapters match; give usb:SERIAL" + present);
}

std::string UsbNameOf(const PortDescription& port) {
  if (!port.serialNumber.empty()) return "usb:" + port.serialNumber;
  if (port.vendorId && port.productId) return "usb:" + Ids(port);
  return {};
}

void CheckPortChoices(const DownloadOptions& options) {
  for (const std::string& port : options.ports) {
    std::string problem;
    if (IsNetworkAddressForm(port) && !ParseNetworkAddress(port, &problem)) {
      throw UsageError("--port " + port + ": " + problem);
    }
    if (IsUsbName(port)) MatchUsbPort(port, SystemPorts());
  }
  if (options.reset.Any() && !options.wait) {
    throw UsageError("--reset works with --wait, whose wait for the bootloader it starts");
  }
}

PortDescription DescribePort(const QSerialPortInfo& info) {
  PortDescription port;
  port.device = info.systemLocation().toStdString();
  port.serialNumber = info.serialNumber().toStdString();
  if (info.hasVendorIdentifier()) port.vendorId = info.vendorIdentifier();
  if (info.hasProductIdentifier()) port.productId = info.productIdentifier();
  return port;
}

std::vector<PortDescription> SystemPorts() {
  std::vector<PortDescription> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    ports.push_back(DescribePort(info));
  }
  return ports;
}

}  // namespace tarnwick::cli
