#pragma once

#include <string>

#include "core/download/download_view.h"

namespace tarnwick::fuzzing {

// The number of file descriptors this process holds now.
int OpenFileCount();

// Passes every call on to the window it wraps and notes, each time the window is returned to
// idle, how many files the process holds at that moment: the download must have closed its
// file by then, not merely when its routine's locals go away.
class EndingView final : public DownloadView {
 public:
  explicit EndingView(DownloadView& window) : window_(window) {}

  int files_open_when_idle = -1;  // at the last successful return to idle
  bool answered_no = false;

  DownloadSettings CurrentSettings() override { return window_.CurrentSettings(); }
  void SetStatusText(const std::string& text) override { window_.SetStatusText(text); }
  void SetLinesRemainingText(const std::string& text) override {
    window_.SetLinesRemainingText(text);
  }
  void ShowLinesRemaining() override { window_.ShowLinesRemaining(); }
  void SetVersionText(const std::string& text) override { window_.SetVersionText(text); }
  void ShowVersion() override { window_.ShowVersion(); }
  void SetLineTimerEnabled(bool enabled) override { window_.SetLineTimerEnabled(enabled); }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    window_.ShowMessage(text, icon);
  }
  bool AskYesNo(const std::string& text) override {
    const bool yes = window_.AskYesNo(text);
    answered_no = answered_no || !yes;
    return yes;
  }
  void FocusFlashBrowseButton() override { window_.FocusFlashBrowseButton(); }
  void SetControlsBusy() override { window_.SetControlsBusy(); }
  void SetControlsIdle() override {
    window_.SetControlsIdle();
    files_open_when_idle = OpenFileCount();
  }
  void DisableEepromControls() override { window_.DisableEepromControls(); }
  void DisableCancelButton() override { window_.DisableCancelButton(); }
  void PumpEvents() override { window_.PumpEvents(); }
  void PumpPendingEvents() override { window_.PumpPendingEvents(); }

 private:
  DownloadView& window_;
};

}  // namespace tarnwick::fuzzing
