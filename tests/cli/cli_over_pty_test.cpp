// tarnwick-cli as a user or a build server runs it, against simulated targets on
// pseudo-terminals, in real time.
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/cli_process.h"
#include "tests/support/simulated_target.h"
#include "tools/target-sim/hex_records.h"

namespace tarnwick {
namespace {

using testing::SimulatedTarget;

using testing::Cli;
using testing::Finished;
using testing::ReadFile;
using testing::RunCli;

class CliOverPty : public ::testing::Test {
 protected:
  // A HEX file of `records` data records and the end-of-file record.
  QString HexFile(const char* name, int records) {
    return testing::WriteHexFile(folder_.filePath(name), records);
  }
  QString TextFile(const char* name, const std::string& text) {
    const QString path = folder_.filePath(name);
    std::ofstream(path.toStdString(), std::ios::binary) << text;
    return path;
  }
  // A download to `target` at 115200 baud unless `more` gives a rate.
  static QStringList Download(const SimulatedTarget& target, const QStringList& more) {
    QStringList args{"download", "--port", QString::fromStdString(target.Device())};
    if (!more.contains("--baud"))
      args << "--baud"
           << "115200";
    return args + more;
  }
  QTemporaryDir folder_;
};

bool AllJson(const std::string& out) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line.front() != '{' || line.back() != '}') return false;
  }
  return !out.empty();
}

struct Case {
  const char* name;
  QStringList target;
  QStringList options;  // besides the port and the rate
  int code;
  std::vector<std::string> shown;   // on standard output
  std::vector<std::string> errors;  // on standard error
};
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class CliDownloads : public CliOverPty, public ::testing::WithParamInterface<Case> {};

TEST_P(CliDownloads, EndAsTheWindowWouldWithTheirOwnExitCode) {
  SimulatedTarget target(GetParam().target);
  ASSERT_TRUE(target.Started());
  QStringList options;
  for (const QString& option : GetParam().options) {
    options << (option == "APP"   ? HexFile("app.hex", 6)
                : option == "EEP" ? HexFile("data.eep", 3)
                                  : option);
  }
  const Finished run = RunCli(Download(target, options));
  EXPECT_EQ(run.code, GetParam().code) << run.out << run.err;
  for (const std::string& text : GetParam().shown)
    EXPECT_NE(run.out.find(text), std::string::npos) << run.out;
  for (const std::string& text : GetParam().errors)
    EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
  // A failure's text goes to standard error; with --json, standard output is JSON alone.
  if (options.contains("--json")) {
    EXPECT_TRUE(AllJson(run.out)) << run.out;
    EXPECT_EQ(run.err, "");
  } else if (GetParam().code != 0) {
    EXPECT_EQ(run.out.find("Reason:"), std::string::npos) << run.out;
  }
}

