#include "tests/core/download/fake_view.h"

namespace tarnwick::testing {

void FakeView::PumpPendingEvents() {
  if (!next_timer1_ms_) next_timer1_ms_ = clock_.now_ms + 60;
  for (; clock_.now_ms >= *next_timer1_ms_; *next_timer1_ms_ += 60) downloader_->Timer1_Timer();
  for (; next_timer3_ms_ && clock_.now_ms >= *next_timer3_ms_; *next_timer3_ms_ += 1000) {
    downloader_->Timer3_Timer();
  }
  if (cancel_at_ms_ && clock_.now_ms >= *cancel_at_ms_) {
    cancel_at_ms_.reset();
    cancel_on_status_.clear();
    downloader_->Command4_Click();
  }
}

}  // namespace tarnwick::testing
