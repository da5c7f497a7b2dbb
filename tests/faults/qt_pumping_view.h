#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "core/download/download_view.h"
#include "core/download/downloader.h"

namespace tarnwick::testing {

// The window as a download sees it, without a window: it records the messages and the busy
// and idle states, and its pump runs Qt's real event loop, so that the real serial port's
// notifiers and Timer1's 60 ms ticks arrive as they do in the program.
class QtPumpingView final : public DownloadView {
 public:
  QtPumpingView();
  void Attach(Downloader& downloader) { downloader_ = &downloader; }

  DownloadSettings settings;
  std::vector<std::string> messages;  // "message ..." or "warning ...", in order
  std::vector<std::string> states;    // "busy" and "idle", in order
  std::function<void()> on_pump;      // runs in every pump, before the events are handled
  std::function<void(bool)> on_line_timer;

  DownloadSettings CurrentSettings() override { return settings; }
  void SetStatusText(const std::string&) override {}
  void SetLinesRemainingText(const std::string&) override {}
  void ShowLinesRemaining() override {}
  void SetVersionText(const std::string&) override {}
  void ShowVersion() override {}
  void SetLineTimerEnabled(bool enabled) override {
    if (on_line_timer) on_line_timer(enabled);
  }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.push_back((icon == MessageIcon::Exclamation ? "warning " : "message ") + text);
  }
  bool AskYesNo(const std::string& text) override {
    messages.push_back("ask " + text);
    return false;
  }
  void FocusFlashBrowseButton() override {}
  void SetControlsBusy() override { states.push_back("busy"); }
  void SetControlsIdle() override { states.push_back("idle"); }
  void DisableEepromControls() override {}
  void DisableCancelButton() override {}
  void PumpEvents() override;
  void PumpPendingEvents() override;

 private:
  Downloader* downloader_ = nullptr;
  QTimer timer1_;
};

}  // namespace tarnwick::testing
