#include "cli/run_record.h"

#include <fcntl.h>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/command_line.h"
#include "cli/download_command.h"
#include "cli/json_reporter.h"
#include "cli/reporters.h"

namespace tarnwick::cli {
namespace {

#ifdef _WIN32
int OpenForAppend(const std::string& path) {
  return ::_open(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, 0644);
}
long WriteAll(int file, const std::string& text) {
  return ::_write(file, text.data(), static_cast<unsigned>(text.size()));
}
void CloseFile(int file) {
  ::_close(file);
}
#else
int OpenForAppend(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}
long WriteAll(int file, const std::string& text) {
  return static_cast<long>(::write(file, text.data(), text.size()));
}
void CloseFile(int file) {
  ::close(file);
}
#endif

// The serial number of the USB adapter behind the port, when the system reports one.
std::string UsbSerialOf(const std::string& port) {
  const QString device = QFileInfo(QString::fromStdString(DeviceForPort(port))).canonicalFilePath();
  if (device.isEmpty()) return "";
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    if (QFileInfo(info.systemLocation()).canonicalFilePath() == device) {
      return info.serialNumber().toStdString();
    }
  }
  return "";
}

}  // namespace

void CheckRecordWritable(const std::string& path) {
  const int file = OpenForAppend(path);
  if (file < 0) throw UsageError("--record " + path + ": cannot be written");
  CloseFile(file);
}

void AppendRecord(const std::string& path, const std::string& port, const BoardOutcome& outcome) {
  const std::string serial = UsbSerialOf(port);
  const std::string line = "{\"host\":" + JsonString(QSysInfo::machineHostName().toStdString()) +
                           ",\"port\":" + JsonString(port) +
                           ",\"usb_serial\":" + (serial.empty() ? "null" : JsonString(serial)) +
                           "," + OutcomeJsonFields(outcome) + "}\n";
  const int file = OpenForAppend(path);
  const long written = file < 0 ? -1 : WriteAll(file, line);
  const int error = errno;
  if (file >= 0) CloseFile(file);
  if (written != static_cast<long>(line.size())) {
    std::cerr << "tarnwick-cli: --record " << path << ": the line of " << port
              << " was not written: " << std::strerror(error) << '\n';
  }
}

}  // namespace tarnwick::cli
