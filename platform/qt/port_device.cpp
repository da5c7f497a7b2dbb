#include "platform/qt/port_device.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {
namespace {

// Only the systems without COMn names list and sort their ports.
#ifndef _WIN32

bool IsUsbAdapter(const std::string& path) {
  for (const char* marker : {"ttyUSB", "ttyACM", "cu.usb", "tty.usb"}) {
    if (path.find(marker) != std::string::npos) return true;
  }
  return false;
}

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Name order as people read it: a run of digits counts by its value, so ttyS2 comes
// before ttyS10 and "Com 3" stays the third port when a tenth one appears.
bool NameLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t iEnd = i;
      std::size_t jEnd = j;
      while (iEnd < a.size() && IsDigit(a[iEnd])) ++iEnd;
      while (jEnd < b.size() && IsDigit(b[jEnd])) ++jEnd;
      while (i + 1 < iEnd && a[i] == '0') ++i;
      while (j + 1 < jEnd && b[j] == '0') ++j;
      const std::string_view x(a.data() + i, iEnd - i);
      const std::string_view y(b.data() + j, jEnd - j);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
      i = iEnd;
      j = jEnd;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  return a < b;
}

#endif  // _WIN32

}  // namespace

std::string ChoosePortDevice(int number, const std::string& programDir, bool comEntryExists,
                             std::vector<std::string> systemPorts) {
  if (number < 1) return {};
#ifdef _WIN32
  (void)programDir;
  (void)comEntryExists;
  (void)systemPorts;
  return "COM" + std::to_string(number);
#else
  if (comEntryExists) return programDir + "/com" + std::to_string(number);
  std::sort(systemPorts.begin(), systemPorts.end(), [](const std::string& a, const std::string& b) {
    const bool aUsb = IsUsbAdapter(a);
    const bool bUsb = IsUsbAdapter(b);
    if (aUsb != bUsb) return aUsb;
    return NameLess(a, b);
  });
  if (static_cast<std::size_t>(number) > systemPorts.size()) return {};
  return systemPorts[static_cast<std::size_t>(number) - 1];
#endif
}

std::optional<NetworkAddress> NetworkAddressOfDevice(const std::string& device,
                                                     std::string* problem) {
  problem->clear();
  if (IsNetworkAddressForm(device)) return ParseNetworkAddress(device, problem);
  // A file of a few lines at most: anything larger is no address file, and is not read.
  constexpr qint64 kLargestAddressFile = 4096;
  const QFileInfo info(QString::fromStdString(device));
  if (!info.isFile()) return std::nullopt;
  QFile file(info.filePath());
  if (info.size() > kLargestAddressFile || !file.open(QIODevice::ReadOnly)) {
    *problem = "it is a file, not a device, and holds no network address";
    return std::nullopt;
  }
  while (!file.atEnd()) {
    const std::string line = file.readLine(kLargestAddressFile).trimmed().toStdString();
    if (line.empty() || line.front() == '#') continue;
    if (!IsNetworkAddressForm(line)) break;
    auto address = ParseNetworkAddress(line, problem);
    if (!address) *problem = "it holds " + line + ": " + *problem;
    return address;
  }
  *problem =
      "it is a file, not a device, and holds no network address (rfc2217://HOST:PORT or "
      "socket://HOST:PORT)";
  return std::nullopt;
}

std::string ResolvePortDevice(int number) {
#ifdef _WIN32
  return ChoosePortDevice(number, {}, false, {});
#else
  // Without an application object there is no program folder to look in.
  const QString programDir =
      QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
  const QFileInfo entry(programDir + "/com" + QString::number(number));
  // A link counts even when its target is gone: it states the user's choice, and opening
  // it then reports the device as missing instead of silently taking another port.
  const bool comEntryExists = !programDir.isEmpty() && (entry.isSymLink() || entry.exists());
  std::vector<std::string> systemPorts;
  if (!comEntryExists) {
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
      systemPorts.push_back(info.systemLocation().toStdString());
    }
  }
  return ChoosePortDevice(number, programDir.toStdString(), comEntryExists, std::move(systemPorts));
#endif
}

std::string PortAccessProblem(const std::string& device) {
#ifdef _WIN32
  (void)device;
  return {};
#else
  struct stat status {};
  if (::stat(device.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "not present";
    return std::string("cannot be opened: ") + std::strerror(errno);
  }
  if (::access(device.c_str(), R_OK | W_OK) == 0) return {};

  std::string text = "cannot be opened: permission denied.";
  // The usual remedy, offered only where membership of the owning group would grant access.
  const bool groupMayUse = (status.st_mode & S_IRGRP) && (status.st_mode & S_IWGRP);
  const group* owner = status.st_gid != 0 ? ::getgrgid(status.st_gid) : nullptr;
  if (groupMayUse && owner != nullptr) {
    text += " Add your user to the group '" + std::string(owner->gr_name) +
            "' that owns it, then log in again.";
  }
  return text;
#endif
}

std::string DescribePortDevice(int number) {
  const std::string name = "Com " + std::to_string(number);
  const std::string device = ResolvePortDevice(number);
  if (device.empty()) return name + ": no serial port found";
#ifdef _WIN32
  return name + " opens " + device;
#else
  std::string addressProblem;
  if (const auto address = NetworkAddressOfDevice(device, &addressProblem)) {
    return name + " opens " + address->Text() +
           (address->Text() == device ? "" : " (written in " + device + ")");
  }
  if (!addressProblem.empty()) return name + " opens " + device + ": " + addressProblem;
  std::string shown = device;
  const QFileInfo info(QString::fromStdString(device));
  if (info.isSymLink()) shown += " -> " + info.symLinkTarget().toStdString();
  const std::string problem = PortAccessProblem(device);
  if (problem.empty()) return name + " opens " + shown;
  if (problem == "not present") return name + " opens " + shown + " (not present)";
  return name + " opens " + shown + ", which " + problem + (problem.back() == '.' ? "" : ".");
#endif
}

int ComNumberOf(const std::string& name) {
  if (name.size() != 4 || name[3] < '1' || name[3] > '8') return 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i]) return 0;
  }
  return name[3] - '0';
}

}  // namespace tarnwick
