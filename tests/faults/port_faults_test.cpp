// The real serial port over a pseudo-terminal, with the download driven by a view that pumps
// Qt's own event loop: the far end going away in each phase of a download, and a target that
// streams characters at a wrong baud rate until the user cancels.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/download/downloader.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "tests/faults/pty_far_end.h"
#include "tests/faults/qt_pumping_view.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;

// True when some descriptor of this process still refers to `path`.
bool HeldOpen(const fs::path& path) {
  const fs::path wanted = fs::weakly_canonical(path);
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const fs::path target = fs::read_symlink(entry.path(), error);
    if (!error && target == wanted) return true;
  }
  return false;
}

// A download of a three-line application file through the real port on the slave side of a
// pseudo-terminal, with the real clock.
struct PtyDownload {
  PtyDownload() : port([this](int) { return pty.SlavePath(); }) {
    file = fs::temp_directory_path() / ("tarnwick-faults-" + std::to_string(::getpid()) + ".hex");
    std::ofstream(file, std::ios::binary) << "L1\r\nL2\r\nL3\r\n";
    view.settings.FlashFile = file.string();
    view.Attach(downloader);
  }
  ~PtyDownload() { fs::remove(file); }

  void ExpectEndedWith(const std::vector<std::string>& messages) const {
    EXPECT_EQ(view.messages, messages);
    EXPECT_EQ(view.states, (std::vector<std::string>{"busy", "idle"}));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(HeldOpen(file)) << "the download file is still open";
    EXPECT_FALSE(HeldOpen(pty.SlavePath())) << "the serial device is still open";
  }

  PtyFarEnd pty;
  QtSerialPort port;
  SystemClock clock;
  QtPumpingView view;
  DownloadState state;
  Downloader downloader{state, port, clock, view};
  fs::path file;
};

// A bootloader on the master side, served by Qt's event loop whenever bytes arrive: "?V1.30"
// to the request, "~" to each line. It can go away at a chosen moment, as a pulled adapter.
class PtyBootloader {
 public:
  explicit PtyBootloader(PtyFarEnd& pty)
      : pty_(pty), notifier_(pty.MasterFd(), QSocketNotifier::Read) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Serve(); });
  }

  int vanish_at_line = 0;  // 0: never while lines are sent
  bool vanish_at_request = false;

  void Vanish() {
    notifier_.setEnabled(false);
    pty_.Close();
  }

 private:
  void Serve() {
    char chunk[256];
    const ssize_t count = ::read(pty_.MasterFd(), chunk, sizeof chunk);
    if (count <= 0) return;
    if (!ready_) {
      if (vanish_at_request) return Vanish();
      ready_ = true;
      return pty_.Write("?V1.30");
    }
    if (++lines_ == vanish_at_line) return Vanish();
    pty_.Write("~");
  }

  PtyFarEnd& pty_;
  QSocketNotifier notifier_;
  bool ready_ = false;
  int lines_ = 0;
};

TEST(PortFaults, FarEndVanishingInAnyPhaseEndsTheDownloadWithTheFirmwareMessage) {
  enum class Phase { kHandshake, kLines, kEndOfFileWait };
  for (const Phase phase : {Phase::kHandshake, Phase::kLines, Phase::kEndOfFileWait}) {
    SCOPED_TRACE(static_cast<int>(phase));
    PtyDownload d;
    PtyBootloader target(d.pty);
    target.vanish_at_request = phase == Phase::kHandshake;
    target.vanish_at_line = phase == Phase::kLines ? 2 : 0;
    // The end-of-file wait begins right after the lines-remaining timer stops.
    d.view.on_line_timer = [&](bool enabled) {
      if (!enabled && phase == Phase::kEndOfFileWait) target.Vanish();
    };

    d.downloader.Command2_Click();

    d.ExpectEndedWith({"warning Error encountered while downloading the firmware file."});
  }
}

// Writes characters to the master without a pause until stopped, and throws away whatever
// the program sends, as a target talking at another baud rate would look.
class Streamer {
 public:
  Streamer(int fd, std::string pattern)
      : thread_([this, fd, pattern] {
          std::string chunk;
          while (chunk.size() < 1024) chunk += pattern;
          while (!stop_) {
            pollfd ready{fd, POLLIN | POLLOUT, 0};
            if (::poll(&ready, 1, 10) <= 0) continue;
            char sink[1024];
            if (ready.revents & POLLIN) (void)::read(fd, sink, sizeof sink);
            if (ready.revents & POLLOUT) (void)::write(fd, chunk.data(), chunk.size());
          }
        }) {}
  ~Streamer() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

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
    Streamer streamer(d.pty.MasterFd(), c.pattern);
    const QObject click_scope;  // the click goes with this case, also if it is never made
    QTimer::singleShot(300, &click_scope, [&] { d.downloader.Command4_Click(); });

    if (c.wait_mode) {
      d.downloader.Command6_Click();
    } else {
      d.downloader.Command2_Click();
    }

    d.ExpectEndedWith({});
  }
}

}  // namespace
}  // namespace tarnwick::testing
