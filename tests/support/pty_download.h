#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/console_view.h"
#include "core/download/downloader.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"

namespace tarnwick::testing {

// What a download showed without a window: its phases, the questions it asked (each answered
// Yes) and the lines sent.
struct RecordedEvents final : cli::BoardEvents {
  void Phase(const std::string& text) override { phases.push_back(text); }
  void Progress(const std::string&, std::int64_t sent, std::int64_t total, double) override {
    if (on_progress) on_progress(sent, total);
  }
  void Prompt(const std::string& text, bool) override { questions.push_back(text); }
  void Repeated(const std::string&, std::int64_t) override {}
  void Outcome(const cli::BoardOutcome&) override {}

  // The version the download showed, or empty.
  std::string Version() const {
    std::string version;
    for (const auto& phase : phases) {
      if (phase.rfind("BootLoader Version: ", 0) == 0) version = phase;
    }
    return version;
  }

  std::vector<std::string> phases;
  std::vector<std::string> questions;
  std::function<void(std::int64_t sent, std::int64_t total)> on_progress;
};

// The engine with the real Qt port, opening `device` for every port number, the system clock
// and the command line's view, wired as tarnwick-cli wires them.
struct PtyDownload {
  PtyDownload(const std::string& device, DownloadSettings settings)
      : port([device](int) { return device; }),
        view(std::move(settings), events, [](const std::string&) { return true; }),
        downloader(port, clock, view) {
    view.Attach(downloader);
    cancel.setSingleShot(true);
    QObject::connect(&cancel, &QTimer::timeout, [this] { downloader.Cancel(); });
  }
  // Presses Cancel after `milliseconds` of pumped events.
  void CancelAfter(int milliseconds) { cancel.start(milliseconds); }

  QtSerialPort port;
  SystemClock clock;
  RecordedEvents events;
  cli::ConsoleView view;
  Downloader downloader;
  QTimer cancel;
};

}  // namespace tarnwick::testing
