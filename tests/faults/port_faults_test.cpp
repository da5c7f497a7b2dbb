// The real serial port over a pseudo-terminal, with the download driven by the headless view
// that pumps Qt's own event loop: the far end going away in each phase of a download, and a
// target that streams characters at a wrong baud rate until the user cancels.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "tests/support/far_end.h"
#include "tests/support/headless_download_view.h"
#include "tests/support/open_files.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;

// A download of a three-line application file through the real port on the slave side of a
// pseudo-terminal, with the real clock. The test plays the target on the far end.
struct PtyDownload {
  PtyDownload() : port([this](int) { return far.Slave(); }) {
    std::ofstream(file, std::ios::binary) << "L1\r\nL2\r\nL3\r\n";
    view.Settings().FlashFile = file.string();
    view.BindTimers(downloader);
  }
  ~PtyDownload() { fs::remove(file); }

  void ExpectEndedWith(const std::vector<std::string>& messages) {
    EXPECT_EQ(view.Messages(), messages);
    EXPECT_FALSE(view.Busy());
    EXPECT_EQ(std::count(view.StatusTexts().begin(), view.StatusTexts().end(), "Idle"), 1);
    EXPECT_FALSE(port.IsOpen());
    // Once the test's own end is closed, neither the download file nor the device is held.
    far.Close();
    EXPECT_EQ(OpenFileCount(), files_open);
  }

  int files_open = OpenFileCount();
  FarEnd far;
  fs::path file =
      fs::temp_directory_path() / ("tarnwick-faults-" + std::to_string(::getpid()) + ".hex");
  QtSerialPort port;
  SystemClock clock;
  HeadlessDownloadView view{DownloadSettings{}};
  Downloader downloader{port, clock, view};
};

TEST(PortFaults, FarEndVanishingInAnyPhaseEndsTheDownloadWithTheFirmwareMessage) {
  // The far end goes at the request (the first read), at the second line (the third read),
  // or in the end-of-file wait (0).
  for (const int vanish_at_read : {1, 3, 0}) {
    SCOPED_TRACE(vanish_at_read);
    PtyDownload d;
    // A bootloader served by Qt's event loop: "?V1.30" to the request, "~" to each line,
    // until it goes away as a pulled adapter.
    QSocketNotifier notifier(d.far.Fd(), QSocketNotifier::Read);
    const auto vanish = [&] {
      notifier.setEnabled(false);
      d.far.Close();
    };
    int reads = 0;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
      char chunk[256];
      if (::read(d.far.Fd(), chunk, sizeof chunk) <= 0) return;
      if (++reads == vanish_at_read) return vanish();
      const std::string answer = reads == 1 ? "?V1.30" : "~";
      d.far.Write(answer);
    });
    // The end-of-file wait begins right after the lines-remaining timer stops.
    d.view.onLineTimer = [&](bool enabled) {
      if (!enabled && vanish_at_read == 0) vanish();
    };

    d.downloader.Start(Mode::kJump);

    d.ExpectEndedWith({"Error encountered while downloading the firmware file."});
  }
}

TEST(PortFaults, TargetStreamingAtAWrongBaudRateIsEndedByCancelInBothModes) {
  // No XON or XOFF among them, which would hold the port's own output. In jump mode the
  // stream holds the active character, so the requests go on without end.
  const struct {
    bool wait_mode;
    std::string pattern;
  } cases[] = {{true, "\xF0\xE1\x87\x0F\xC3\x78"}, {false, "\xF0\x5E\xE1\x87\x0F"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.wait_mode ? "wait mode" : "jump mode");
    PtyDownload d;
    // Writes without a pause and throws away whatever the program sends, as a target
    // talking at another baud rate would look.
    std::atomic<bool> stop{false};
    std::thread streamer([&, fd = d.far.Fd()] {
      std::string chunk;
      while (chunk.size() < 1024) chunk += c.pattern;
      while (!stop) {
        pollfd ready{fd, POLLIN | POLLOUT, 0};
        if (::poll(&ready, 1, 10) <= 0) continue;
        char sink[1024];
        if (ready.revents & POLLIN) (void)::read(fd, sink, sizeof sink);
        if (ready.revents & POLLOUT) (void)::write(fd, chunk.data(), chunk.size());
      }
    });
    d.view.CancelAfter(300);

    if (c.wait_mode) {
      d.downloader.Start(Mode::kWait);
    } else {
      d.downloader.Start(Mode::kJump);
    }
    stop = true;
    streamer.join();

    d.ExpectEndedWith({});
  }
}

}  // namespace
}  // namespace tarnwick::testing
