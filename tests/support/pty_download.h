#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/headless_download.h"

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
