#include "cli/port_list.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/port_names.h"
#include "cli/reporters.h"
#include "platform/qt/port_device.h"

namespace tarnwick::cli {
namespace {

constexpr int kComPorts = 8;

struct PortEntry {
  std::string device;
  std::string description;  // empty when unknown, likewise below
  std::string usbIds;
  std::string serial;
  std::vector<std::string> comNames;  // the window's com<n> that open it now
  std::string problem;                // why this user cannot open it; empty: it can
  std::string usbName;                // usb:SERIAL or usb:VID:PID when it names this adapter
};

std::string UsbIds(const QSerialPortInfo& info) {
  if (!info.hasVendorIdentifier() || !info.hasProductIdentifier()) return "";
  char ids[10];
  std::snprintf(ids, sizeof ids, "%04x:%04x", info.vendorIdentifier(), info.productIdentifier());
  return ids;
}

QString Canonical(const std::string& device) {
  return QFileInfo(QString::fromStdString(device)).canonicalFilePath();
}

// The window's "Com n" entries that reach `device` now, by their own path or by a link.
std::vector<std::string> ComNamesOf(const std::string& device) {
  const QString canonical = Canonical(device);
  std::vector<std::string> names;
  for (int number = 1; number <= kComPorts; ++number) {
    const std::string opened = ResolvePortDevice(number);
    if (opened.empty() || (opened != device && Canonical(opened) != canonical)) continue;
    names.push_back("com" + std::to_string(number));
  }
  return names;
}

// The system's serial ports, then the program folder's com<n> entries that lead elsewhere
// (a pseudo-terminal, a device the system does not list as serial, or nothing).
std::vector<PortEntry> Ports() {
  std::vector<PortEntry> ports;
  std::vector<QString> listed;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    const std::string device = info.systemLocation().toStdString();
    listed.push_back(Canonical(device));
    ports.push_back({device, info.description().toStdString(), UsbIds(info),
                     info.serialNumber().toStdString(), ComNamesOf(device),
                     PortAccessProblem(device), UsbNameOf(DescribePort(info))});
  }
  const QString folder = QCoreApplication::applicationDirPath();
  for (int number = 1; number <= kComPorts; ++number) {
    const QFileInfo entry(folder + "/com" + QString::number(number));
    if (!entry.isSymLink() && !entry.exists()) continue;
    const QString target = entry.canonicalFilePath();
    if (!target.isEmpty() && std::find(listed.begin(), listed.end(), target) != listed.end()) {
      continue;
    }
    const std::string device = entry.filePath().toStdString();
    ports.push_back({device,
                     entry.isSymLink() ? "link to " + entry.symLinkTarget().toStdString() : "", "",
                     "", ComNamesOf(device), PortAccessProblem(device), ""});
  }
  return ports;
}

std::string OrDash(const std::string& text) {
  return text.empty() ? "-" : text;
}

std::string Joined(const std::vector<std::string>& names, const std::string& between) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : between) + name;
  return text;
}

std::string StringOrNull(const std::string& text) {
  return text.empty() ? "null" : JsonString(text);
}

}  // namespace

void ListPorts(std::ostream& out, bool json) {
  const std::vector<PortEntry> ports = Ports();
  for (const PortEntry& port : ports) {
    if (json) {
      std::vector<std::string> names;
      for (const std::string& name : port.comNames) names.push_back(JsonString(name));
      out << "{\"event\":\"port\",\"device\":" << JsonString(port.device)
          << ",\"description\":" << StringOrNull(port.description)
          << ",\"usb_id\":" << StringOrNull(port.usbIds)
          << ",\"serial\":" << StringOrNull(port.serial) << ",\"window\":[" << Joined(names, ",")
          << "],\"access\":" << (port.problem.empty() ? "true" : "false")
          << ",\"problem\":" << StringOrNull(port.problem)
          << ",\"usb_name\":" << StringOrNull(port.usbName) << "}\n";
      continue;
    }
    out << port.device << "\n"
        << "  description: " << OrDash(port.description) << "\n"
        << "  usb id:      " << OrDash(port.usbIds) << "\n"
        << "  serial:      " << OrDash(port.serial) << "\n"
        << "  window:      " << OrDash(Joined(port.comNames, ", ")) << "\n"
        << "  --port:      " << port.device << (port.usbName.empty() ? "" : " or " + port.usbName)
        << "\n"
        << "  access:      " << (port.problem.empty() ? "yes" : "no, " + port.problem) << "\n";
  }
  if (ports.empty() && !json) out << "No serial ports found.\n";
}

}  // namespace tarnwick::cli
