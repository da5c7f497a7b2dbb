#include "platform/qt/network_port.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <utility>

#ifndef _WIN32
#include <poll.h>
#endif

namespace tarnwick {
namespace {

constexpr auto kLineConfirmLimit = std::chrono::seconds(2);

std::string ValueText(const std::string& value) {
  std::uint32_t number = 0;
  for (const char c : value) number = (number << 8) | static_cast<std::uint8_t>(c);
  return std::to_string(number);
}

int Milliseconds(std::chrono::steady_clock::duration remaining) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
  return static_cast<int>(std::clamp<decltype(ms)>(ms, 0, INT_MAX));
}

}  // namespace

NetworkPort::NetworkPort(NetworkAddress address, std::string name)
    : address_(std::move(address)), name_(std::move(name)) {
  QObject::connect(&socket_, &QAbstractSocket::errorOccurred, &socket_,
                   [this](QAbstractSocket::SocketError error) {
                     // A wait of ours that timed out is no failure of the connection.
                     if (error != QAbstractSocket::SocketTimeoutError) {
                       lastError_ = socket_.errorString().toStdString();
                     }
                   });
}

NetworkPort::~NetworkPort() {
  socket_.abort();
}

void NetworkPort::Open() {
  if (open_) throw PortError(name_ + " is already open");
  failure_.reset();
  lastError_.clear();
  received_.clear();
  telnet_ = TelnetComPort();
  socket_.connectToHost(QString::fromStdString(address_.host), address_.port);
  if (!AwaitUntil([this] { return socket_.state() == QAbstractSocket::ConnectedState; },
                  kStepLimit)) {
    FailOpen(Cause("no connection within " + std::to_string(kStepLimit.count()) + " s"));
  }
  // A verdict is one byte; it must not wait for more to fill a packet.
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  open_ = true;
  if (Rfc2217()) NegotiateComPort();
}

void NetworkPort::NegotiateComPort() {
  Send(telnet_.Greeting());
  const std::string limit = std::to_string(kStepLimit.count()) + " s";
  if (!AwaitUntil([this] { return telnet_.ComPortAccepted().has_value(); }, kStepLimit)) {
    FailOpen(Cause("no answer to the COM port option (RFC 2217) within " + limit +
                   "; for a plain TCP port give socket://"));
  }
  if (!*telnet_.ComPortAccepted()) {
    FailOpen(
        "the server refuses the COM port option (RFC 2217); for a plain TCP port give "
        "socket://");
  }
  struct Setting {
    TelnetComPort::Command command;
    std::string value;
    const char* what;
  };
  const std::uint32_t baud = static_cast<std::uint32_t>(baudRate_);
  const Setting settings[] = {
      {TelnetComPort::kSetBaudRate, TelnetComPort::SetBaudRate(baud).substr(4, 4), "baud rate"},
      {TelnetComPort::kSetDataSize, "\x08", "data size"},
      {TelnetComPort::kSetParity, "\x01", "parity"},  // none
      {TelnetComPort::kSetStopSize, "\x01", "stop size"},
      {TelnetComPort::kSetControl,
       {static_cast<char>(xonXoff_ ? TelnetComPort::kXonXoffFlowControl
                                   : TelnetComPort::kNoFlowControl)},
       "flow control"},
  };
  std::string requests;
  for (const Setting& setting : settings) {
    requests += TelnetComPort::Request(setting.command, setting.value);
  }
  Send(requests);
  const auto allAnswered = [&] {
    return std::all_of(std::begin(settings), std::end(settings),
                       [&](const Setting& s) { return telnet_.AnswerTo(s.command).has_value(); });
  };
  if (!AwaitUntil(allAnswered, kStepLimit)) {
    FailOpen(Cause("the server did not confirm the line settings within " + limit));
  }
  for (const Setting& setting : settings) {
    const std::string answer = *telnet_.AnswerTo(setting.command);
    if (answer != setting.value) {
      FailOpen("the server set the " + std::string(setting.what) + " to " + ValueText(answer) +
               " instead of " + ValueText(setting.value));
    }
  }
}

void NetworkPort::Close() {
  if (!open_) return;
  open_ = false;
  if (!failure_) {
    // What the download sent last (the end-of-file record's retries) still goes out.
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) {
      socket_.waitForDisconnected(Milliseconds(std::chrono::seconds(1)));
    }
  }
  socket_.abort();
  received_.clear();
  failure_.reset();
}

void NetworkPort::Output(std::string_view bytes) {
  CheckUsable();
  Send(Rfc2217() ? TelnetComPort::Escape(bytes) : std::string(bytes));
  Pull();
  CheckUsable();
}