// One case a row: the simulator's options, the command's, the exit code and what it shows.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Endings, CliDownloads, ::testing::Values(
    Case{"BothFiles", {}, {"--flash", "APP", "--eeprom", "EEP"}, 0,
         {"Flash & EEPROM Files successfully downloaded.", "EEPROM 100 %", "FLASH 100 %",
          "BootLoader Version: 1.30\n", "Sending FLASH File - lines remaining 6\n"}, {}},
    Case{"ChecksumStop", {"--checksum-error-on-line", "3"},
         {"--flash", "APP", "--on-error", "stop"}, 3,
         {"Checksum error at line 3. Continue with download? no"},
         {"Checksum error at line 3. ("}},
    Case{"ChecksumContinue", {"--checksum-error-on-line", "3"},
         {"--flash", "APP", "--on-error", "continue"}, 3,
         {"Checksum error at line 3. Continue with download? yes"},
         {"Error encountered while downloading file.", "app.hex: checksum error\n"}},
    Case{"ChecksumContinueJson", {"--checksum-error-on-line", "3", "--page-error-on-line", "5"},
         {"--flash", "APP", "--on-error", "continue", "--json"}, 3,
         {R"(app.hex","line":3,"reason":"checksum error"},{"file":")",
          R"(app.hex","line":5,"reason":"flash write error"}])"}, {}},
    Case{"PageErrorStopJson", {"--page-error-on-line", "2"}, {"--flash", "APP", "--json"}, 3,
         {R"("text":"Error writing to flash at line 2. Continue with download?","answer":"no")",
          R"(app.hex","line":2,"reason":"flash write error"},"bootloader_version":"1.30",)",
          R"(app.hex","lines":7,)"
          R"("sha256":"90be28710b5981c7680bba6b727bd834b8aefc17ddc1bfbfc65dc01ec4cecb89"}],)"
          R"("started":"20)"}, {}},
    Case{"PageErrorContinue", {"--page-error-on-line", "2"},
         {"--flash", "APP", "--on-error", "continue"}, 3,
         {"Error writing to flash at line 2. Continue with download? yes"},
         {"Continued past line 2 of "}},
    Case{"SilentLineStop", {"--silent-on-line", "2"}, {"--flash", "APP", "--on-error", "stop"}, 4,
         {"Did not receive a response after sending line 2. Continue with download? no"},
         {"Did not receive a response after sending line 2. ("}},
    Case{"JumpModeTimeout", {}, {"--flash", "APP", "--ready-char", "\\x21", "--timeout", "2"}, 4,
         {"Main code responded.  Switching to bootloader.\nRequesting Ack from target "
          "bootloader.  Try #2\n(repeated "},
         {"No ready character \"!\" from the target within 2 s. ("}},
    Case{"WaitModeTimeout", {}, {"--flash", "APP", "--wait", "--timeout=1"}, 4, {},
         {"No active character \"^\" from the target within 1 s. ("}},
    Case{"EepromRefused", {"--version", "1.20"}, {"--eeprom", "EEP", "--json"}, 5,
         {R"("text":"Embedded Bootloader Version does not support EEPROM write.")",
          R"("exit_code":5)", R"("bootloader_version":"1.20")"}, {}},
    // The handshake's bound ends with the handshake, whatever the version.
    Case{"OldVersionOutlastsTheTimeout", {"--version", "1.28", "--delay-ms", "300"},
         {"--flash", "APP", "--timeout", "1"}, 0,
         {"BootLoader Version: 1.28\n", "Flash File successfully downloaded."}, {}},
    Case{"MissingFile", {}, {"--flash", "/nonexistent.hex"}, 7, {},
         {"Error opening /nonexistent.hex.", "Reason: /nonexistent.hex: missing"}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// A copy of the program beside com<n> links, as a production line sets one up: the ports go
// by the names the user gave, in any case, each once, and `ports` lists the links.
TEST_F(CliOverPty, PortsByTheirGivenNames) {
  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());
  const QString program = folder_.filePath("tarnwick-cli");
  ASSERT_TRUE(QFile::copy(TARNWICK_CLI, program));
  ASSERT_TRUE(QFile::link(QString::fromStdString(target.Device()), folder_.filePath("com3")));
  ASSERT_TRUE(QFile::link(folder_.filePath("gone"), folder_.filePath("com4")));
  const QString app = HexFile("app.hex", 2);
  const QString device = QString::fromStdString(target.Device());
  const std::string com4 = folder_.filePath("com4").toStdString();
  const struct {
    QStringList ports;
    int code;
    std::string error;
  } kCases[] = {
      {{"Com3"}, 0, ""},
      {{"com4"}, 6, "com4 (" + com4 + ") cannot be opened: "},
      {{folder_.filePath("gone")},
       6,
       folder_.filePath("gone").toStdString() + " cannot be opened: "},
      {{"COM3", "com3"}, 2, "are the same port"},
      {{"com3", device}, 2, "are the same port"},
      {{device, device}, 2, "given twice"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.ports.join(' ').toStdString());
    QStringList args{"download", "--flash", app, "--baud", "115200"};
    for (const QString& port : c.ports) args << "--port" << port;
    const Finished run = Cli(args, program).Wait();
    EXPECT_EQ(run.code, c.code) << run.out << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Com 1"), std::string::npos) << run.err;
  }
  const Finished list = Cli({"ports"}, program).Wait();
  EXPECT_NE(list.out.find(folder_.filePath("com3").toStdString() + "\n"), std::string::npos)
      << list.out;
  const Finished json = Cli({"ports", "--json"}, program).Wait();
  EXPECT_TRUE(AllJson(json.out)) << json.out;
  EXPECT_NE(json.out.find(R"(/com4","description":"link to )"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find(R"("window":["com3"],"access":true)"), std::string::npos) << json.out;
}

TEST_F(CliOverPty, FourBoardsAtOnceOneSilent) {
  std::vector<std::unique_ptr<SimulatedTarget>> targets;
  const QString record = TextFile("boards.jsonl", "");
  QStringList args{"download", "--flash", HexFile("app.hex", 40), "--baud", "115200",
                   "--record", record};
  for (int i = 0; i < 4; ++i) {
    targets.push_back(
        std::make_unique<SimulatedTarget>(i == 2 ? QStringList{"--silent"} : QStringList{}));
    ASSERT_TRUE(targets.back()->Started());
    args << "--port" << QString::fromStdString(targets.back()->Device());
  }
  const Finished run = RunCli(args);
  EXPECT_EQ(run.code, 4) << run.out;
  // The table at the end: each port with its exit code, a failing board's row on standard
  // error.
  // The columns fit the longest port name: each code stands under EXIT.
  const std::size_t header = run.out.find("\nPORT") + 1;
  const std::size_t exitColumn = run.out.find("EXIT", header) - header;
  for (int i = 0; i < 4; ++i) {
    const std::string table = "\n" + (i == 2 ? run.err : run.out.substr(run.out.find("PORT")));
    const std::size_t rowStart = table.find("\n" + targets[i]->Device() + " ") + 1;
    EXPECT_EQ(table.find_first_not_of(' ', rowStart + targets[i]->Device().size()) - rowStart,
              exitColumn)
        << table;
    const std::size_t at = table.find("\n" + targets[i]->Device() + " ");
    ASSERT_NE(at, std::string::npos) << table;
    std::istringstream row(table.substr(at + 1));
    std::string device;
    int code = -1;
    row >> device >> code;
    EXPECT_EQ(code, i == 2 ? 4 : 0) << table;
    EXPECT_EQ(targets[i]->Received().find(":00000001FF") != std::string::npos, i != 2);
  }
  EXPECT_EQ(targets[2]->Received(), "$@&$$@&$$@&$");  // three requests, each its own wait
  EXPECT_NE(run.err.find("No response from target bootloader."), std::string::npos);
  // The boards appended to one record at once: a whole line each, none torn.
  std::istringstream lines(ReadFile(record));
  std::map<std::string, int> recorded;
  for (std::string line; std::getline(lines, line);) {
    const QJsonObject board = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    ASSERT_FALSE(board.isEmpty()) << line;
    EXPECT_EQ(board.value("files").toArray().size(), 1) << line;
    recorded[board.value("port").toString().toStdString()] = board.value("exit_code").toInt(-1);
  }
  ASSERT_EQ(recorded.size(), 4u) << ReadFile(record);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(recorded[targets[i]->Device()], i == 2 ? 4 : 0);
}

// The process id of the board process that serves `device`, 0 when there is none.
pid_t BoardProcess(const std::string& device) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    std::string args(std::istreambuf_iterator<char>(in), {});
    std::replace(args.begin(), args.end(), '\0', ' ');
    if (args.find("--no-check") != std::string::npos && args.find(device) != std::string::npos) {
      return static_cast<pid_t>(std::stol(entry.path().filename().string()));
    }
  }
  return 0;
}

