#pragma once

#include <QTimer>
#include <string>
#include <vector>

#include "core/download/download_state.h"
#include "core/download/download_view.h"
#include "core/download/downloader.h"

namespace tarnwick::bench {

// The main window as a download sees it, without a window: fixed settings, texts kept
// rather than shown, Yes to every question. It pumps Qt events and drives Timer1 (60 ms,
// always running) and Timer3 (1000 ms, while a file is sent) as the window does, so the
// engine's waits cost what they cost under the real window's event loop.
class HeadlessDownloadView final : public DownloadView {
 public:
  HeadlessDownloadView(DownloadState& state, DownloadSettings settings);

  // The handlers that the timers call; the downloader needs this view to exist first.
  void BindTimers(Downloader& downloader);

  // The message boxes shown, in order.
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::string& StatusText() const { return status_; }

  DownloadSettings CurrentSettings() override { return settings_; }
  void SetStatusText(const std::string& text) override { status_ = text; }
  void SetLinesRemainingText(const std::string& text) override { linesRemaining_ = text; }
  void ShowLinesRemaining() override {}
  void SetVersionText(const std::string& text) override { version_ = text; }
  void ShowVersion() override {}
  void SetLineTimerEnabled(bool enabled) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& text) override;
  void FocusFlashBrowseButton() override {}
  void SetControlsBusy() override { state_.CancelRequested = false; }
  void SetControlsIdle() override { status_ = "Idle"; }
  void DisableEepromControls() override {}
  void DisableCancelButton() override {}
  void PumpEvents() override;
  void PumpPendingEvents() override;

 private:
  DownloadState& state_;
  DownloadSettings settings_;
  QTimer timer1_;
  QTimer timer3_;
  std::string status_;
  std::string linesRemaining_;
  std::string version_;
  std::vector<std::string> messages_;
};

}  // namespace tarnwick::bench
