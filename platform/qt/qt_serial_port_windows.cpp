#include "platform/qt/qt_serial_port.h"

#include <QAbstractEventDispatcher>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/qt/port_device.h"
#include "platform/qt/qt_serial_port_common.h"

// The port on Windows, over QSerialPort's own API. Its reads and writes complete in the
// background and are delivered only while the thread waits for them: in the event loop or
// inside QSerialPort's waitFor... calls. The download polls the port without running the
// event loop, so every operation first lets QSerialPort deliver what has completed, and
// Output starts the write at once instead of on the next pass of the event loop.

namespace tarnwick {
namespace {

using namespace std::chrono_literals;

// The longest single wait inside WaitForInput. A device that goes away in the middle of a
// wait is reported to QSerialPort without ending its wait, so the wait is taken in slices
// and the failure noticed after the current one.
constexpr std::chrono::milliseconds kWaitSlice = 100ms;

// Whether an error reported while the port is open leaves it unusable. Windows reports a
// USB adapter pulled out as a resource error or, from the wait for input that was under way,
// as access denied (a permission error); after a read or write that failed for any other
// reason QSerialPort stops receiving, and what reached the target is unknown. Only a wait
// that ended without data is not a failure.
bool LeavesPortUnusable(QSerialPort::SerialPortError error) {
  return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

}  // namespace

struct QtSerialPort::Impl {
  explicit Impl(std::function<std::string(int)> resolve)
      : resolveDevice(resolve ? std::move(resolve) : ResolvePortDevice) {
    QObject::connect(&serial, &QSerialPort::errorOccurred, &serial,
                     [this](QSerialPort::SerialPortError error) {
                       if (isOpen && LeavesPortUnusable(error)) {
                         MarkGone("using the device", serial.errorString().toStdString());
                       }
                     });
    // Received bytes reach QSerialPort inside the event loop's wait without ending it, and
    // a download that pumps events is waiting for exactly those bytes: end the wait.
    QObject::connect(&serial, &QSerialPort::readyRead, &serial, [] {
      if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
      }
    });
  }

  void Open() {
    if (isOpen) throw qt_port::AlreadyOpenError(settings);
    const std::string device = qt_port::ResolveDeviceOrThrow(settings, resolveDevice);
    // "COMn" as it is; QSerialPort adds the prefix that COM10 and above need.
    qt_port::OpenConfigured(serial, settings, device, QString::fromStdString(device));
    isOpen = true;
  }

  void Close() {
    if (!isOpen) return;
    SendPending();
    ReleaseDevice();
    isOpen = false;
    failure.reset();
  }

  void ReleaseDevice() {
    if (serial.isOpen()) serial.close();
  }

  // Records that the device has gone away. Runs inside QSerialPort's own handling of the
  // failed I/O, where closing the device would pull it away under Qt's feet, so the device
  // is released by the next operation, which throws, or else from the event loop: a device
  // that keeps reporting its failure must not keep waking the event loop while, say, a
  // message box is open. A port closed and opened again in the meantime is left alone.
  void MarkGone(const std::string& operation, const std::string& reason) {
    if (failure) return;
    failure = qt_port::GoneMessage(settings, operation, reason);
    QMetaObject::invokeMethod(
        &serial,
        [this] {
          if (failure) ReleaseDevice();
        },
        Qt::QueuedConnection);
  }

  // Every operation starts here: a device that is gone fails this call and every later one.
  void CheckUsable() {
    if (!isOpen) throw qt_port::NotOpenError(settings);
    ThrowIfGone();
  }

  void ThrowIfGone() {
    if (!failure) return;
    ReleaseDevice();
    throw PortError(*failure);
  }

  // Starts writing what QSerialPort holds and delivers a write that has completed, so that
  // the next part follows; never waits for the bytes to leave. A zero wait does both: it
  // starts a write when none is under way (as flush() would) and then takes in completions.
  void SendPending() {
    if (failure || !serial.isOpen()) return;
    serial.waitForBytesWritten(0);
  }

  // Takes in whatever has arrived, without waiting.
  void Receive() {
    CheckUsable();
    serial.waitForReadyRead(0);
    ThrowIfGone();
  }

  void WaitForInput(std::chrono::milliseconds timeout) {
    CheckUsable();
    const auto deadline =
        std::chrono::steady_clock::now() + std::max(timeout, std::chrono::milliseconds::zero());
    bool lastSlice = false;
    while (serial.bytesAvailable() == 0 && !lastSlice) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      lastSlice = left <= kWaitSlice;
      const auto slice = std::clamp(left, std::chrono::milliseconds::zero(), kWaitSlice);
      serial.waitForReadyRead(static_cast<int>(slice.count()));
      ThrowIfGone();
    }
  }

  std::function<std::string(int)> resolveDevice;
  qt_port::ConnectionSettings settings;
  bool isOpen = false;
  std::optional<std::string> failure;
  // Last, so that it goes first: its error signal reaches the members above.
  QSerialPort serial;
};

QtSerialPort::QtSerialPort(std::function<std::string(int)> resolveDevice)
    : impl_(std::make_unique<Impl>(std::move(resolveDevice))) {}

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
  const auto size = static_cast<qint64>(bytes.size());
  if (size > 0 && impl_->serial.write(bytes.data(), size) != size) {
    impl_->MarkGone("writing", impl_->serial.errorString().toStdString());
  }
  impl_->SendPending();
  impl_->ThrowIfGone();
}

std::string QtSerialPort::Input() {
  impl_->Receive();
  return impl_->serial.readAll().toStdString();
}

std::int32_t QtSerialPort::InBufferCount() {
  impl_->Receive();
  return static_cast<std::int32_t>(std::min<qint64>(impl_->serial.bytesAvailable(), INT32_MAX));
}

void QtSerialPort::WaitForInput(std::chrono::milliseconds timeout) {
  impl_->WaitForInput(timeout);
}

}  // namespace tarnwick
