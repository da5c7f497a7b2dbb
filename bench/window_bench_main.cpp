// The whole main window downloading: Form1 with the real Qt port and clock, its own event
// pump and timers, on whatever platform QT_QPA_PLATFORM names (offscreen for the bench).
// The settings come from a "tarnwick.txt" written into a scratch program folder; message
// boxes are answered at once (Yes to questions). Prints "key=value" lines.
//
//   tarnwick_bench_window <port> <file>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/bench_settings.h"
#include "bench/measure.h"
#include "core/settings/settings_file.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "ui/file_chooser.h"
#include "ui/form1.h"
#include "ui/message_boxes.h"

namespace tarnwick::bench {
namespace {

class AnsweringMessageBoxes final : public MessageBoxes {
 public:
  void Show(QWidget*, const QString&, const QString& text, MessageIcon, const QString&) override {
    last = text.toStdString();
  }
  bool AskYesNo(QWidget*, const QString&, const QString& text) override {
    last = text.toStdString();
    return true;
  }
  std::string last;
};

class NoFileChooser final : public FileChooser {
 public:
  std::optional<QString> Choose(QWidget*, const QString&, const QString&,
                                FileChooserMode) override {
    return std::nullopt;
  }
};

void WriteSettingsFile(const QString& folder, const std::string& applicationFile) {
  std::ofstream out((folder + "/tarnwick.txt").toStdString(), std::ios::binary);
  WriteSettings(out, ApplicationOnly(applicationFile));
}

int Run(QApplication& app, const std::string& device, const std::string& file) {
  QTemporaryDir programFolder;
  if (!programFolder.isValid()) throw std::runtime_error("no scratch folder");
  WriteSettingsFile(programFolder.path(), file);

  QtSerialPort port([device](int) { return device; });
  SystemClock clock;
  NoFileChooser files;
  AnsweringMessageBoxes messages;
  Form1 window(Form1Services{
      .port = port,
      .clock = clock,
      .files = files,
      .messages = messages,
      .programFolder = programFolder.path(),
      .configFolder = programFolder.path() + "/config",
      .showSplashAtStart = false,
      .describePort = [device](int) { return device; },
      .endProgram = [] {},
  });
  window.Start();

  // The click runs the whole download inside its handler, as the user's click would.
  QTimer::singleShot(0, [&] {
    auto* button = window.findChild<QPushButton*>("Command2");
    if (button == nullptr) {
      std::fprintf(stderr, "tarnwick_bench_window: the window has no Command2 button\n");
      app.exit(1);
      return;
    }
    ReportDownload([button] { button->click(); });
    ReportText("outcome", messages.last);
    app.quit();
  });
  if (app.exec() != 0) return 1;
  ReportProcess();
  return 0;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <port> <file>\n", argv[0]);
    return 2;
  }
  try {
    return tarnwick::bench::Run(app, argv[1], argv[2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarnwick_bench_window: %s\n", error.what());
    return 1;
  }
}
