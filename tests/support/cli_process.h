#pragma once

// tarnwick-cli run as a user runs it, for the command line's end-to-end tests: the program at
// TARNWICK_CLI (or another), its output as it grows, its ending.

#include <gtest/gtest.h>
#include <signal.h>

#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/target-sim/hex_records.h"

namespace tarnwick::testing {

struct Finished {
  int code = -1;  // -1 when a signal ended the program
  std::string out;
  std::string err;
};

class Cli {
 public:
  explicit Cli(const QStringList& args, const QString& program = QStringLiteral(TARNWICK_CLI)) {
    process_.start(program, args);
    process_.waitForStarted(10000);
  }
  // Waits until standard output holds `text`; false after 20 s.
  bool WaitFor(const std::string& text) {
    for (int i = 0; i < 200 && out_.find(text) == std::string::npos; ++i) {
      process_.waitForReadyRead(100);
      out_ += process_.readAllStandardOutput().toStdString();
    }
    return out_.find(text) != std::string::npos;
  }
  void Signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
  // Waits in Qt's event loop, in which servers of the test's own answer meanwhile; 60 s at most.
  Finished Wait() {
    QEventLoop loop;
    QObject::connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (process_.state() != QProcess::NotRunning) loop.exec();
    return {process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1,
            out_ + process_.readAllStandardOutput().toStdString(),
            process_.readAllStandardError().toStdString()};
  }

 private:
  QProcess process_;
  std::string out_;
};

inline Finished RunCli(const QStringList& args) {
  return Cli(args).Wait();
}

inline std::string ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A test of the command, with a folder of its own for the files it gives it.
class CliTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return folder_.filePath(name); }
  QString TextFile(const char* name, const std::string& text) const {
    std::ofstream(Path(name).toStdString(), std::ios::binary) << text;
    return Path(name);
  }
  // A HEX file of `records` data records and the end-of-file record.
  QString HexFile(const char* name, int records) const {
    std::string text;
    for (const auto& line : sim::MakeHexRecords(records)) text += line + "\r\n";
    return TextFile(name, text);
  }
  // `options` with APP standing for an application file of 6 records, BIG for one of 400,
  // EEP for an EEPROM file of 3.
  QStringList WithFiles(const QStringList& options) const {
    QStringList given;
    for (const QString& option : options) {
      given << (option == "APP"   ? HexFile("app.hex", 6)
                : option == "BIG" ? HexFile("big.hex", 400)
                : option == "EEP" ? HexFile("data.eep", 3)
                                  : option);
    }
    return given;
  }

  QTemporaryDir folder_;
};

}  // namespace tarnwick::testing
