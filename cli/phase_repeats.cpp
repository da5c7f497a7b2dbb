#include "cli/phase_repeats.h"

#include <utility>

namespace tarnwick::cli {

void PhaseRepeats::Phase(const std::string& text) {
  if (text == last_ || text == before_last_) {
    if (!cycle_start_) cycle_start_ = text;
    if (text == *cycle_start_) ++repeats_;
    return;
  }
  Flush();
  before_last_ = std::exchange(last_, text);
  to_->Phase(text);
}

void PhaseRepeats::Repeated(const std::string& text, std::int64_t times) {
  to_->Repeated(text, times);
}

void PhaseRepeats::Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                            double seconds) {
  Flush();
  to_->Progress(file, sent, total, seconds);
}

void PhaseRepeats::Asking() {
  Flush();
  to_->Asking();
}

void PhaseRepeats::Prompt(const std::string& text, bool answer) {
  Flush();
  to_->Prompt(text, answer);
}

void PhaseRepeats::Outcome(const BoardOutcome& outcome) {
  Flush();
  to_->Outcome(outcome);
}

void PhaseRepeats::Flush() {
  if (repeats_ > 0) to_->Repeated(*cycle_start_, repeats_);
  cycle_start_.reset();
  repeats_ = 0;
}

}  // namespace tarnwick::cli
