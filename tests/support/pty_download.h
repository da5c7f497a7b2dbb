#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <utility>

#include "cli/headless_download.h"

namespace tarnwick::testing {

// The progress of a download without a window, which a test may follow.
struct RecordedEvents final : cli::BoardEvents {
  void Phase(const std::string&) override {}
  void Progress(const std::string&, std::int64_t sent, std::int64_t total, double) override {
    if (on_progress) on_progress(sent, total);
  }
  void Prompt(const std::string&, bool) override {}
  void Repeated(const std::string&, std::int64_t) override {}
  void Outcome(const cli::BoardOutcome&) override {}

  std::function<void(std::int64_t sent, std::int64_t total)> on_progress;
};

// The engine as tarnwick-cli wires it, opening `device` for every port number, each question
// answered Yes, and a Cancel that a test can press after a while.
struct PtyDownload {
  PtyDownload(const std::string& device, DownloadSettings settings)
      : board(device, std::move(settings), events, [](const std::string&) { return true; }) {
    cancel.setSingleShot(true);
    QObject::connect(&cancel, &QTimer::timeout, [this] { downloader.Cancel(); });
  }
  // Presses Cancel after `milliseconds` of pumped events.
  void CancelAfter(int milliseconds) { cancel.start(milliseconds); }

  RecordedEvents events;
  cli::HeadlessDownload board;
  cli::CliPort& port = board.port;
  cli::ConsoleView& view = board.view;
  Downloader& downloader = board.downloader;
  QTimer cancel;
};

}  // namespace tarnwick::testing
