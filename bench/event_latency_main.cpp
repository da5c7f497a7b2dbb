// How soon the main window handles an event that comes from outside while a download waits
// (what a screen reader's question, a click or a repaint meets): a thread posts an event every
// few milliseconds, stamped with the moment it was posted, and the window's thread notes how
// long each took to be handled and which wait the download was in (the status text). Against
// target-sim: a silent target (the handshake's timed waits), a target that is never reset (wait
// mode's wait for the active character), a target paced at 19200 baud (the line verdicts), and
// the window idle. Prints the median and 99th percentile per wait, in microseconds.
//
//   tarnwick_bench_latency <target-sim> <hex file>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_settings.h"
#include "core/settings/settings_file.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "ui/file_chooser.h"
#include "ui/form1.h"
#include "ui/message_boxes.h"

namespace tarnwick::bench {
namespace {

using Clock = std::chrono::steady_clock;
const QEvent::Type kStamped = static_cast<QEvent::Type>(QEvent::registerEventType());

struct StampedEvent final : QEvent {
  StampedEvent() : QEvent(kStamped) {}
  Clock::time_point posted = Clock::now();
};

// Notes each stamped event's delay under the status text it was handled in.
class Receiver final : public QObject {
 public:
  explicit Receiver(const QLabel* status) : status_(status) {}
  std::map<std::string, std::vector<double>> delays;
  bool afterDownload = false;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != kStamped) return QObject::event(event);
    const auto delay = Clock::now() - static_cast<StampedEvent*>(event)->posted;
    // Events handled once the download had returned waited for its end: most of them for
    // the end-of-file wait, which handles no window events.
    std::string wait =
        afterDownload ? "(after the download returned)" : status_->text().toStdString();
    if (const auto cut = wait.find(".  Try #"); cut != std::string::npos) wait.resize(cut);
    delays[wait].push_back(std::chrono::duration<double, std::micro>(delay).count());
    return true;
  }

 private:
  const QLabel* status_;
};

// Posts stamped events from its own thread, 2 to 8 ms apart, while it lives.
class Poster {
 public:
  explicit Poster(QObject& receiver)
      : thread_([this, &receiver] {
          std::mt19937 random(7);
          while (!stop_) {
            std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 6000));
            QCoreApplication::postEvent(&receiver, new StampedEvent);
          }
        }) {}
  ~Poster() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

struct Answering final : MessageBoxes {
  void Show(QWidget*, const QString&, const QString&, MessageIcon, const QString&) override {}
  bool AskYesNo(QWidget*, const QString&, const QString&) override { return true; }
};
struct NoFiles final : FileChooser {
  std::optional<QString> Choose(QWidget*, const QString&, const QString&,
                                FileChooserMode) override {
    return std::nullopt;
  }
};

// A target-sim process; its port's path once it has named it.
std::string StartTarget(QProcess& process, const QString& program, const QStringList& options) {
  process.start(program, options);
  if (!process.waitForReadyRead(5000)) throw std::runtime_error("target-sim did not start");
  return process.readLine().trimmed().toStdString();
}

void Percentiles(const std::string& wait, std::vector<double> delays) {
  if (delays.empty()) return;
  std::sort(delays.begin(), delays.end());
  const auto at = [&](double q) {
    return delays[static_cast<std::size_t>(q * (delays.size() - 1))];
  };
  std::printf("  %-58s %6zu %10.0f %10.0f\n", wait.c_str(), delays.size(), at(0.5), at(0.99));
}

// One download of the window against a target with `options`, pressed with `button`, ended by
// Cancel after `cancelMs` when it has not ended by then.
void Measure(const QString& sim, const std::string& file, const QStringList& options,
             const char* button, int cancelMs, std::map<std::string, std::vector<double>>& all) {
  QProcess target;
  const std::string device = StartTarget(target, sim, options);
  QTemporaryDir folder;
  {
    std::ofstream out((folder.path() + "/tarnwick.txt").toStdString(), std::ios::binary);
    DownloadSettings settings = ApplicationOnly(file);
    settings.BaudIndex = 5;  // 19200 baud
    WriteSettings(out, settings);
  }
  QtSerialPort port([device](int) { return device; });
  SystemClock clock;
  NoFiles files;
  Answering messages;
  Form1 window(Form1Services{port, clock, files, messages, folder.path(), folder.path() + "/config",
                             false, [device](int) { return device; }, [] {}});
  window.Start();
  Receiver here(window.findChild<QLabel*>("Label2"));
  {
    Poster poster(here);
    QTimer cancel;
    cancel.setSingleShot(true);
    QObject::connect(&cancel, &QTimer::timeout,
                     [&] { window.findChild<QPushButton*>("Command4")->click(); });
    if (button == nullptr) {
      QTimer::singleShot(cancelMs, [] { QCoreApplication::exit(); });
      QCoreApplication::exec();
    } else {
      cancel.start(cancelMs);
      window.findChild<QPushButton*>(button)->click();
      here.afterDownload = true;
      QCoreApplication::processEvents();
    }
  }
  for (auto& [wait, delays] : here.delays) {
    auto& into = all[button == nullptr ? "(idle) " + wait : wait];
    into.insert(into.end(), delays.begin(), delays.end());
  }
  target.terminate();
  target.waitForFinished();
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <target-sim> <hex file>\n", argv[0]);
    return 2;
  }
  using namespace tarnwick::bench;
  const QString sim = argv[1];
  std::map<std::string, std::vector<double>> all;
  try {
    Measure(sim, argv[2], {}, nullptr, 3000, all);
    Measure(sim, argv[2], {"--silent"}, "Command2", 5000, all);
    Measure(sim, argv[2], {}, "Command6", 3000, all);
    Measure(sim, argv[2], {"--pace", "19200"}, "Command2", 60000, all);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarnwick_bench_latency: %s\n", error.what());
    return 1;
  }
  std::printf("\nEvent latency while the window waits (us)     %18s %10s %10s\n", "events",
              "median", "p99");
  for (const auto& [wait, delays] : all) Percentiles(wait, delays);
  return 0;
}
