#include "platform/qt/qt_serial_port.h"

#include <poll.h>
#include <unistd.h>

#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "platform/qt/port_device.h"
#include "platform/qt/qt_serial_port_common.h"
#ifdef __linux__
#include "platform/qt/low_latency.h"
#endif

// The port on Linux and macOS. QSerialPort opens, locks and configures the device. The
// bytes themselves go straight through its descriptor: its own buffers move only while an
// event loop runs, and its reads cannot tell a hung-up device (readable, but every read
// returns nothing) from a quiet one, which would leave the download polling a vanished
// adapter forever.

namespace tarnwick {
namespace {

// Handles the activations of QSerialPort's read notifier in its place, so that arriving
// bytes still wake a blocking event pump but are read, and a hang-up noticed, by our code.
class ReadActivityFilter final : public QObject {
 public:
  explicit ReadActivityFilter(std::function<void()> onActivity)
      : onActivity_(std::move(onActivity)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::SockAct) return false;
    onActivity_();
    return true;
  }

 private:
  std::function<void()> onActivity_;
};

bool HangUpReported(short revents) {
  return (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int PollTimeout(std::chrono::steady_clock::duration remaining) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
  return static_cast<int>(std::clamp<decltype(ms)>(ms, 0, INT_MAX));
}

}  // namespace

struct QtSerialPort::Impl {
  explicit Impl(std::function<std::string(int)> resolve)
      : resolveDevice(resolve ? std::move(resolve) : ResolvePortDevice) {
    // For whatever QSerialPort still reads or writes itself.
    QObject::connect(&serial, &QSerialPort::errorOccurred, &serial,
                     [this](QSerialPort::SerialPortError error) {
                       if (isOpen && error == QSerialPort::ResourceError) {
                         MarkGone("using the device", serial.errorString().toStdString());
                       }
                     });
  }

  void Open() {
    if (isOpen) throw qt_port::AlreadyOpenError(settings);
    const std::string device = qt_port::ResolveDeviceOrThrow(settings, resolveDevice);

    // Open the device itself rather than a link to it (com1 -> /dev/ttyUSB0), so that the
    // lock file names the real device and other programs see it as busy.
    const QFileInfo info(QString::fromStdString(device));
    const QString canonical = info.canonicalFilePath();
    qt_port::OpenConfigured(serial, settings, device,
                            canonical.isEmpty() ? info.filePath() : canonical);
    isOpen = true;
    const int fd = static_cast<int>(serial.handle());
#ifdef __linux__
    RequestLowLatency(fd);
#endif
    // Should a later Qt keep its notifier elsewhere, its reads still land in its own
    // buffer, which PullInput empties first; only a hang-up is then noticed later.
    for (QSocketNotifier* notifier :
         serial.findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly)) {
      if (notifier->type() == QSocketNotifier::Read) {
        notifier->installEventFilter(&readFilter);
        readNotifier = notifier;
      }
    }
    writeNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    writeNotifier->setEnabled(false);
    QObject::connect(writeNotifier.get(), &QSocketNotifier::activated, writeNotifier.get(),
                     [this] { PushOutput(); });
  }

  void Close() {
    if (!isOpen) return;
    if (!failure) PushOutput();
    ReleaseDevice();
    isOpen = false;
    failure.reset();
    received.clear();
    unsent.clear();
  }

  void ReleaseDevice() {
    writeNotifier.reset();
    if (serial.isOpen()) serial.close();
  }

  // Records that the device has gone away. Only stops the notifiers: this may run inside
  // one of their activations, where closing the device would delete them under Qt's feet.
  void MarkGone(const std::string& operation, const std::string& reason) {
    if (failure) return;
    failure = qt_port::GoneMessage(settings, operation, reason);
    if (readNotifier) readNotifier->setEnabled(false);
    if (writeNotifier) writeNotifier->setEnabled(false);
  }

  // Every operation starts here: a device that is gone fails this call and every later one.
  // A hang-up itself is noticed by the read side (POLLHUP) and the write side (EIO), so no
  // extra system call is spent on it per operation.
  void CheckUsable() {
    if (!isOpen) throw qt_port::NotOpenError(settings);
    ThrowIfGone();
  }

