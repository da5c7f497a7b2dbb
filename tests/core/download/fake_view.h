#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/download/downloader.h"
#include "tests/core/download/event_log.h"

namespace tarnwick::testing {

// The main window as a download sees it: it logs every text, message, question and change
// of state, answers questions from a script and returns the settings that the test holds (a test
// may change them at any moment). A wait for events moves the clock on to the first thing that
// would wake a real event loop: input, the wait's deadline, a Timer1 tick that still counts
// (60 ms), the scripted Cancel click; Timer3's ticks (1000 ms, while enabled) are delivered as
// they fall due.
class FakeView final : public DownloadView {
 public:
  FakeView(FakeClock& clock, EventLog& log) : clock_(clock), log_(log) {}
  void Attach(Downloader& downloader) { downloader_ = &downloader; }

  DownloadSettings settings;
  std::deque<bool> answers;  // Yes (true) or No to each question in turn; Yes when none left
  std::function<void(const std::string&)> on_status;  // runs as a status text is set
  std::function<void()> on_pump;                      // runs in every wait for events
  // Moves the clock on to the given time or to the first input before it, as the port's
  // descriptor wakes a real event loop; without it the clock moves to the given time.
  std::function<void(std::int64_t until_ms)> await_port;

  // Cancel is clicked at the first pump at or after this time, or after a status text
  // that starts with `prefix`.
  void CancelAt(std::int64_t ms) { cancel_at_ms_ = ms; }
  void CancelOnStatus(std::string prefix) { cancel_on_status_ = std::move(prefix); }
  // The next `times` calls of a method throw. It is named as in its log entry ("idle",
  // "warning", "show"), or "CurrentSettings" and "AwaitEvents".
  void Fail(const std::string& method, int times = 1) { failures_[method] = times; }

  DownloadSettings CurrentSettings() override {
    Check("CurrentSettings");
    return settings;
  }
  // Logged as the window shows it: the status text, then for a file its count and label.
  void PhaseEntered(const DownloadStatus& status) override {
    const std::string text = StatusText(status);
    Record("status " + text);
    if (status.phase == DownloadPhase::kSendingFile) {
      Record("lines " + std::to_string(status.remaining));
      Record("show lines");
    }
    // Time 0 has passed already, so the click comes at the next pump.
    if (!cancel_on_status_.empty() && text.starts_with(cancel_on_status_)) CancelAt(0);
    if (on_status) on_status(text);
  }
  void HandshakeStarted() override { ShowVersion(""); }
  void VersionRead(const std::string&, float) override {}
  void VersionAccepted(float version) override { ShowVersion(ShortestVersionText(version)); }
  void LinesRemaining(std::int64_t) override {}
  void FileSent() override { Record("lines 0"); }
  void SetLineTimerEnabled(bool enabled) override {
    Record(enabled ? "timer3 on" : "timer3 off");
    next_timer3_ms_.reset();
    if (enabled) next_timer3_ms_ = clock_.now_ms + 1000;
  }
  void ShowEnding(const DownloadEnding& ending) override {
    const bool warning = EndingIcon(ending) == MessageIcon::Exclamation;
    Record((warning ? "warning " : "message ") + EndingText(ending));
  }
  void LogFailureReason(const std::string& reason) override { Record("reason " + reason); }
  bool AskToContinue(LineFault fault, std::int64_t line) override {
    Record("ask " + LineFaultQuestion(fault, line));
    const bool yes = answers.empty() || answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void FocusFlashBrowseButton() override { Record("focus"); }
  void SetControlsBusy() override { Record("busy"); }
  void SetControlsIdle() override { Record("idle"); }
  void DisableEepromControls() override { Record("disable eeprom"); }
  void DisableCancelButton() override { Record("disable cancel"); }
  void AwaitEvents(std::chrono::milliseconds most) override;
  void PumpPendingEvents() override;

 private:
  bool FallsDue(std::int64_t& next_ms, std::int64_t interval_ms) const;
  void ShowVersion(const std::string& number) {
    Record("version " + VersionCaption(number));
    Record("show version");
  }
  void Record(const std::string& what) {
    Check(what.substr(0, what.find(' ')));
    log_.Add(what);
  }
  void Check(const std::string& method) {
    auto it = failures_.find(method);
    if (it == failures_.end() || it->second == 0) return;
    --it->second;
    log_.Add(method + " failed");
    throw std::runtime_error(method + " refused");
  }

  FakeClock& clock_;
  EventLog& log_;
  Downloader* downloader_ = nullptr;
  std::map<std::string, int> failures_;
  int pumps_ = 0;
  std::optional<std::int64_t> next_timer1_ms_, next_timer3_ms_, cancel_at_ms_;
  std::string cancel_on_status_;
};

}  // namespace tarnwick::testing
