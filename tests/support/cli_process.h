#pragma once

// tarnwick-cli run as a user runs it, for the command line's end-to-end tests: the program at
// TARNWICK_CLI (or another), its output as it grows, its ending.

#include <signal.h>

#include <QProcess>
#include <QString>
#include <QStringList>
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
  Finished Wait() {
    process_.waitForFinished(60000);
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

// A HEX file of `records` data records and the end-of-file record at `path`; returns `path`.
inline QString WriteHexFile(const QString& path, int records) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  for (const auto& line : sim::MakeHexRecords(records)) out << line << "\r\n";
  return path;
}

}  // namespace tarnwick::testing
