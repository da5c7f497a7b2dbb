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
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/qt/system_port.h"
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

class PosixPort final : public qt_port::SystemPort {
 public:
  PosixPort() {
    // For whatever QSerialPort still reads or writes itself.
    QObject::connect(&serial, &QSerialPort::errorOccurred, &serial,
                     [this](QSerialPort::SerialPortError error) {
                       if (isOpen && error == QSerialPort::ResourceError) {
                         MarkGone("using the device", serial.errorString().toStdString());
                       }
                     });
  }

  void Send(std::string_view bytes) override {
    unsent.append(bytes);
    PushOutput();
  }

  std::string Input() override {
    // Bytes that the read notifier has just taken in are returned without asking the system
    // again; the next call picks up whatever arrives meanwhile.
    if (received.empty() || !unsent.empty()) {
      Refresh();
    } else {
      CheckUsable();
    }
    return std::exchange(received, {});
  }

  std::int32_t InBufferCount() override {
    // Bytes already taken in answer the question without asking the system again.
    if (received.empty() || !unsent.empty()) Refresh();
    return static_cast<std::int32_t>(std::min<std::size_t>(received.size(), INT32_MAX));
  }

  void WaitForInput(std::chrono::milliseconds timeout) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      PullInput();
      PushOutput();
      ThrowIfGone();
      if (!received.empty()) return;
      const auto remaining = deadline - std::chrono::steady_clock::now();
      if (remaining <= std::chrono::steady_clock::duration::zero()) return;
      pollfd wait[2] = {{static_cast<int>(serial.handle()),
                         static_cast<short>(POLLIN | (unsent.empty() ? 0 : POLLOUT)), 0},
                        {wakeDescriptor, POLLIN, 0}};
      const int result = ::poll(wait, wakeDescriptor >= 0 ? 2 : 1, PollTimeout(remaining));
      if (result < 0 && errno != EINTR) MarkGone("waiting for input", std::strerror(errno));
      if (result > 0 && HangUpReported(wait[0].revents)) {
        MarkGone("waiting for input", "the device hung up");
      }
      if (result > 0 && wait[1].revents != 0) return;
    }
  }

 protected:
  void OpenDevice(const std::string& device) override {
    // Open the device itself rather than a link to it (com1 -> /dev/ttyUSB0), so that the
    // lock file names the real device and other programs see it as busy.
    const QFileInfo info(QString::fromStdString(device));
    const QString canonical = info.canonicalFilePath();
    OpenConfigured(serial, device, canonical.isEmpty() ? info.filePath() : canonical);
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

  void CloseDevice() override {
    if (!failure) PushOutput();
    ReleaseDevice();
    received.clear();
    unsent.clear();
  }

  void ReleaseDevice() override {
    writeNotifier.reset();
    if (serial.isOpen()) serial.close();
  }

  // Only stops the notifiers: this may run inside one of their activations.
  void StopAfterFailure() override {
    if (readNotifier) readNotifier->setEnabled(false);
    if (writeNotifier) writeNotifier->setEnabled(false);
  }

  QSerialPort& Serial() override {
    return serial;
  }

 private:
  // Brings both queues up to date with the system, then fails if the device went away.
  void Refresh() {
    CheckUsable();
    PullInput();
    PushOutput();
    ThrowIfGone();
  }

  // Moves whatever the system has received into `received`, without blocking. A quiet line
  // reads as empty, and so does one that has hung up: only a look at the descriptor tells
  // them apart. When the read notifier has just said there is input, that look is saved
  // unless the read comes back empty.
  void PullInput(bool readable = false) {
    if (failure || !serial.isOpen()) return;
    if (serial.bytesAvailable() > 0) received += serial.readAll().toStdString();
    const int fd = static_cast<int>(serial.handle());
    if (!readable && !HasInputOrHungUp(fd)) return;
    char chunk[4096];
    for (bool first = true;; first = false) {
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
        if (first && readable) HasInputOrHungUp(fd);  // marks a hang-up as such
        return;                                       // nothing more for now
      }
    }
  }

  // True when input waits; a hang-up is recorded instead.
  bool HasInputOrHungUp(int fd) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) return false;
    if (HangUpReported(ready.revents)) {
      MarkGone("reading", "the device hung up");
      return false;
    }
    return true;
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

  ReadActivityFilter readFilter{[this] { PullInput(/*readable=*/true); }};
  QSerialPort serial;
  QPointer<QSocketNotifier> readNotifier;
  std::unique_ptr<QSocketNotifier> writeNotifier;

  std::string received;  // received from the system, not yet taken by Input()
  std::string unsent;    // handed over by Output(), not yet taken by the system
};

}  // namespace

std::unique_ptr<qt_port::SystemPort> qt_port::MakeSystemPort() {
  return std::make_unique<PosixPort>();
}

}  // namespace tarnwick
