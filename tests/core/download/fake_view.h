#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/download/download_view.h"
#include "core/download/downloader.h"
#include "tests/core/download/event_log.h"
#include "tests/core/download/fake_clock.h"

namespace tarnwick::testing {

// The main window as a download sees it: it logs every text, message, question and state
// change, answers questions from a script, and returns the settings that the test holds (a
// test may change them at any moment). Each blocking pump advances the clock and delivers
// Timer1 (60 ms) and Timer3 (1000 ms, while enabled) ticks and scripted Cancel clicks.
class FakeView final : public DownloadView {
 public:
  FakeView(FakeClock& clock, EventLog& log) : clock_(clock), log_(log) {}
  void Attach(Downloader& downloader) { downloader_ = &downloader; }

  DownloadSettings settings;
  std::deque<bool> answers;  // Yes (true) or No to each question in turn; Yes when none left
  std::int64_t pump_step_ms = 20;
  std::function<void(const std::string&)> on_status;  // runs as a status text is set
  std::function<void()> on_pump;                      // runs in every blocking pump
  int blocking_pumps = 0;

  // The Cancel click reaches the download at the first pump at or after this time.
  void CancelAt(std::int64_t ms) { cancel_at_ms_ = ms; }
  // ... at the first pump after a status text that starts with this.
  void CancelOnStatus(std::string prefix) { cancel_on_status_ = std::move(prefix); }
  // The next `times` calls of the named method throw.
  void Fail(const std::string& method, int times = 1) { failures_[method] = times; }

  DownloadSettings CurrentSettings() override;
  void SetStatusText(const std::string& text) override;
  void SetLinesRemainingText(const std::string& text) override;
  void ShowLinesRemaining() override { Record("show lines"); }
  void SetVersionText(const std::string& text) override { Record("version " + text); }
  void ShowVersion() override { Record("show version"); }
  void SetLineTimerEnabled(bool enabled) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& text) override;
  void FocusFlashBrowseButton() override { Record("focus"); }
  void SetControlsBusy() override { Record("busy"); }
  void SetControlsIdle() override { Record("idle"); }
  void DisableEepromControls() override { Record("disable eeprom"); }
  void DisableCancelButton() override { Record("disable cancel"); }
  void PumpEvents() override;
  void PumpPendingEvents() override;

 private:
  void Record(const std::string& what);
  void Check(const std::string& method);
  void DeliverEvents();

  FakeClock& clock_;
  EventLog& log_;
  Downloader* downloader_ = nullptr;
  std::map<std::string, int> failures_;
  bool timer3_enabled_ = false;
  std::int64_t next_timer1_ms_ = 0;
  std::int64_t next_timer3_ms_ = 0;
  std::int64_t cancel_at_ms_ = -1;
  std::string cancel_on_status_;
  bool cancel_due_ = false;
};

}  // namespace tarnwick::testing
