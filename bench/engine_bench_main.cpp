// The download engine with the real Qt serial port and the command line's headless view,
// against a target on a pseudo-terminal. Prints its figures as "key=value" lines for
// tarnwick_bench.
//
//   tarnwick_bench_engine transfer <port> <file>   jump mode, application file only
//   tarnwick_bench_engine silent <port>            jump mode against a target that never answers
//   tarnwick_bench_engine noise <port> <seconds>   jump mode against a streaming target, then
//   Cancel
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "bench/bench_settings.h"
#include "bench/cpu_stretches.h"
#include "bench/measure.h"
#include "cli/headless_download.h"

namespace tarnwick::bench {
namespace {

// Keeps the last phase, which names how a download ended when it shows no message (a cancel).
// Progress is left out: printing it would cost the engine time that the figures are about.
class LastPhase final : public cli::BoardEvents {
 public:
  void Phase(const std::string& text) override { phase_ = text; }
  void Progress(const std::string&, std::int64_t, std::int64_t, double) override {}
  void Prompt(const std::string&, bool) override {}
  void Repeated(const std::string&, std::int64_t) override {}
  void Outcome(const cli::BoardOutcome&) override {}

  const std::string& Text() const { return phase_; }

 private:
  std::string phase_;
};

// The engine wired as tarnwick-cli wires it for one board; a failed line's question is
// answered Yes, as a user who wants the whole file would.
struct Engine {
  Engine(const std::string& device, DownloadSettings settings)
      : board(device, std::move(settings), phases, [](const std::string&) { return true; }) {}

  LastPhase phases;
  cli::HeadlessDownload board;
};

// One jump-mode download, with the figures that every scenario reports.
void RunDownload(Engine& engine) {
  ReportDownload([&] { engine.board.downloader.Start(Mode::kJump); });
  const std::string& message = engine.board.view.Message();
  ReportText("outcome", message.empty() ? "no message, status " + engine.phases.Text() : message);
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
                       [&] { engine.board.downloader.Cancel(); });
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
