#include "tests/core/download/fake_target.h"

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
  const std::int64_t sent = std::max(due, noise_sent_ + (pending_.empty() ? 1 : 0));
  pending_.append(static_cast<std::size_t>(sent - noise_sent_), noise_);
  noise_sent_ = sent;
}

}  // namespace tarnwick::testing
