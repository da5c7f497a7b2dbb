// The real serial port over a pseudo-terminal, with the download driven by the headless view
// that pumps Qt's own event loop: the far end going away in each phase of a download, and a
// target that streams characters at a wrong baud rate until the user cancels.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "cli/headless_download.h"
#include "tests/support/far_end.h"
#include "tests/support/open_files.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;

// A three-line application file, named by the settings of the download that sends it.
DownloadSettings ThreeLines(const fs::path& file) {
  std::ofstream(file, std::ios::binary) << "L1\r\nL2\r\nL3\r\n";
  DownloadSettings settings;
  settings.FlashFile = file.string();
  return settings;
}

// The progress of the download, which a test may follow.
struct ProgressEvents final : cli::BoardEvents {
  void Phase(const std::string&) override {}
  void Progress(const std::string&, std::int64_t sent, std::int64_t total, double) override {
    if (on_progress) on_progress(sent, total);
  }
  void Prompt(const std::string&, bool) override {}
  void Repeated(const std::string&, std::int64_t) override {}
  void Outcome(const cli::BoardOutcome&) override {}

  std::function<void(std::int64_t sent, std::int64_t total)> on_progress;
};

// A download as tarnwick-cli runs it, through the real port on the slave side of a
// pseudo-terminal with the real clock, each question answered Yes. The test plays the target
// on the far end.
struct FaultRig {
  ~FaultRig() { fs::remove(file); }

  void ExpectEndedWith(const std::string& message) {
    EXPECT_EQ(board.view.Message(), message);
    EXPECT_FALSE(board.port.IsOpen());
    // Once the test's own end is closed, neither the download file nor the device is held.
    far.Close();
    EXPECT_EQ(OpenFileCount(), files_open);
  }

  int files_open = OpenFileCount();
  FarEnd far;
  fs::path file =
      fs::temp_directory_path() / ("tarnwick-faults-" + std::to_string(::getpid()) + ".hex");
  ProgressEvents events;
  cli::HeadlessDownload board{far.Slave(), ThreeLines(file), events,
                              [](const std::string&) { return true; }};
};

TEST(PortFaults, FarEndVanishingInAnyPhaseEndsTheDownloadWithTheFirmwareMessage) {
  // The far end goes at the request (the first read), at the second line (the third read),
  // or in the end-of-file wait (0).
  for (const int vanish_at_read : {1, 3, 0}) {
    SCOPED_TRACE(vanish_at_read);
    FaultRig rig;
    FarEnd& far = rig.far;
    // A bootloader served by Qt's event loop: "?V1.30" to the request, "~" to each line,
    // until it goes away as a pulled adapter.
    QSocketNotifier notifier(far.Fd(), QSocketNotifier::Read);
    const auto vanish = [&] {
      notifier.setEnabled(false);
      far.Close();
    };
    int reads = 0;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
      char chunk[256];
      if (::read(far.Fd(), chunk, sizeof chunk) <= 0) return;
      if (++reads == vanish_at_read) return vanish();
      far.Write(reads == 1 ? "?V1.30" : "~");
    });
    // The end-of-file wait begins right after the last line's progress.
    rig.events.on_progress = [&](std::int64_t sent, std::int64_t total) {
      if (sent == total && vanish_at_read == 0) vanish();
    };

    rig.board.downloader.Start(Mode::kJump);

    rig.ExpectEndedWith("Error encountered while downloading the firmware file.");
  }
}

TEST(PortFaults, TargetStreamingAtAWrongBaudRateIsEndedByCancelInBothModes) {
  // No XON or XOFF among them, which would hold the port's own output. In jump mode the
  // stream holds the active character, so the requests go on without end.
  for (const bool wait_mode : {true, false}) {
    SCOPED_TRACE(wait_mode ? "wait mode" : "jump mode");
    const std::string pattern = wait_mode ? "\xF0\xE1\x87\x0F\xC3\x78" : "\xF0\x5E\xE1\x87\x0F";
    FaultRig rig;
    // Writes without a pause and throws away whatever the program sends, as a target
    // talking at another baud rate would look.
    std::atomic<bool> stop{false};
    std::thread streamer([&, fd = rig.far.Fd()] {
      std::string chunk;
      while (chunk.size() < 1024) chunk += pattern;
      while (!stop) {
        pollfd ready{fd, POLLIN | POLLOUT, 0};
        if (::poll(&ready, 1, 10) <= 0) continue;
        char sink[1024];
        if (ready.revents & POLLIN) (void)::read(fd, sink, sizeof sink);
        if (ready.revents & POLLOUT) (void)::write(fd, chunk.data(), chunk.size());
      }
    });
    // The user presses Cancel after a while of pumped events.
    QObject context;
    QTimer::singleShot(300, &context, [&] { rig.board.downloader.Cancel(); });

    rig.board.downloader.Start(wait_mode ? Mode::kWait : Mode::kJump);
    stop = true;
    streamer.join();

    rig.ExpectEndedWith("");
  }
}

}  // namespace
}  // namespace tarnwick::testing
