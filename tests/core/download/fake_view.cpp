#include "tests/core/download/fake_view.h"

#include <stdexcept>

namespace tarnwick::testing {

DownloadSettings FakeView::CurrentSettings() {
  Check("CurrentSettings");
  return settings;
}

void FakeView::SetStatusText(const std::string& text) {
  Record("status " + text);
  if (!cancel_on_status_.empty() && text.starts_with(cancel_on_status_)) cancel_due_ = true;
  if (on_status) on_status(text);
}

void FakeView::SetLinesRemainingText(const std::string& text) {
  Record("lines " + text);
}

void FakeView::SetLineTimerEnabled(bool enabled) {
  Record(enabled ? "timer3 on" : "timer3 off");
  timer3_enabled_ = enabled;
  next_timer3_ms_ = clock_.now_ms + 1000;
}

void FakeView::ShowMessage(const std::string& text, MessageIcon icon) {
  Record((icon == MessageIcon::Exclamation ? "warning " : "message ") + text);
}

bool FakeView::AskYesNo(const std::string& text) {
  Record("ask " + text);
  if (answers.empty()) return true;
  const bool yes = answers.front();
  answers.pop_front();
  return yes;
}

void FakeView::PumpEvents() {
  Check("PumpEvents");
  ++blocking_pumps;
  clock_.now_ms += pump_step_ms;
  if (on_pump) on_pump();
  DeliverEvents();
}

void FakeView::PumpPendingEvents() {
  DeliverEvents();
}

void FakeView::DeliverEvents() {
  if (next_timer1_ms_ == 0) next_timer1_ms_ = clock_.now_ms + 60;
  while (clock_.now_ms >= next_timer1_ms_) {
    downloader_->Timer1_Timer();
    next_timer1_ms_ += 60;
  }
  while (timer3_enabled_ && clock_.now_ms >= next_timer3_ms_) {
    downloader_->Timer3_Timer();
    next_timer3_ms_ += 1000;
  }
  if (cancel_due_ || (cancel_at_ms_ >= 0 && clock_.now_ms >= cancel_at_ms_)) {
    cancel_due_ = false;
    cancel_at_ms_ = -1;
    cancel_on_status_.clear();
    downloader_->Command4_Click();
  }
}

void FakeView::Record(const std::string& what) {
  Check(what.substr(0, what.find(' ')));
  log_.Add(what);
}

// Names are the method's own ("SetControlsIdle") or the first word of its log entry ("idle").
void FakeView::Check(const std::string& method) {
  auto it = failures_.find(method);
  if (it == failures_.end() || it->second == 0) return;
  --it->second;
  log_.Add(method + " failed");
  throw std::runtime_error(method + " refused");
}

}  // namespace tarnwick::testing
