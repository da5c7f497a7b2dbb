#include "tests/core/download/fake_target.h"

#include <algorithm>

namespace tarnwick::testing {

void FakeTarget::Output(std::string_view bytes) {
  if (!open) throw PortError("write on a closed port");
  Count("write");
  const std::string& written = writes.emplace_back(bytes);
  log_.Add("write " + written);
  if (after_write) after_write();
  auto rule = replies.find(replies.contains(written) ? written : "");
  if (rule == replies.end() || rule->second.empty()) return;
  const std::size_t k = std::min(answered_[written]++, rule->second.size() - 1);
  for (const Piece& piece : rule->second[k]) SendAfter(piece.after_ms, piece.text);
}

void FakeTarget::Deliver() {
  while (!scheduled_.empty() && scheduled_.begin()->first <= clock_.now_ms) {
    pending_ += scheduled_.begin()->second;
    scheduled_.erase(scheduled_.begin());
  }
  if (noise_rate_ == 0) return;
  const std::int64_t due = (clock_.now_ms - noise_start_ms_) * noise_rate_ / 1000;
  if (due <= noise_sent_) return;
  pending_.append(static_cast<std::size_t>(due - noise_sent_), noise_);
  noise_sent_ = due;
}

void FakeTarget::WaitUntil(std::int64_t until_ms) {
  Deliver();
  if (!pending_.empty()) return;
  if (!scheduled_.empty()) until_ms = std::min(until_ms, scheduled_.begin()->first);
  if (noise_rate_ != 0) {
    // The moment the next noise byte is due, to the next whole millisecond.
    const std::int64_t next =
        noise_start_ms_ + ((noise_sent_ + 1) * 1000 + noise_rate_ - 1) / noise_rate_;
    until_ms = std::min(until_ms, next);
  }
  clock_.now_ms = std::max(clock_.now_ms, until_ms);
  Deliver();
}

}  // namespace tarnwick::testing
