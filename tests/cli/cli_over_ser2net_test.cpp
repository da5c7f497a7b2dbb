// tarnwick-cli through a real port server: ser2net on 127.0.0.1 serves a simulated target's
// pseudo-terminal through Telnet with the COM port option (RFC 2217) and as plain TCP. A
// small server of the test's own stands in where ser2net cannot show what it was told (the
// modem lines of a pseudo-terminal) or would not misbehave (refusing the COM port option).
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/cli_process.h"
#include "tests/support/simulated_target.h"
#include "tests/support/text_checks.h"
#include "tools/target-sim/sim_log.h"

namespace tarnwick {
namespace {

using testing::SimulatedTarget;

// A TCP port of 127.0.0.1 that nothing listens on at this moment.
quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// Whether something listens on 127.0.0.1:`port`, as /proc/net/tcp lists it.
bool Listening(quint16 port) {
  std::ifstream table("/proc/net/tcp");
  char wanted[32];
  std::snprintf(wanted, sizeof wanted, "0100007F:%04X 00000000:0000 0A", port);
  for (std::string line; std::getline(table, line);) {
    if (line.find(wanted) != std::string::npos) return true;
  }
  return false;
}

// ser2net serving `device` at 19200 baud without flow control, as the server's own settings,
// on two ports: one with RFC 2217, one plain.
class PortServer {
 public:
  explicit PortServer(const std::string& device) : rfc2217_(FreePort()), socket_(FreePort()) {
    const QString program = QStandardPaths::findExecutable(
        "ser2net", qEnvironmentVariable("PATH").split(':') + QStringList{"/usr/sbin", "/sbin"});
    const QString config = folder_.filePath(QStringLiteral("ser2net.yaml"));
    std::ofstream(config.toStdString())
        << "%YAML 1.1\n---\n"
        << "connection: &rfc2217\n  accepter: telnet(rfc2217),tcp,127.0.0.1," << rfc2217_
        << "\n  connector: serialdev," << device << ",19200n81,local\n"
        << "connection: &plain\n  accepter: tcp,127.0.0.1," << socket_
        << "\n  connector: serialdev," << device << ",19200n81,local\n";
    if (program.isEmpty()) return;
    // -n: in the foreground, -u: no lock files (the simulator's terminal is not a modem).
    process_.start(program, {"-n", "-u", "-c", config});
    for (int i = 0; i < 500 && !(Listening(rfc2217_) && Listening(socket_)); ++i) {
      if (process_.state() == QProcess::NotRunning) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    started_ = Listening(rfc2217_) && Listening(socket_);
  }
  ~PortServer() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
  }
  bool Started() const { return started_; }
  QString Rfc2217() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(rfc2217_); }
  QString Socket() const { return QStringLiteral("socket://127.0.0.1:%1").arg(socket_); }
  // The server's machine fails: every connection drops at once.
  void Kill() { ::kill(static_cast<pid_t>(process_.processId()), SIGKILL); }

 private:
  QTemporaryDir folder_;
  quint16 rfc2217_;
  quint16 socket_;
  QProcess process_;
  bool started_ = false;
};

// A port server of one connection, served in Qt's event loop while the test waits for the
// command, that takes (or refuses) the COM port option, answers every COM port command with
// its own value, and keeps every byte it received.
class RecordingComPortServer {
 public:
  explicit RecordingComPortServer(bool takesComPort) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this, takesComPort] {
      QTcpSocket* connection = server_.nextPendingConnection();
      QObject::connect(connection, &QTcpSocket::readyRead, [this, connection, takesComPort] {
        const std::string bytes = connection->readAll().toStdString();
        received += bytes;
        pending_ += bytes;
        connection->write(QByteArray::fromStdString(Answers(takesComPort)));
      });
    });
  }
  QString Address() const {
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(server_.serverPort());
  }
  std::string received;

 private:
  // The answers to the whole commands that have come, which leave `pending_`.
  std::string Answers(bool takesComPort) {
    std::string answer;
    while (!pending_.empty()) {
      if (pending_[0] != '\xFF') {
        pending_.erase(0, 1);
      } else if (pending_.starts_with("\xFF\xFB\x2C")) {
        answer += takesComPort ? "\xFF\xFD\x2C" : "\xFF\xFE\x2C";
        pending_.erase(0, 3);
      } else if (pending_.starts_with("\xFF\xFA\x2C")) {
        const std::size_t end = pending_.find("\xFF\xF0");
        if (end == std::string::npos) break;
        answer += "\xFF\xFA\x2C" + std::string(1, static_cast<char>(pending_[3] + 100)) +
                  pending_.substr(4, end - 4) + "\xFF\xF0";
        pending_.erase(0, end + 2);
      } else if (pending_.size() >= 3) {
        pending_.erase(0, 3);
      } else {
        break;
      }
    }
    return answer;
  }

  QTcpServer server_;
  std::string pending_;
};

