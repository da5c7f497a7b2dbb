#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "core/download/download_state.h"
#include "core/download/download_view.h"
#include "core/download/downloader.h"

namespace tarnwick::testing {

// The main window as a download sees it, without a window: settings that the test sets,
// texts kept rather than shown, questions answered Yes. It pumps Qt events and drives
// Timer1 (60 ms, always) and Timer3 (1000 ms, while a file is sent) as the window does, so a
// download over a real port runs in real time as it would under the window.
class HeadlessDownloadView final : public DownloadView {
 public:
  explicit HeadlessDownloadView(DownloadSettings settings);

  // Connects the timers to the downloader's handlers; the downloader needs the view first.
  void BindTimers(Downloader& downloader);
  // Presses Cancel after `milliseconds` of pumped events.
  void CancelAfter(int milliseconds);

  DownloadSettings& Settings() { return settings_; }
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<std::string>& StatusTexts() const { return statusTexts_; }
  // Why downloads failed, one entry per failure.
  const std::vector<std::string>& Reasons() const { return reasons_; }
  bool Busy() const { return busy_; }

  DownloadSettings CurrentSettings() override { return settings_; }
  void SetStatusText(const std::string& text) override { statusTexts_.push_back(text); }
  void SetLinesRemainingText(const std::string&) override {}
  void ShowLinesRemaining() override {}
  void SetVersionText(const std::string& text) override { versionText_ = text; }
  void ShowVersion() override {}
  void SetLineTimerEnabled(bool enabled) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void LogFailureReason(const std::string& reason) override { reasons_.push_back(reason); }
  bool AskYesNo(const std::string& text) override;
  void FocusFlashBrowseButton() override {}
  void SetControlsBusy() override { busy_ = true; }
  void SetControlsIdle() override;
  void DisableEepromControls() override {}
  void DisableCancelButton() override {}
  void PumpEvents() override;
  void PumpPendingEvents() override;

  const std::string& VersionText() const { return versionText_; }

  // Runs as the lines-remaining timer is switched, before the switch takes effect.
  std::function<void(bool)> onLineTimer;

 private:
  DownloadSettings settings_;
  Downloader* downloader_ = nullptr;
  QTimer timer1_;
  QTimer timer3_;
  QTimer cancel_;
  bool busy_ = false;
  std::string versionText_;
  std::vector<std::string> statusTexts_;
  std::vector<std::string> messages_;
  std::vector<std::string> reasons_;
};

}  // namespace tarnwick::testing
