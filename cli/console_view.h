#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/board_events.h"
#include "core/download/download_view.h"
#include "core/download/downloader.h"
#include "platform/qt/event_wait.h"

namespace tarnwick::cli {

// The download as the command line shows it: no window, the settings fixed at the start, the
// phases as the window's status texts, the lines sent as progress, the failed lines' questions
// answered by `answer` (which gets the question and returns Yes or No). It pumps Qt events and
// drives the engine's timers as the window does, so a download runs exactly as it would under the
// window.
class ConsoleView final : public DownloadView {
 public:
  using Answerer = std::function<bool(const std::string& question)>;

  ConsoleView(DownloadSettings settings, BoardEvents& events, Answerer answer);

  // Connects the timers to the engine; the engine needs the view first.
  void Attach(Downloader& downloader);
  // Called in every pump: true when the download must stop now (Ctrl+C); the engine is then
  // cancelled and every later question answered No.
  std::function<bool()> stopRequested;
  // Called once the bootloader's version has been read: the handshake is over.
  std::function<void()> handshakeEnded;

  // The last message shown (the outcome) and the reason of a failure, once it has ended.
  const std::string& Message() const { return message_; }
  const std::string& Reason() const { return reason_; }
  // The failed line whose question was answered No (by the user or --on-error, not by a
  // stop): what happened to it, in words and as a line of its file; and the failed lines
  // that were answered Yes.
  const std::optional<std::string>& RefusedStatement() const { return refused_; }
  const std::optional<LineFault>& RefusedFault() const { return refused_fault_; }
  const std::optional<ContinuedLine>& FailedLine() const { return failed_line_; }
  const std::vector<ContinuedLine>& Continued() const { return continued_; }
  // The bootloader's version as it sent it, empty until read.
  const std::string& BootloaderVersion() const { return version_; }

  DownloadSettings CurrentSettings() override { return settings_; }
  void PhaseEntered(const DownloadStatus& status) override;
  void HandshakeStarted() override {}
  void VersionRead(const std::string& asSent, float value) override;
  void VersionAccepted(float) override {}
  void SetLineTimerEnabled(bool enabled) override;
  void ShowEnding(const DownloadEnding& ending) override { message_ = EndingText(ending); }
  void LogFailureReason(const std::string& reason) override { reason_ = reason; }
  bool AskToContinue(LineFault fault, std::int64_t line) override;
  void FocusFlashBrowseButton() override {}
  void SetControlsBusy() override {}
  void SetControlsIdle() override {}
  void DisableEepromControls() override {}
  void DisableCancelButton() override {}
  void LinesRemaining(std::int64_t remaining) override;
  void FileSent() override { ReportProgress(); }
  void AwaitEvents(std::chrono::milliseconds most) override;
  void PumpPendingEvents() override;

 private:
  void CheckStop();
  void ReportProgress();

  DownloadSettings settings_;
  BoardEvents& events_;
  Answerer answer_;
  Downloader* downloader_ = nullptr;
  QTimer tick_;      // the engine's 60 ms tick
  QTimer progress_;  // progress reports, while a file is sent
  std::chrono::steady_clock::time_point file_start_;
  std::int64_t last_tenth_ = -1;  // of the file, at the last progress report
  bool stopping_ = false;
  QtEventWait wait_;
  std::chrono::steady_clock::time_point last_turn_;  // of the event loop
  std::string message_;
  std::string reason_;
  // The file being sent, as the engine tells it: its stage, its count of lines less one, and
  // the count that remains.
  FileStage stage_ = FileStage::kNone;
  std::int64_t total_lines_ = 0;
  std::int64_t remaining_ = 0;
  std::optional<std::string> refused_;
  std::optional<LineFault> refused_fault_;
  std::vector<ContinuedLine> continued_;
  std::optional<ContinuedLine> failed_line_;
  std::string version_;
};

}  // namespace tarnwick::cli
