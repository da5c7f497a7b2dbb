#include "tests/core/download/fake_view.h"

#include <algorithm>

namespace tarnwick::testing {

namespace {
// A wait with nothing due still ends now and then, as a real window's timers would end it, so
// that a download that waits for ever runs into the pump limit instead of stopping the clock.
constexpr std::int64_t kLongestQuietMs = 60'000;
}  // namespace

void FakeView::AwaitEvents(std::chrono::milliseconds most) {
  Check("AwaitEvents");
  const std::int64_t now = clock_.now_ms;
  std::int64_t until = now + std::min<std::int64_t>(most.count(), kLongestQuietMs);
  if (!next_timer1_ms_) next_timer1_ms_ = now + 60;
  // A tick changes nothing once TickCount has reached 5, so only a tick that counts wakes.
  if (downloader_->State().TickCount < 5) until = std::min(until, *next_timer1_ms_);
  if (cancel_at_ms_) until = std::min(until, std::max(now, *cancel_at_ms_));
  if (await_port) {
    await_port(until);
  } else {
    clock_.now_ms = std::max(now, until);
  }
  if (on_pump) on_pump();
  PumpPendingEvents();
}

// As a Qt timer: a tick that falls due fires once, however many intervals went by without a
// look (the about window held the loop, the clock was set forward), and the next one is due
// at the next interval after now.
bool FakeView::FallsDue(std::int64_t& next_ms, std::int64_t interval_ms) const {
  if (clock_.now_ms < next_ms) return false;
  next_ms += interval_ms * ((clock_.now_ms - next_ms) / interval_ms + 1);
  return true;
}

void FakeView::PumpPendingEvents() {
  // A wait that never ends would hang the test; some hours of it fail the download.
  if (++pumps_ > 1'000'000) throw std::runtime_error("pumped without end");
  if (!next_timer1_ms_) next_timer1_ms_ = clock_.now_ms + 60;
  if (FallsDue(*next_timer1_ms_, 60)) downloader_->OnTick();
  if (next_timer3_ms_ && FallsDue(*next_timer3_ms_, 1000)) {
    Record("lines " + std::to_string(downloader_->State().LineCount));
  }
  if (cancel_at_ms_ && clock_.now_ms >= *cancel_at_ms_) {
    cancel_at_ms_.reset();
    cancel_on_status_.clear();
    downloader_->Cancel();
  }
}

}  // namespace tarnwick::testing
