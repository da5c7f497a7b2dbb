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

#include "bench/cpu_timeline.h"
#include "bench/measure.h"
#include "tests/support/pty_download.h"

namespace tarnwick::bench {
namespace {

constexpr std::int16_t k115200Baud = 9;

using Engine = testing::PtyDownload;

DownloadSettings ApplicationOnly(const std::string& file) {
  DownloadSettings settings;
  settings.BaudIndex = k115200Baud;
  settings.FlashSelected = 1;
  settings.FlashFile = file;
  settings.EepromSelected = 0;
  return settings;
}

// One jump-mode download, with the figures that every scenario reports.
void RunDownload(Engine& engine) {
  double cpuBefore = ProcessCpuSeconds();
  std::int64_t startNs = MonotonicNanoseconds();
  engine.downloader.Command2_Click();
  std::int64_t endNs = MonotonicNanoseconds();
  ReportFigure("download_start_ns", startNs);
  ReportFigure("download_end_ns", endNs);
  ReportFigure("download_cpu_s", ProcessCpuSeconds() - cpuBefore);
  const auto& messages = engine.view.Messages();
  ReportText("outcome", messages.empty() ? "no message, status " + engine.view.StatusTexts().back()
                                         : messages.back());
}

void ReportProcess() {
  ReportFigure("cpu_s", ProcessCpuSeconds());
  ReportFigure("maxrss_kb", std::int64_t{PeakResidentKilobytes()});
}

int Transfer(const std::string& device, const std::string& file) {
  Engine engine(device, ApplicationOnly(file));
  RunDownload(engine);
  ReportProcess();
  return 0;
}

int Silent(const std::string& device) {
  // The file is never opened: the handshake ends the download first.
  Engine engine(device, ApplicationOnly("never-opened.hex"));
  RunDownload(engine);
  ReportProcess();
  return 0;
}

// CPU in the first and the last third of the wait: a wait whose cost grows with the text
// received so far shows up as a last third dearer than the first.
int Noise(const std::string& device, int seconds) {
  using std::chrono::milliseconds;
  Engine engine(device, ApplicationOnly("never-opened.hex"));
  const milliseconds whole(seconds * 1000);
  const milliseconds third = whole / 3;
  CpuTimeline timeline({milliseconds(0), third, whole - third, whole});
  // Cancel a little after the last reading, so that the cancel's own work is not in it.
  QTimer::singleShot(whole + milliseconds(300), [&] { engine.downloader.Command4_Click(); });
  RunDownload(engine);
  auto cpu = timeline.Readings();
  if (cpu.size() == 4) {
    ReportFigure("window_s", double(third.count()) / 1000);
    ReportFigure("cpu_first_window_s", cpu[1] - cpu[0]);
    ReportFigure("cpu_last_window_s", cpu[3] - cpu[2]);
  }
  ReportProcess();
  return 0;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::string_view scenario = argc >= 3 ? argv[1] : "";
  if (scenario == "transfer" && argc == 4) return tarnwick::bench::Transfer(argv[2], argv[3]);
  if (scenario == "silent" && argc == 3) return tarnwick::bench::Silent(argv[2]);
  if (scenario == "noise" && argc == 4) {
    return tarnwick::bench::Noise(argv[2], std::stoi(argv[3]));
  }
  std::fprintf(stderr,
               "usage: %s transfer <port> <file> | silent <port> | noise <port> <seconds>\n",
               argv[0]);
  return 2;
}