  void ThrowIfGone() {
    if (!failure) return;
    ReleaseDevice();
    throw PortError(*failure);
  }

  // Brings both queues up to date with the system, then fails if the device went away.
  void Refresh() {
    CheckUsable();
    PullInput();
    PushOutput();
    ThrowIfGone();
  }

  // Moves whatever the system has received into `received`, without blocking.
  void PullInput() {
    if (failure || !serial.isOpen()) return;
    if (serial.bytesAvailable() > 0) received += serial.readAll().toStdString();
    const int fd = static_cast<int>(serial.handle());
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) return;
    if (HangUpReported(ready.revents)) return MarkGone("reading", "the device hung up");
    char chunk[4096];
    for (;;) {
      const ssize_t count = ::read(fd, chunk, sizeof chunk);
      if (count > 0) {
        received.append(chunk, static_cast<std::size_t>(count));
        // A short read took everything there was; another would only come back empty.
        if (static_cast<std::size_t>(count) < sizeof chunk) return;
      } else if (count < 0 && errno == EINTR) {
        continue;
      } else if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        return MarkGone("reading", std::strerror(errno));
      } else {
        return;  // nothing more for now
      }
    }
  }

  // Hands the system as much of `unsent` as it takes now; the write notifier sends the
  // rest when the event loop runs, and so does every later operation.
  void PushOutput() {
    if (failure || !serial.isOpen()) return;
    const int fd = static_cast<int>(serial.handle());
    while (!unsent.empty()) {
      const ssize_t count = ::write(fd, unsent.data(), unsent.size());
      if (count > 0) {
        unsent.erase(0, static_cast<std::size_t>(count));
      } else if (count < 0 && errno == EINTR) {
        continue;
      } else if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        return MarkGone("writing", std::strerror(errno));
      } else {
        break;  // the driver's queue is full, or output is held by XOFF
      }
    }
    if (writeNotifier) writeNotifier->setEnabled(!unsent.empty());
  }

  void WaitForInput(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      PullInput();
      PushOutput();
      ThrowIfGone();
      if (!received.empty()) return;
      const auto remaining = deadline - std::chrono::steady_clock::now();
      if (remaining <= std::chrono::steady_clock::duration::zero()) return;
      pollfd wait{static_cast<int>(serial.handle()),
                  static_cast<short>(POLLIN | (unsent.empty() ? 0 : POLLOUT)), 0};
      const int result = ::poll(&wait, 1, PollTimeout(remaining));
      if (result < 0 && errno != EINTR) MarkGone("waiting for input", std::strerror(errno));
      if (result > 0 && HangUpReported(wait.revents)) {
        MarkGone("waiting for input", "the device hung up");
      }
    }
  }

  std::function<std::string(int)> resolveDevice;
  qt_port::ConnectionSettings settings;

  ReadActivityFilter readFilter{[this] { PullInput(); }};
  QSerialPort serial;
  QPointer<QSocketNotifier> readNotifier;
  std::unique_ptr<QSocketNotifier> writeNotifier;

  bool isOpen = false;
  std::string received;  // received from the system, not yet taken by Input()
  std::string unsent;    // handed over by Output(), not yet taken by the system
  std::optional<std::string> failure;
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
  impl_->unsent.append(bytes);
  impl_->PushOutput();
  impl_->ThrowIfGone();
}

std::string QtSerialPort::Input() {
  // Bytes that the read notifier has just taken in are returned without asking the system
  // again; the next call picks up whatever arrives meanwhile.
  if (impl_->received.empty() || !impl_->unsent.empty()) {
    impl_->Refresh();
  } else {
    impl_->CheckUsable();
  }
  return std::exchange(impl_->received, {});
}

std::int32_t QtSerialPort::InBufferCount() {
  // Bytes already taken in answer the question without asking the system again.
  if (impl_->received.empty() || !impl_->unsent.empty()) impl_->Refresh();
  return static_cast<std::int32_t>(std::min<std::size_t>(impl_->received.size(), INT32_MAX));
}

void QtSerialPort::WaitForInput(std::chrono::milliseconds timeout) {
  impl_->CheckUsable();
  impl_->WaitForInput(timeout);
}

}  // namespace tarnwick