std::string NetworkPort::Input() {
  CheckUsable();
  Pull();
  CheckUsable();
  return std::exchange(received_, {});
}

std::int32_t NetworkPort::InBufferCount() {
  CheckUsable();
  Pull();
  CheckUsable();
  return static_cast<std::int32_t>(std::min<std::size_t>(received_.size(), INT32_MAX));
}

void NetworkPort::WaitForInput(std::chrono::milliseconds timeout) {
  CheckUsable();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    Pull();
    CheckUsable();
    const auto remaining = deadline - std::chrono::steady_clock::now();
    if (!received_.empty() || remaining <= remaining.zero() || WakeRequested()) return;
#ifdef _WIN32
    socket_.waitForReadyRead(Milliseconds(remaining));
#else
    // Blocks on the socket itself, and on the stop request, without running the event loop.
    pollfd wait[2] = {{static_cast<int>(socket_.socketDescriptor()),
                       static_cast<short>(POLLIN | (socket_.bytesToWrite() > 0 ? POLLOUT : 0)), 0},
                      {wakeDescriptor_, POLLIN, 0}};
    if (::poll(wait, wakeDescriptor_ >= 0 ? 2 : 1, Milliseconds(remaining)) > 0 &&
        wait[0].revents != 0) {
      // Lets the socket take in what is there (or notice the server has gone).
      socket_.waitForReadyRead(0);
      socket_.flush();
    }
#endif
  }
}

void NetworkPort::SetModemLine(Line line, bool on) {
  const char* const lineName = line == Line::kDtr ? "DTR" : "RTS";
  if (!Rfc2217()) {
    throw PortError(name_ + " cannot set " + lineName +
                    ": a plain TCP port has no modem lines; give rfc2217:// to set them");
  }
  CheckUsable();
  const auto control = line == Line::kDtr ? (on ? TelnetComPort::kDtrOn : TelnetComPort::kDtrOff)
                                          : (on ? TelnetComPort::kRtsOn : TelnetComPort::kRtsOff);
  telnet_.ForgetAnswer(TelnetComPort::kSetControl);
  Send(TelnetComPort::SetControl(control));
  if (!AwaitUntil([this] { return telnet_.AnswerTo(TelnetComPort::kSetControl).has_value(); },
                  kLineConfirmLimit)) {
    CheckUsable();
    throw PortError(name_ + " cannot set " + lineName + ": " + address_.Where() +
                    " did not confirm it within " + std::to_string(kLineConfirmLimit.count()) +
                    " s; the device behind it may have no modem lines");
  }
}

bool NetworkPort::AwaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.start(limit);
  for (;;) {
    if (socket_.state() == QAbstractSocket::ConnectedState) Pull();
    if (done()) return true;
    if (failure_ || !deadline.isActive() || WakeRequested()) return false;
    // A lookup or connection that has failed leaves the socket unconnected with its error.
    if (socket_.state() == QAbstractSocket::UnconnectedState) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
}

void NetworkPort::Pull() {
  if (failure_) return;
  const QByteArray bytes = socket_.readAll();
  if (Rfc2217()) {
    telnet_.Receive(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    received_ += telnet_.TakeData();
    if (const std::string replies = telnet_.TakeReplies(); !replies.empty()) Send(replies);
  } else {
    received_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  if (open_ && socket_.state() != QAbstractSocket::ConnectedState) {
    failure_ =
        name_ + " failed: " + address_.Where() + ": " + Cause("the server closed the connection");
  }
}

void NetworkPort::Send(const std::string& bytes) {
  if (socket_.state() != QAbstractSocket::ConnectedState) return;
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  socket_.flush();
}

void NetworkPort::CheckUsable() {
  if (!open_) throw PortError(name_ + " is not open");
  if (failure_) throw PortError(*failure_);
}

void NetworkPort::FailOpen(const std::string& cause) {
  socket_.abort();
  open_ = false;
  if (WakeRequested()) throw PortError("stopped");
  throw PortError(name_ + " cannot be opened: " + address_.Where() + ": " + cause);
}

bool NetworkPort::WakeRequested() const {
#ifdef _WIN32
  return false;
#else
  if (wakeDescriptor_ < 0) return false;
  pollfd wake{wakeDescriptor_, POLLIN, 0};
  return ::poll(&wake, 1, 0) > 0;
#endif
}

std::string NetworkPort::Cause(const std::string& fallback) const {
  return lastError_.empty() ? fallback : lastError_;
}

}  // namespace tarnwick
