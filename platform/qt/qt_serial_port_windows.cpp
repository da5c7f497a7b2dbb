#include <QAbstractEventDispatcher>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/qt/system_port.h"

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

class WindowsPort final : public qt_port::SystemPort {
 public:
  WindowsPort() {
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

  void Send(std::string_view bytes) override {
    const auto size = static_cast<qint64>(bytes.size());
    if (size > 0 && serial.write(bytes.data(), size) != size) {
      MarkGone("writing", serial.errorString().toStdString());
    }
    SendPending();
  }

  std::string Input() override {
    Receive();
    return serial.readAll().toStdString();
  }

  std::int32_t InBufferCount() override {
    Receive();
    return static_cast<std::int32_t>(std::min<qint64>(serial.bytesAvailable(), INT32_MAX));
  }

  void WaitForInput(std::chrono::milliseconds timeout) override {
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

 protected:
  void OpenDevice(const std::string& device) override {
    // "COMn" as it is; QSerialPort adds the prefix that COM10 and above need.
    OpenConfigured(serial, device, QString::fromStdString(device));
  }

  void CloseDevice() override {
    SendPending();
    ReleaseDevice();
  }

  void ReleaseDevice() override {
    if (serial.isOpen()) serial.close();
  }

  // The device is released by the next operation, which throws, or else from the event
  // loop: a device that keeps reporting its failure must not keep waking the event loop
  // while, say, a message box is open. A port closed and opened again in the meantime is
  // left alone.
  void StopAfterFailure() override {
    QMetaObject::invokeMethod(
        &serial,
        [this] {
          if (failure) ReleaseDevice();
        },
        Qt::QueuedConnection);
  }

  QSerialPort& Serial() override { return serial; }

 private:
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

  // Destroyed before the members of SystemPort, which its error signal reaches.
  QSerialPort serial;
};

}  // namespace

std::unique_ptr<qt_port::SystemPort> qt_port::MakeSystemPort() {
  return std::make_unique<WindowsPort>();
}

}  // namespace tarnwick
