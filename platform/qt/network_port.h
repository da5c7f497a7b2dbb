#pragma once

#include <QTcpSocket>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "core/download/serial_port.h"
#include "platform/modem_lines.h"
#include "platform/net/network_address.h"
#include "platform/net/telnet_com_port.h"

namespace tarnwick {

// A serial port that a port server (ser2net and the like) serves over TCP. With RFC 2217 the
// line settings of the download (its baud rate, 8 data bits, no parity, 1 stop bit, XON/XOFF)
// are set on the server's port as the connection opens, and the modem lines can be set; a
// plain TCP port keeps the line as the server has it. Bytes that arrive wake the event loop,
// which watches the socket, as they do for a local port.
class NetworkPort final : public SerialPort, public ModemLines {
 public:
  // How long connecting (the name's lookup included) may take, and so may the server's
  // agreement to the COM port option and its answer to the line settings.
  static constexpr std::chrono::seconds kStepLimit{5};

  // `name` is the port as the user knows it, for every message: "Com 1 (rfc2217://...)".
  NetworkPort(NetworkAddress address, std::string name);
  ~NetworkPort() override;

  void SetXonXoffFlowControl() override { xonXoff_ = true; }
  void SetBaudRate(std::int32_t baud) override { baudRate_ = baud; }
  void SetPortNumber(int) override {}  // the address is the port
  void Open() override;
  bool IsOpen() const override { return open_; }
  void Close() override;
  void Output(std::string_view bytes) override;
  std::string Input() override;
  std::int32_t InBufferCount() override;
  void WaitForInput(std::chrono::milliseconds timeout) override;
  void SetModemLine(Line line, bool on) override;

  // A descriptor whose becoming readable (a stop request) ends every wait of this port.
  void SetWakeDescriptor(int descriptor) { wakeDescriptor_ = descriptor; }

 private:
  bool Rfc2217() const { return address_.kind == NetworkAddress::Kind::kRfc2217; }
  void NegotiateComPort();
  // Runs the event loop until `done` holds, the connection fails, a stop comes or `limit` has
  // passed; whether `done` held.
  bool AwaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
  // Takes what the socket has received: serial data into `received_`, the answers the server
  // is owed sent back. Notes a connection that has gone.
  void Pull();
  void Send(const std::string& bytes);
  void CheckUsable();
  [[noreturn]] void FailOpen(const std::string& cause);
  bool WakeRequested() const;
  // Why the connection failed, in the system's words, or `fallback`.
  std::string Cause(const std::string& fallback) const;

  NetworkAddress address_;
  std::string name_;
  std::int32_t baudRate_ = 9600;
  bool xonXoff_ = false;
  int wakeDescriptor_ = -1;

  QTcpSocket socket_;
  TelnetComPort telnet_;
  bool open_ = false;
  std::string received_;
  std::string lastError_;  // the socket's last error, other than a timed-out wait
  std::optional<std::string> failure_;
};

}  // namespace tarnwick
