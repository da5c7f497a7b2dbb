// The download engine with the real Qt serial port and a headless window, against a target
// on a pseudo-terminal. Prints its figures as "key=value" lines for tarnwick_bench.
//
//   tarnwick_bench_engine transfer <port> <file>   jump mode, application file only
//   tarnwick_bench_engine silent <port>            jump mode against a target that never answers
//   tarnwick_bench_engine noise <port> <seconds>   jump mode against a streaming target, then
//   Cancel
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "bench/bench_settings.h"
#include "bench/cpu_stretches.h"
#include "bench/measure.h"
#include "tests/support/pty_download.h"

namespace tarnwick::bench {
namespace {

using Engine = testing::PtyDownload;

// One jump-mode download, with the figures that every scenario reports.
void RunDownload(Engine& engine) {
  ReportDownload([&] { engine.downloader.Start(Mode::kJump); });
  const auto& messages = engine.view.Messages();
  ReportText("outcome", messages.empty() ? "no message, status " + engine.view.StatusTexts().back()
                                         : messages.back());
}

// In the handshake scenarios the file is never opened: the handshake ends the download first.
int Run(std::string_view scenario, const std::string& device, const std::string& argument) {
  Engine engine(device, ApplicationOnly(scenario == "transfer" ? argument : "never-opened.hex"));
  if (scenario != "noise") {
    RunDownload(engine);
  } else {
    const std::chrono::milliseconds whole(std::stoi(argument) * 1000);
    CpuStretches stretches(whole);
    // Cancel a little after the last reading, so that the cancel's own work is not in it. A
    // precise timer: a coarse one may fire 5 % early, a second and a half before that reading.
    QTimer::singleShot(whole + std::chrono::milliseconds(300), Qt::PreciseTimer,
                       [&] { engine.downloader.Cancel(); });
    RunDownload(engine);
    stretches.Report();
  }
  ReportProcess();
  return 0;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::string_view scenario = argc >= 3 ? argv[1] : "";
  if ((scenario == "transfer" && argc == 4) || (scenario == "silent" && argc == 3) ||
      (scenario == "noise" && argc == 4)) {
    return tarnwick::bench::Run(scenario, argv[2], argc == 4 ? argv[3] : "");
  }
  std::fprintf(stderr,
               "usage: %s transfer <port> <file> | silent <port> | noise <port> <seconds>\n",
               argv[0]);
  return 2;
}
