#include "tests/core/download/fake_view.h"

namespace tarnwick::testing {

void FakeView::PumpPendingEvents() {
  // A wait that never ends would hang the test; some hours of it fail the download.
  if (++pumps_ > 1'000'000) throw std::runtime_error("pumped without end");
  if (!next_timer1_ms_) next_timer1_ms_ = clock_.now_ms + 60;
  for (; clock_.now_ms >= *next_timer1_ms_; *next_timer1_ms_ += 60) downloader_->OnTick();
  for (; next_timer3_ms_ && clock_.now_ms >= *next_timer3_ms_; *next_timer3_ms_ += 1000) {
    downloader_->OnSecond();
  }
  if (cancel_at_ms_ && clock_.now_ms >= *cancel_at_ms_) {
    cancel_at_ms_.reset();
    cancel_on_status_.clear();
    downloader_->Cancel();
  }
}

}  // namespace tarnwick::testing