using testing::Cli;
using testing::Holds;
using testing::ReadFile;
using testing::RunCli;
using Ended = testing::Finished;
using CliOverSer2net = testing::CliTest;

struct Case {
  const char* name;
  bool rfc2217;
  QStringList target;
  QStringList options;  // besides the port
  int code;
  std::string error;  // on standard error
};
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class Ser2netDownloads : public CliOverSer2net, public ::testing::WithParamInterface<Case> {};

TEST_P(Ser2netDownloads, EndAsOverALocalPortAndSetTheLineOnlyOverRfc2217) {
  const QString lineSettings = Path("line-settings.txt");
  SimulatedTarget target(GetParam().target + QStringList{"--report-line-settings", lineSettings});
  ASSERT_TRUE(target.Started());
  PortServer server(target.Device());
  ASSERT_TRUE(server.Started()) << "ser2net is needed: apt-get install ser2net";
  const Ended run = RunCli(QStringList{"download", "--port",
                                       GetParam().rfc2217 ? server.Rfc2217() : server.Socket(),
                                       "--baud", "115200", "--log", Path("bytes.log")} +
                           WithFiles(GetParam().options));
  EXPECT_EQ(run.code, GetParam().code) << run.out << run.err;
  EXPECT_TRUE(Holds(run.err, GetParam().error));
  const std::string received = target.Received();
  // Whatever ended the download, the bytes it sent first reached the target as logged.
  const std::string log = ReadFile(Path("bytes.log"));
  const std::size_t sent = log.find(" > ");
  ASSERT_NE(sent, std::string::npos) << log;
  const std::string first =
      sim::UnescapeBytes(log.substr(sent + 3, log.find('\n', sent) - sent - 3));
  EXPECT_EQ(received.rfind(first, 0), 0u) << received;
  if (GetParam().code == 0) {
    EXPECT_EQ(received.find("*!:") != std::string::npos, GetParam().options.contains("EEP"));
    EXPECT_EQ(received.size() - received.rfind(":00000001FF"), std::string(":00000001FF").size());
  }
  // Over RFC 2217 the download's rate and XON/XOFF reach the line; a plain port keeps the
  // server's 19200 baud without flow control.
  const std::string settings = ReadFile(lineSettings);
  const std::string ours = "baud 115200 data 8 parity none stop 1 xonxoff on\n";
  if (GetParam().rfc2217) {
    EXPECT_TRUE(Holds(settings, ours));
  } else {
    EXPECT_EQ(settings.find("115200"), std::string::npos) << settings;
    EXPECT_TRUE(Holds(settings, "baud 19200 data 8 parity none stop 1 xonxoff off\n"));
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Endings, Ser2netDownloads, ::testing::Values(
    Case{"Rfc2217BothFiles", true, {}, {"--flash", "APP", "--eeprom", "EEP"}, 0, ""},
    Case{"SocketBothFiles", false, {}, {"--flash", "APP", "--eeprom", "EEP"}, 0, ""},
    // 0xFF, Telnet's command byte, as the jump command and as the line's verdict.
    Case{"Rfc2217ByteFFBothWays", true,
         {"--jump-command", "\\xFF", "--line-complete-char", "\\xFF"},
         {"--flash", "APP", "--jump-command", "\\xFF", "--line-ok", "\\xFF"}, 0, ""},
    Case{"Rfc2217ChecksumContinue", true, {"--checksum-error-on-line", "3"},
         {"--flash", "APP", "--on-error", "continue"}, 3, "app.hex: checksum error"},
    Case{"Rfc2217SilentTarget", true, {"--silent"}, {"--flash", "APP", "--timeout", "2"}, 4,
         "No ready character \"?\" from the target within 2 s."}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// Each fault ends with the port's failure, its reason naming the server and the cause.
TEST_F(CliOverSer2net, ServersThatFailEndWithThePortFailureAndWhy) {
  const QString app = HexFile("app.hex", 400);
  const quint16 nobody = FreePort();
  RecordingComPortServer refusing(false);
  for (const auto& [port, reason] : std::vector<std::pair<QString, std::string>>{
           {QStringLiteral("rfc2217://127.0.0.1:%1").arg(nobody),
            "127.0.0.1 port " + std::to_string(nobody) + ": Connection refused"},
           {QStringLiteral("socket://nosuch.invalid:4001"), "nosuch.invalid port 4001: "},
           {refusing.Address(), "refuses the COM port option (RFC 2217)"},
       }) {
    SCOPED_TRACE(port.toStdString());
    const Ended run = RunCli({"download", "--port", port, "--flash", app});
    EXPECT_EQ(run.code, 6) << run.out << run.err;
    EXPECT_TRUE(Holds(run.err, "Error encountered while accessing the com port."));
    EXPECT_TRUE(Holds(run.err, "Reason: " + port.toStdString() + " cannot be opened: "));
    EXPECT_TRUE(Holds(run.err, reason));
  }

  // Two boards at once, one over each kind of server port; the first one's server goes away
  // in the middle of its file, the second one's board is programmed all the same.
  SimulatedTarget first({"--delay-ms", "5"});
  SimulatedTarget second({});
  ASSERT_TRUE(first.Started() && second.Started());
  PortServer one(first.Device());
  PortServer two(second.Device());
  ASSERT_TRUE(one.Started() && two.Started());
  Cli cli({"download", "--flash", app, "--port", one.Rfc2217(), "--port", two.Socket(), "--log",
           Path("b.log")});
  const bool killed = cli.WaitFor("[" + one.Rfc2217().toStdString() + "] FLASH 10 %");
  one.Kill();
  const Ended run = cli.Wait();
  EXPECT_TRUE(killed);
  EXPECT_EQ(run.code, 6) << run.out << run.err;
  EXPECT_TRUE(Holds(run.err, "Error encountered while downloading the firmware file."));
  EXPECT_TRUE(
      Holds(run.err, "Reason: " + one.Rfc2217().toStdString() + " failed: 127.0.0.1 port "));
  EXPECT_TRUE(Holds(second.Received(), ":00000001FF"));
}

// --reset: the lines' commands over RFC 2217, in order and before any byte; a port whose
// lines cannot be set ends before anything is sent.
TEST_F(CliOverSer2net, ResetLinesOverRfc2217OrAClearFailureWithoutThem) {
  const QString app = HexFile("app.hex", 2);
  RecordingComPortServer recording(true);
  const Ended pulsed = RunCli({"download", "--port", recording.Address(), "--flash", app, "--wait",
                               "--reset", "both", "--reset-ms", "50", "--timeout", "1"});
  EXPECT_EQ(pulsed.code, 4) << pulsed.err;  // the recording server has no target behind it
  const std::string commands = recording.received;
  std::size_t at = commands.find("\xFF\xFA\x2C\x05\x02\xFF\xF0");  // XON/XOFF, at the opening
  for (const char control : {'\x08', '\x0B', '\x09', '\x0C'}) {    // DTR, RTS on; DTR, RTS off
    const std::size_t next = commands.find("\xFF\xFA\x2C\x05" + std::string(1, control), at);
    ASSERT_NE(next, std::string::npos) << int(control);
    EXPECT_GT(next, at);
    at = next;
  }

  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());
  PortServer server(target.Device());
  ASSERT_TRUE(server.Started());
  for (const QString& port : {QString::fromStdString(target.Device()), server.Rfc2217()}) {
    SCOPED_TRACE(port.toStdString());
    const Ended run =
        RunCli({"download", "--port", port, "--flash", app, "--wait", "--reset", "dtr"});
    EXPECT_EQ(run.code, 6) << run.err;
    EXPECT_TRUE(Holds(run.err, port.toStdString() + " cannot set DTR: "));
  }
  EXPECT_EQ(target.Received(), "");
}

}  // namespace
}  // namespace tarnwick