// Outcome events of the boards, one a port, from the output of several boards with --json.
std::vector<std::string> Outcomes(const std::string& out) {
  std::vector<std::string> outcomes;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(R"({"event":"outcome")", 0) == 0) outcomes.push_back(line);
  }
  return outcomes;
}

TEST_F(CliOverPty, ABoardKilledByASignalHasAnOutcomeAndACodeOfItsOwn) {
  SimulatedTarget good({});
  SimulatedTarget silent({"--silent"});
  ASSERT_TRUE(good.Started() && silent.Started());
  Cli cli({"download", "--flash", HexFile("app.hex", 3), "--json", "--port",
           QString::fromStdString(good.Device()), "--port",
           QString::fromStdString(silent.Device())});
  ASSERT_TRUE(cli.WaitFor(R"("port":")" + silent.Device() + R"(","text":"Requesting Ack)"));
  const pid_t board = BoardProcess(silent.Device());
  ASSERT_NE(board, 0);
  // SIGKILL: a crash (SIGSEGV) would be caught by AddressSanitizer's handler in a sanitizer
  // build, and the process would exit instead.
  ::kill(board, SIGKILL);
  const Finished run = cli.Wait();
  EXPECT_EQ(run.code, 10) << run.out << run.err;
  EXPECT_NE(run.out.find(R"("port":")" + silent.Device() +
                         R"(","text":"The download process was ended by signal 9.","reason":"",)"
                         R"("exit_code":10)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(Outcomes(run.out).size(), 2u) << run.out;
  // The board that ended well is passed on whole, version and files included.
  EXPECT_NE(run.out.find(R"("port":")" + good.Device() +
                         R"(","text":"Flash File successfully downloaded.")"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(R"("bootloader_version":"1.30","files":[{"path":")"), std::string::npos)
      << run.out;
}

// With too few file descriptors for their pipes, some boards' processes cannot start: each is
// a board that has ended, and the run ends with the first failing board's code.
TEST_F(CliOverPty, BoardsWhoseProcessCannotStartEndTheirOwnWay) {
  const QStringList ports{"--port", folder_.filePath("a"), "--port", folder_.filePath("b"),
                          "--port", folder_.filePath("c")};
  const Finished run = Cli(QStringList{"-c", "ulimit -n 14; exec \"$0\" \"$@\"", TARNWICK_CLI,
                                       "download", "--flash", HexFile("app.hex", 2), "--json"} +
                               ports,
                           "/bin/sh")
                           .Wait();
  const std::vector<std::string> outcomes = Outcomes(run.out);
  ASSERT_EQ(outcomes.size(), 3u) << run.out << run.err;
  EXPECT_NE(run.out.find("The download process could not be started."), std::string::npos)
      << run.out;
  for (const std::string& outcome : outcomes) {
    if (outcome.find(folder_.filePath("a").toStdString()) == std::string::npos) continue;
    EXPECT_NE(outcome.find(R"("exit_code":)" + std::to_string(run.code) + ","), std::string::npos)
        << outcome;
  }
}

// Its boards stop as on Ctrl+C when the parent is killed, even by SIGKILL: each ends with 8,
// its record written and its file's end never sent.
TEST_F(CliOverPty, BoardsStopWhenTheirParentIsKilled) {
  SimulatedTarget first({"--delay-ms", "20"});
  SimulatedTarget second({"--delay-ms", "20"});
  ASSERT_TRUE(first.Started() && second.Started());
  const QString record = folder_.filePath("boards.jsonl");
  Cli cli({"download", "--flash", HexFile("app.hex", 400), "--baud", "115200", "--record", record,
           "--port", QString::fromStdString(first.Device()), "--port",
           QString::fromStdString(second.Device())});
  ASSERT_TRUE(cli.WaitFor("FLASH"));
  cli.Signal(SIGKILL);
  cli.Wait();
  std::string lines;
  for (int i = 0; i < 200 && std::count(lines.begin(), lines.end(), '\n') < 2; ++i) {
    QThread::msleep(100);
    lines = ReadFile(record);
  }
  std::istringstream records(lines);
  int stopped = 0;
  for (std::string line; std::getline(records, line);) {
    stopped += line.find(R"("exit_code":8,)") != std::string::npos;
  }
  EXPECT_EQ(stopped, 2) << lines;
  for (const SimulatedTarget* target : {&first, &second}) {
    EXPECT_EQ(target->Received().find(":00000001FF"), std::string::npos);
  }
}

// An output whose reader has gone (`| head -n 3`) stops nothing: every board is programmed
// and the exit code is the download's.
TEST_F(CliOverPty, AClosedOutputStopsNoBoard) {
  const QString app = HexFile("app.hex", 40);
  for (const int boards : {1, 2}) {
    SCOPED_TRACE(boards);
    std::vector<std::unique_ptr<SimulatedTarget>> targets;
    QStringList args{"-c",         R"("$0" "$@" | head -n 3 >/dev/null; exit "${PIPESTATUS[0]}")",
                     TARNWICK_CLI, "download",
                     "--flash",    app,
                     "--baud",     "115200",
                     "--json"};
    for (int i = 0; i < boards; ++i) {
      targets.push_back(std::make_unique<SimulatedTarget>(QStringList{}));
      ASSERT_TRUE(targets.back()->Started());
      args << "--port" << QString::fromStdString(targets.back()->Device());
    }
    const Finished run = Cli(args, "/bin/bash").Wait();
    EXPECT_EQ(run.code, 0) << run.err;
    for (const auto& target : targets) {
      EXPECT_NE(target->Received().find(":00000001FF"), std::string::npos);
    }
  }
}

// A stop (Ctrl+C, SIGTERM, or SIGHUP from a closed terminal) ends the run wherever it comes:
// in the handshake, in the lines, in a file's verdict wait (which looks at no Cancel) and at a
// y/N question. "Stopped." is all it says (no question answered "no"), the exit code is 8 and
// nothing more goes to the line: no second request, no file end that was not sent already.
TEST_F(CliOverPty, AStopEndsTheRunWhereverItComes) {
  const struct {
    const char* phase;
    QStringList target;
    QStringList more;
    std::string shown;  // on standard output when the stop comes
    int signal;
    bool endSent;  // the file's end record had gone out before the stop
  } stops[] = {
      {"handshake", {"--silent"}, {}, "Try #1", SIGINT, false},
      {"lines", {"--delay-ms", "20"}, {}, "FLASH", SIGTERM, false},
      {"file verdict", {"--silent-at-eof"}, {}, "FLASH 100 %", SIGTERM, true},
      {"question",
       {"--checksum-error-on-line", "2"},
       {"--on-error", "ask"},
       "download? [y/N]",
       SIGHUP,
       false},
  };
  for (const auto& stop : stops) {
    SCOPED_TRACE(stop.phase);
    SimulatedTarget target(stop.target);
    ASSERT_TRUE(target.Started());
    Cli cli(Download(target, QStringList{"--flash", HexFile("app.hex", 400)} + stop.more));
    ASSERT_TRUE(cli.WaitFor(stop.shown));
    cli.Signal(stop.signal);
    const Finished run = cli.Wait();
    EXPECT_EQ(run.code, 8) << run.out << run.err;
    EXPECT_NE(run.err.find("Stopped."), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("download? no"), std::string::npos) << run.out;
    const std::string received = target.Received();
    EXPECT_EQ(received.find(":00000001FF") != std::string::npos, stop.endSent);
    EXPECT_EQ(received.find("$@&$$@&$"), std::string::npos);  // one request, not a second
  }
}

TEST_F(CliOverPty, CheckReportsFaultsOnStandardErrorOrAsJson) {
  const QString good = HexFile("app.hex", 3);
  const QString bad = TextFile("bad.hex", ":0400000001020304F3\r\n:00000001FF\r\n");
  const Finished check = RunCli({"check", good, bad});
  EXPECT_EQ(check.code, 9);
  EXPECT_EQ(check.out, good.toStdString() + ": clean\n");
  EXPECT_NE(check.err.find(bad.toStdString() + ":1: checksum is F3, should be F2"),
            std::string::npos);
  const Finished summary = RunCli({"check", "--summary", good});
  EXPECT_EQ(summary.out,
            good.toStdString() + ": 4 records, 48 data bytes, addresses 0x0000-0x002F\n");
  const Finished json = RunCli({"check", "--json", good, bad});
  EXPECT_EQ(json.code, 9);
  EXPECT_TRUE(AllJson(json.out)) << json.out;
  EXPECT_EQ(json.err, "");
  EXPECT_NE(json.out.find(R"("event":"check_fault","file":")" + bad.toStdString() +
                          R"(","line":1,"text":"checksum is F3, should be F2")"),
            std::string::npos)
      << json.out;
  EXPECT_NE(
      json.out.find(R"("passed":true,"records":4,"data_bytes":48,"ranges":[{"start":0,"end":47}])"),
      std::string::npos)
      << json.out;
}

TEST_F(CliOverPty, DownloadChecksItsFilesFirstUnlessToldNot) {
  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());
  const QString bad = TextFile("bad.hex", ":0400000001020304F3\r\n:00000001FF\r\n");
  struct Refused {
    QString file;
    std::string fault;
  };
  for (const Refused& refused : std::vector<Refused>{
           {bad, ":1: checksum is F3, should be F2"},
           {TextFile("empty.hex", ""), ": empty: no records"},
           {TextFile("nodata.hex", ":00000001FF\n"), ": no data records"},
           {HexFile("long.hex", 32767), ": 32768 lines, more than the 32767 a download can send"},
       }) {
    SCOPED_TRACE(refused.fault);
    const Finished run = RunCli(Download(target, {"--flash", refused.file}));
    EXPECT_EQ(run.code, 9) << run.out << run.err;
    EXPECT_NE(run.err.find(refused.file.toStdString() + refused.fault), std::string::npos)
        << run.err;
  }
  const Finished json = RunCli(Download(target, {"--flash", bad, "--json"}));
  EXPECT_TRUE(AllJson(json.out)) << json.out;
  EXPECT_NE(json.out.find(R"("event":"check_fault")"), std::string::npos) << json.out;
  EXPECT_EQ(target.Received(), "");

  RunCli(Download(target, {"--flash", bad, "--no-check", "--on-error", "stop"}));
  EXPECT_NE(target.Received().find(":0400000001020304F3"), std::string::npos);
}

