// tarnwick-cli as a user or a build server runs it, against simulated targets on
// pseudo-terminals, in real time.
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/cli_process.h"
#include "tests/support/simulated_target.h"
#include "tests/support/text_checks.h"
#include "tools/target-sim/hex_records.h"

namespace tarnwick {
namespace {

using testing::Cli;
using testing::Finished;
using testing::Holds;
using testing::ReadFile;
using testing::RunCli;
using testing::SimulatedTarget;
using Targets = std::vector<std::unique_ptr<SimulatedTarget>>;

class CliOverPty : public testing::CliTest {
 protected:
  // A download to `target` at 115200 baud unless `more` gives a rate.
  static QStringList Download(const SimulatedTarget& target, const QStringList& more) {
    QStringList args{"download", "--port", QString::fromStdString(target.Device())};
    if (!more.contains("--baud"))
      args << "--baud"
           << "115200";
    return args + more;
  }
  // A simulated target for each of `options`, each added to `args` as a board's port.
  static Targets Boards(const std::vector<QStringList>& options, QStringList& args) {
    Targets targets;
    for (const QStringList& target : options) {
      targets.push_back(std::make_unique<SimulatedTarget>(target));
      EXPECT_TRUE(targets.back()->Started());
      args << "--port" << QString::fromStdString(targets.back()->Device());
    }
    return targets;
  }
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
  // What the target receives first; when `whole`, all it receives before the records of APP,
  // which follow and end what it receives.
  std::string sent = "";
  bool whole = false;
  std::string stopAt = "";  // on standard output when the run is stopped by `signal`
  int signal = 0;
};
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class CliDownloads : public CliOverPty, public ::testing::WithParamInterface<Case> {};

TEST_P(CliDownloads, EndAsTheWindowWouldWithTheirOwnExitCode) {
  const Case& c = GetParam();
  const QString lineSettings = Path("line-settings");
  SimulatedTarget target(c.target + QStringList{"--report-line-settings", lineSettings});
  ASSERT_TRUE(target.Started());
  const QStringList options = WithFiles(c.options);
  const QStringList args = Download(target, options);
  Cli cli(args);
  if (c.signal != 0) {
    ASSERT_TRUE(cli.WaitFor(c.stopAt));
    cli.Signal(c.signal);
  }
  const Finished run = cli.Wait();
  EXPECT_EQ(run.code, c.code) << run.out << run.err;
  for (const std::string& text : c.shown) EXPECT_TRUE(Holds(run.out, text));
  for (const std::string& text : c.errors) EXPECT_TRUE(Holds(run.err, text));
  // A failure's text goes to standard error; with --json, standard output is JSON alone.
  if (options.contains("--json")) {
    EXPECT_TRUE(AllJson(run.out)) << run.out;
    EXPECT_EQ(run.err, "");
  } else if (c.code != 0) {
    EXPECT_EQ(run.out.find("Reason:"), std::string::npos) << run.out;
  }
  const std::string received = target.Received();
  const std::vector<std::string> app = sim::MakeHexRecords(6);
  EXPECT_EQ(c.whole ? received : received.substr(0, c.sent.size()),
            c.whole ? std::accumulate(app.begin(), app.end(), c.sent) : c.sent);
  // A stop answers no question, and nothing more goes to the line: no second request, no file
  // end that was not sent already.
  if (c.signal != 0) {
    EXPECT_EQ(run.out.find("download? no"), std::string::npos) << run.out;
    EXPECT_EQ(received.find("$@&$$@&$"), std::string::npos) << received;
    EXPECT_EQ(received.find(":00000001FF") != std::string::npos, c.whole) << received;
  }
  // A download that went well had the line set as it must be: its rate, 8 data bits, no
  // parity, 1 stop bit and XON/XOFF, as the target sees the line at its last change before
  // the close, which gives the line its first settings back.
  if (c.code == 0) {
    std::vector<std::string> lines;
    std::istringstream reported(ReadFile(lineSettings));
    for (std::string line; std::getline(reported, line);) lines.push_back(line);
    ASSERT_GT(lines.size(), 1u);
    if (lines.back() == lines.front()) lines.pop_back();
    EXPECT_EQ(lines.back(), "baud " + args[args.indexOf("--baud") + 1].toStdString() +
                                " data 8 parity none stop 1 xonxoff on");
  }
}

const std::string kDone = "Flash File successfully downloaded.";
const std::string kJump = "$@&$";
const std::string kVersion = "BootLoader Version: 1.30\n";
const QStringList kGap = {"--reply-byte-gap", "3"};
const QStringList kReset = {"--reset-after-ms", "300"};
const QStringList kJumpTime = {"--jump-ms", "10"};

// A download of APP at `rate` from a target that answers no faster than a line at that rate
// would carry its bytes, in wait mode when `wait`. It succeeds, and the target receives the
// requests `sent` and the records, nothing more.
Case Paced(const char* name, const char* rate, const QStringList& target, bool wait,
           const std::string& sent) {
  Case paced{name, {"--pace", rate}, {"--flash", "APP", "--baud", rate}, 0, {kDone}, {}, sent};
  paced.target << target;
  if (wait) paced.options << "--wait";
  paced.whole = true;
  return paced;
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
         {"Error opening /nonexistent.hex.", "Reason: /nonexistent.hex: missing"}},
    // The ready answer as adapters hand it over, in one piece or a byte at a time (so split
    // after the ready character, after the V and inside the number), in both modes and
    // without a version; protocol characters go to the line as one 8-bit byte each. Wait mode
    // sends nothing before the reset. At 1200 baud the quiet gap that ends a reply is far
    // above the simulator's byte gap, however busy the machine.
    Case{"ReplyWhole", {}, {"--flash", "APP", "--baud", "1200"}, 0, {kVersion, kDone}, {}, kJump},
    Case{"ReplyByteByByte", {"--reply-byte-gap", "4"}, {"--flash", "APP", "--baud", "1200"}, 0,
         {kVersion, kDone}, {}, kJump},
    Case{"WaitModeReplyByteByByte", {"--reply-byte-gap", "4", "--reset-after-ms", "1500"},
         {"--flash", "APP", "--baud", "1200", "--wait"}, 0, {kVersion, kDone}, {}, "@&$", true},
    Case{"NoVersion", {"--reply-byte-gap", "4", "--no-version"},
         {"--flash", "APP", "--baud", "1200"}, 0,
         {"Switching to bootloader.\nOpening the file", kDone}, {}, kJump},
    Case{"EightBitCharacters", {"--jump-command", "\\xE9", "--line-complete-char", "\\xB5"},
         {"--flash", "APP", "--baud", "1200", "--jump-command", "\xC3\xA9", "--line-ok",
          "\xC2\xB5"}, 0, {kDone}, {}, "\xE9@&$"},
    // At real line rates the answers come late and in pieces: the application's active
    // character first, the bootloader's ready answer a few character times later. A request
    // goes out only when the last one has really gone unanswered: once when the target
    // answers it, twice when the application's jump swallows the start sequence that came
    // with the jump command.
    Paced("Jump9600", "9600", {}, false, kJump),
    Paced("Jump9600InPieces", "9600", kGap, false, kJump),
    Paced("Jump19200", "19200", {}, false, kJump),
    Paced("Jump19200InPieces", "19200", kGap, false, kJump),
    Paced("Jump115200", "115200", {}, false, kJump),
    Paced("Jump115200InPieces", "115200", kGap, false, kJump),
    Paced("JumpSwallows9600", "9600", kJumpTime, false, kJump + kJump),
    Paced("JumpSwallows115200InPieces", "115200", kJumpTime + kGap, false, kJump + kJump),
    Paced("Wait9600InPieces", "9600", kReset + kGap, true, "@&$"),
    Paced("Wait115200", "115200", kReset, true, "@&$"),
    // A stop (Ctrl+C, SIGTERM, or SIGHUP from a closed terminal) ends the run wherever it
    // comes: in the handshake, in the lines, in a file's verdict wait (which looks at no
    // Cancel) and at a y/N question, and "Stopped." is all it says.
    // The status of the first request is shown before the request goes out.
    Case{"StopInTheHandshake", {"--silent"}, {"--flash", "APP"}, 8, {}, {"Stopped."}, "", false,
         "Try #1", SIGINT},
    Case{"StopInTheLines", {"--delay-ms", "20"}, {"--flash", "BIG"}, 8, {}, {"Stopped."}, kJump,
         false, "FLASH", SIGTERM},
    Case{"StopInTheFileVerdictWait", {"--silent-at-eof"}, {"--flash", "APP"}, 8, {}, {"Stopped."},
         kJump, true, "FLASH 100 %", SIGTERM},
    Case{"StopAtAQuestion", {"--checksum-error-on-line", "2"}, {"--flash", "APP", "--on-error",
         "ask"}, 8, {}, {"Stopped."}, kJump, false, "download? [y/N]", SIGHUP}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// A copy of the program beside com<n> links, as a production line sets one up: the ports go
// by the names the user gave, in any case, each once, and `ports` lists the links.
TEST_F(CliOverPty, PortsByTheirGivenNames) {
  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());
  const QString program = Path("tarnwick-cli");
  ASSERT_TRUE(QFile::copy(TARNWICK_CLI, program));
  ASSERT_TRUE(QFile::link(QString::fromStdString(target.Device()), Path("com3")));
  ASSERT_TRUE(QFile::link(Path("gone"), Path("com4")));
  const QString app = HexFile("app.hex", 2);
  const QString device = QString::fromStdString(target.Device());
  const std::string com4 = Path("com4").toStdString();
  const struct {
    QStringList ports;
    int code;
    std::string error;
  } kCases[] = {
      {{"Com3"}, 0, ""},
      {{"com4"}, 6, "com4 (" + com4 + ") cannot be opened: "},
      {{Path("gone")}, 6, Path("gone").toStdString() + " cannot be opened: "},
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
    EXPECT_TRUE(Holds(run.err, c.error));
    EXPECT_EQ(run.err.find("Com 1"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(Holds(Cli({"ports"}, program).Wait().out, Path("com3").toStdString() + "\n"));
  const Finished json = Cli({"ports", "--json"}, program).Wait();
  EXPECT_TRUE(AllJson(json.out)) << json.out;
  EXPECT_TRUE(Holds(json.out, R"(/com4","description":"link to )"));
  EXPECT_TRUE(Holds(json.out, R"("window":["com3"],"access":true)"));
}

// The exit code that the record at `path` holds for each port. The boards append to one record
// at once: each line must be a whole board's object, none torn.
std::map<std::string, int> RecordedCodes(const QString& path) {
  std::istringstream lines(ReadFile(path));
  std::map<std::string, int> recorded;
  for (std::string line; std::getline(lines, line);) {
    const QJsonObject board = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    EXPECT_EQ(board.value("files").toArray().size(), 1) << line;
    recorded[board.value("port").toString().toStdString()] = board.value("exit_code").toInt(-1);
  }
  return recorded;
}

TEST_F(CliOverPty, FourBoardsAtOnceOneSilent) {
  const QString record = TextFile("boards.jsonl", "");
  QStringList args{"download", "--flash", HexFile("app.hex", 40), "--baud", "115200",
                   "--record", record};
  const Targets targets = Boards({{}, {}, {"--silent"}, {}}, args);
  const Finished run = RunCli(args);
  EXPECT_EQ(run.code, 4) << run.out;
  // The table at the end: each port with its exit code, a failing board's row on standard
  // error. The columns fit the longest port name: each code stands under EXIT.
  const std::size_t header = run.out.find("\nPORT") + 1;
  const std::size_t exitColumn = run.out.find("EXIT", header) - header;
  std::map<std::string, int> expected;
  for (int i = 0; i < 4; ++i) {
    const std::string& device = targets[i]->Device();
    const std::string table = "\n" + (i == 2 ? run.err : run.out.substr(run.out.find("PORT")));
    const std::size_t at = table.find("\n" + device + " ");
    ASSERT_NE(at, std::string::npos) << table;
    EXPECT_EQ(table.find_first_not_of(' ', at + 1 + device.size()) - (at + 1), exitColumn) << table;
    int code = -1;
    std::istringstream(table.substr(at + 1 + device.size())) >> code;
    expected[device] = i == 2 ? 4 : 0;
    EXPECT_EQ(code, expected[device]) << table;
    EXPECT_EQ(targets[i]->Received().find(":00000001FF") != std::string::npos, i != 2);
  }
  EXPECT_EQ(targets[2]->Received(), "$@&$$@&$$@&$");  // three requests, each its own wait
  EXPECT_TRUE(Holds(run.err, "No response from target bootloader."));
  EXPECT_EQ(RecordedCodes(record), expected) << ReadFile(record);
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
  QStringList args{"download", "--flash", HexFile("app.hex", 3), "--json"};
  const Targets targets = Boards({{}, {"--silent"}}, args);
  const SimulatedTarget &good = *targets[0], &silent = *targets[1];
  Cli cli(args);
  ASSERT_TRUE(cli.WaitFor(R"("port":")" + silent.Device() + R"(","text":"Requesting Ack)"));
  const pid_t board = BoardProcess(silent.Device());
  ASSERT_NE(board, 0);
  // SIGKILL: a crash (SIGSEGV) would be caught by AddressSanitizer's handler in a sanitizer
  // build, and the process would exit instead.
  ::kill(board, SIGKILL);
  const Finished run = cli.Wait();
  EXPECT_EQ(run.code, 10) << run.out << run.err;
  EXPECT_TRUE(Holds(run.out, R"("port":")" + silent.Device() +
                                 R"(","text":"The download process was ended by signal 9.",)"
                                 R"("reason":"","exit_code":10)"));
  EXPECT_EQ(Outcomes(run.out).size(), 2u) << run.out;
  // The board that ended well is passed on whole, version and files included.
  EXPECT_TRUE(Holds(run.out, R"("port":")" + good.Device() +
                                 R"(","text":"Flash File successfully downloaded.")"));
  EXPECT_TRUE(Holds(run.out, R"("bootloader_version":"1.30","files":[{"path":")"));
}

// With too few file descriptors for their pipes, some boards' processes cannot start: each is
// a board that has ended, and the run ends with the first failing board's code.
TEST_F(CliOverPty, BoardsWhoseProcessCannotStartEndTheirOwnWay) {
  const QStringList ports{"--port", Path("a"), "--port", Path("b"), "--port", Path("c")};
  const Finished run = Cli(QStringList{"-c", "ulimit -n 14; exec \"$0\" \"$@\"", TARNWICK_CLI,
                                       "download", "--flash", HexFile("app.hex", 2), "--json"} +
                               ports,
                           "/bin/sh")
                           .Wait();
  const std::vector<std::string> outcomes = Outcomes(run.out);
  ASSERT_EQ(outcomes.size(), 3u) << run.out << run.err;
  EXPECT_TRUE(Holds(run.out, "The download process could not be started."));
  for (const std::string& outcome : outcomes) {
    if (outcome.find(Path("a").toStdString()) == std::string::npos) continue;
    EXPECT_TRUE(Holds(outcome, R"("exit_code":)" + std::to_string(run.code) + ","));
  }
}

// Its boards stop as on Ctrl+C when the parent is killed, even by SIGKILL: each ends with 8,
// its record written and its file's end never sent.
TEST_F(CliOverPty, BoardsStopWhenTheirParentIsKilled) {
  const QString record = Path("boards.jsonl");
  QStringList args{"download", "--flash", HexFile("app.hex", 400), "--baud", "115200",
                   "--record", record};
  const Targets targets = Boards({{"--delay-ms", "20"}, {"--delay-ms", "20"}}, args);
  Cli cli(args);
  ASSERT_TRUE(cli.WaitFor("FLASH"));
  cli.Signal(SIGKILL);
  cli.Wait();
  std::string lines;
  for (int i = 0; i < 200 && std::count(lines.begin(), lines.end(), '\n') < 2; ++i) {
    QThread::msleep(100);
    lines = ReadFile(record);
  }
  EXPECT_EQ(RecordedCodes(record),
            (std::map<std::string, int>{{targets[0]->Device(), 8}, {targets[1]->Device(), 8}}))
      << lines;
  for (const auto& target : targets) {
    EXPECT_EQ(target->Received().find(":00000001FF"), std::string::npos);
  }
}

// An output whose reader has gone (`| head -n 3`) stops nothing: every board is programmed
// and the exit code is the download's.
TEST_F(CliOverPty, AClosedOutputStopsNoBoard) {
  const QString app = HexFile("app.hex", 40);
  for (const int boards : {1, 2}) {
    SCOPED_TRACE(boards);
    QStringList args{"-c",         R"("$0" "$@" | head -n 3 >/dev/null; exit "${PIPESTATUS[0]}")",
                     TARNWICK_CLI, "download",
                     "--flash",    app,
                     "--baud",     "115200",
                     "--json"};
    const Targets targets = Boards(std::vector<QStringList>(boards), args);
    const Finished run = Cli(args, "/bin/bash").Wait();
    EXPECT_EQ(run.code, 0) << run.err;
    for (const auto& target : targets) EXPECT_TRUE(Holds(target->Received(), ":00000001FF"));
  }
}

// Each file's verdict on its stream or as JSON, files that cannot be read by name, and the
// help of each command.
TEST_F(CliOverPty, CheckReportsEveryFileAndEachCommandHasItsHelp) {
  const QString good = HexFile("app.hex", 3);
  const QString bad = TextFile("bad.hex", ":0400000001020304F3\r\n:00000001FF\r\n");
  const Finished check = RunCli({"check", good, bad});
  EXPECT_EQ(check.code, 9);
  EXPECT_EQ(check.out, good.toStdString() + ": clean\n");
  EXPECT_TRUE(Holds(check.err, bad.toStdString() + ":1: checksum is F3, should be F2"));
  const Finished summary = RunCli({"check", "--summary", good});
  EXPECT_EQ(summary.out,
            good.toStdString() + ": 4 records, 48 data bytes, addresses 0x0000-0x002F\n");
  const Finished json = RunCli({"check", "--json", good, bad});
  EXPECT_EQ(json.code, 9);
  EXPECT_TRUE(AllJson(json.out)) << json.out;
  EXPECT_EQ(json.err, "");
  EXPECT_TRUE(Holds(json.out, R"("event":"check_fault","file":")" + bad.toStdString() +
                                  R"(","line":1,"text":"checksum is F3, should be F2")"));
  EXPECT_TRUE(Holds(
      json.out, R"("passed":true,"records":4,"data_bytes":48,"ranges":[{"start":0,"end":47}])"));

  const QString dashed = TextFile("-dashed.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
  const Finished unread = RunCli({"check", "--", dashed, Path("none.hex"), folder_.path()});
  EXPECT_EQ(unread.code, 7);
  const std::string all = unread.out + unread.err;
  EXPECT_TRUE(Holds(all, dashed.toStdString() + ": clean"));
  EXPECT_TRUE(Holds(all, "none.hex: missing"));
  EXPECT_TRUE(Holds(all, folder_.path().toStdString() + ": not a regular file"));

  for (const QStringList& args : std::vector<QStringList>{
           {"download", "--help"}, {"download", "--port", "com1", "-h"}, {"check", "--help"}}) {
    const Finished run = RunCli(args);
    EXPECT_EQ(run.code, 0) << args.join(' ').toStdString();
    EXPECT_TRUE(Holds(run.out, "Usage:"));
  }
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
    EXPECT_TRUE(Holds(run.err, refused.file.toStdString() + refused.fault));
  }
  const Finished json = RunCli(Download(target, {"--flash", bad, "--json"}));
  EXPECT_TRUE(AllJson(json.out)) << json.out;
  EXPECT_TRUE(Holds(json.out, R"("event":"check_fault")"));
  EXPECT_EQ(target.Received(), "");

  RunCli(Download(target, {"--flash", bad, "--no-check", "--on-error", "stop"}));
  EXPECT_TRUE(Holds(target.Received(), ":0400000001020304F3"));
}

TEST_F(CliOverPty, BadUsageGetsOneLineAndSendsNothing) {
  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());
  const QString app = HexFile("app.hex", 2);
  const std::string firmware = ReadFile(app);
  const QString port = QString::fromStdString(target.Device());
  const QString settings = TextFile("tarnwick.txt", "");
  const QString linked = Path("linked.hex");
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
      {"download", "--port", port, "--flash", app, "--settings", Path("none.txt")},
      {"download", "--port", port, "--flash", app, "--settings",
       TextFile("short.txt", "0\r\n5\r\n")},
      // A log over an input would empty it; two boards must not write one log.
      {"download", "--port", port, "--flash", app, "--log", app},
      {"download", "--port", port, "--flash", app, "--log", linked},
      {"download", "--port", port, "--flash", app, "--record", linked},
      {"download", "--port", port, "--flash", app, "--log", Path("no/../app.hex")},
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
  const QString log = Path("bytes.log");
  const Finished run = RunCli({"download", "--port=" + QString::fromStdString(target.Device()),
                               "--flash=" + HexFile("app.hex", 2), "--baud", "250000",
                               "--ready-char", "\\x21", "--log", log, "--quiet", "--json", "--"});
  EXPECT_EQ(run.code, 0) << run.out << run.err;
  EXPECT_TRUE(Holds(ReadFile(log), " = baud 250000\n"));
  // --quiet with --json: the outcome's object alone.
  EXPECT_EQ(run.out.rfind("{\"event\":\"outcome\"", 0), 0u) << run.out;
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;
}

}  // namespace
}  // namespace tarnwick
