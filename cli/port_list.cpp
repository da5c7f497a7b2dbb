#include "cli/port_list.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <cstdio>
#include <string>

#include "cli/port_names.h"
#include "platform/qt/port_device.h"

namespace tarnwick::cli {
namespace {

constexpr int kComPorts = 8;

std::string UsbIds(const QSerialPortInfo& info) {
  if (!info.hasVendorIdentifier() || !info.hasProductIdentifier()) return "-";
  char ids[10];
  std::snprintf(ids, sizeof ids, "%04x:%04x", info.vendorIdentifier(), info.productIdentifier());
  return ids;
}

// The window's "Com n" entries that reach `device` now, by their own path or by a link.
std::string ComNamesOf(const std::string& device) {
  const QString canonical = QFileInfo(QString::fromStdString(device)).canonicalFilePath();
  std::string names;
  for (int number = 1; number <= kComPorts; ++number) {
    const std::string opened = ResolvePortDevice(number);
    if (opened.empty()) continue;
    if (opened != device &&
        QFileInfo(QString::fromStdString(opened)).canonicalFilePath() != canonical) {
      continue;
    }
    names += (names.empty() ? "" : ", ") + ("com" + std::to_string(number));
  }
  return names.empty() ? "-" : names;
}

std::string OrDash(const QString& text) {
  return text.isEmpty() ? "-" : text.toStdString();
}

}  // namespace

void ListPorts(std::ostream& out) {
  const auto ports = QSerialPortInfo::availablePorts();
  if (ports.isEmpty()) {
    out << "No serial ports found.\n";
    return;
  }
  for (const QSerialPortInfo& info : ports) {
    const std::string device = info.systemLocation().toStdString();
    const std::string problem = PortAccessProblem(device);
    const std::string usbName = UsbNameOf(DescribePort(info));
    out << device << "\n"
        << "  description: " << OrDash(info.description()) << "\n"
        << "  usb id:      " << UsbIds(info) << "\n"
        << "  serial:      " << OrDash(info.serialNumber()) << "\n"
        << "  window:      " << ComNamesOf(device) << "\n"
        << "  --port:      " << device << (usbName.empty() ? "" : " or " + usbName) << "\n"
        << "  access:      " << (problem.empty() ? "yes" : "no, " + problem) << "\n";
  }
}

}  // namespace tarnwick::cli