TEST_F(CliOverPty, BadUsageGetsOneLineAndSendsNothing) {
  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());
  const QString app = HexFile("app.hex", 2);
  const std::string firmware = ReadFile(app);
  const QString port = QString::fromStdString(target.Device());
  const QString settings = TextFile("tarnwick.txt", "");
  const QString linked = folder_.filePath("linked.hex");
  QFile::link(app, linked);
  const std::vector<QStringList> usages = {
      {"download", "--port", port, "--flash", app, "--colour"},
      {"download", "--port", port, "--flash"},
      {"download", "--port", port, "--flash", app, "--baud", "0"},
      {"download", "--port", port, "--flash", app, "--baud", "fast"},
      {"download", "--port", port, "--flash", app, "--flash", app},
      {"download", "--port", port, "--flash", app, "--ready-char", "?", "--ready-char=!"},
      {"download", "--port", port, "--flash", app, "--json=yes"},
      {"download", "--port", port, "--flash", app, "--", app},
      {"download", "--port", "ttyUSB0", "--flash", app},
      {"download", "--port", "com9", "--flash", app},
      {"download", "--port", port},
      {"download", "--port", port, "--flash", app, "--ready-char", "\u20ac"},
      {"download", "--port", port, "--flash", app, "--settings", folder_.filePath("none.txt")},
      {"download", "--port", port, "--flash", app, "--settings",
       TextFile("short.txt", "0\r\n5\r\n")},
      // A log over an input would empty it; two boards must not write one log.
      {"download", "--port", port, "--flash", app, "--log", app},
      {"download", "--port", port, "--flash", app, "--log", linked},
      {"download", "--port", port, "--flash", app, "--record", linked},
      {"download", "--port", port, "--flash", app, "--log", folder_.filePath("no/../app.hex")},
      {"download", "--port", port, "--eeprom", "new.eep", "--log", "./new.eep"},
      {"download", "--port", port, "--flash", app, "--settings", settings, "--log", settings},
      {"download", "--port", "/a/b", "--port", "/a_b", "--flash", app, "--log", "x.log"},
      // The reset lines: a line of none, a hold out of range, and without --wait.
      {"download", "--port", port, "--flash", app, "--wait", "--reset", "dsr"},
      {"download", "--port", port, "--flash", app, "--wait", "--reset-ms", "0"},
      {"download", "--port", port, "--flash", app, "--wait", "--reset-ms", "10001"},
      {"download", "--port", port, "--flash", app, "--wait", "--reset-ms", "5x"},
      {"download", "--port", port, "--flash", app, "--reset", "dtr"},
      {"frobnicate"},
  };
  for (const QStringList& args : usages) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const Finished run = RunCli(args);
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err.rfind("tarnwick-cli: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(target.Received(), "");
  EXPECT_EQ(ReadFile(app), firmware);
}

TEST_F(CliOverPty, TakesAnyRateEscapedCharactersAndEitherOptionForm) {
  SimulatedTarget target({"--ready-char", "\\x21"});
  ASSERT_TRUE(target.Started());
  const QString log = folder_.filePath("bytes.log");
  const Finished run = RunCli({"download", "--port=" + QString::fromStdString(target.Device()),
                               "--flash=" + HexFile("app.hex", 2), "--baud", "250000",
                               "--ready-char", "\\x21", "--log", log, "--quiet", "--json", "--"});
  EXPECT_EQ(run.code, 0) << run.out << run.err;
  EXPECT_NE(ReadFile(log).find(" = baud 250000\n"), std::string::npos) << ReadFile(log);
  // --quiet with --json: the outcome's object alone.
  EXPECT_EQ(run.out.rfind("{\"event\":\"outcome\"", 0), 0u) << run.out;
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;
}

TEST_F(CliOverPty, HelpOfEachCommandAndFileProblemsByName) {
  for (const QStringList& args : std::vector<QStringList>{
           {"download", "--help"}, {"download", "--port", "com1", "-h"}, {"check", "--help"}}) {
    const Finished run = RunCli(args);
    EXPECT_EQ(run.code, 0) << args.join(' ').toStdString();
    EXPECT_NE(run.out.find("Usage:"), std::string::npos);
  }
  const QString dashed = TextFile("-dashed.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
  const Finished check =
      RunCli({"check", "--", dashed, folder_.filePath("none.hex"), folder_.path()});
  EXPECT_EQ(check.code, 7);
  const std::string all = check.out + check.err;
  EXPECT_NE(all.find(dashed.toStdString() + ": clean"), std::string::npos) << all;
  EXPECT_NE(all.find("none.hex: missing"), std::string::npos) << all;
  EXPECT_NE(all.find(folder_.path().toStdString() + ": not a regular file"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
