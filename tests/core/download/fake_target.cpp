#include "tests/core/download/fake_target.h"

#include <algorithm>
#include <utility>

namespace tarnwick::testing {

void FakeTarget::Answer(const std::string& written, std::vector<Reply> replies) {
  rules_.push_back(Rule{written, std::move(replies)});
}

void FakeTarget::StreamNoise(char c, int bytes_per_second) {
  noise_ = c;
  noise_rate_ = bytes_per_second;
  noise_start_ms_ = clock_.now_ms;
  noise_sent_ = 0;
}

void FakeTarget::SetBaudRate(std::int32_t rate) {
  Call("baud");
  baud = rate;
  log_.Add("baud " + std::to_string(rate));
}

void FakeTarget::SetPortNumber(int number) {
  port_number = number;
  log_.Add("port " + std::to_string(number));
}

void FakeTarget::Open() {
  Call("open");
  open = true;
  log_.Add("open");
}

void FakeTarget::Close() {
  Call("close");
  open = false;
  log_.Add("close");
}

void FakeTarget::Output(std::string_view bytes) {
  if (!open) throw PortError("write on a closed port");
  Call("write");
  writes.emplace_back(bytes);
  log_.Add("write " + std::string(bytes));
  const Reply* reply = &others_;
  for (Rule& rule : rules_) {
    if (rule.written == bytes && !rule.replies.empty()) {
      reply = &rule.replies[std::min(rule.used++, rule.replies.size() - 1)];
      break;
    }
  }
  for (const Piece& piece : *reply) SendAfter(piece.after_ms, piece.text);
}

std::string FakeTarget::Input() {
  if (!open) throw PortError("read on a closed port");
  Call("input");
  NoteQuery();
  Deliver();
  return std::exchange(pending_, std::string());
}

std::int32_t FakeTarget::InBufferCount() {
  if (!open) throw PortError("count on a closed port");
  NoteQuery();
  Deliver();
  return static_cast<std::int32_t>(pending_.size());
}

void FakeTarget::WaitForInput(std::chrono::milliseconds timeout) {
  Deliver();
  if (!pending_.empty()) return;
  std::int64_t until = clock_.now_ms + timeout.count();
  if (const auto next = NextArrival()) until = std::min(until, *next);
  clock_.now_ms = std::max(clock_.now_ms, until);
  Deliver();
}

void FakeTarget::Call(const std::string& operation) {
  if (++calls_[operation] == fail_at_[operation]) throw PortError(operation + " failed");
}

void FakeTarget::NoteQuery() {
  queries_at_same_time_ = clock_.now_ms == last_query_ms_ ? queries_at_same_time_ + 1 : 0;
  last_query_ms_ = clock_.now_ms;
  if (queries_at_same_time_ > 100000) throw PortError("asked without a pause");
}

void FakeTarget::Deliver() {
  while (!scheduled_.empty() && scheduled_.begin()->first <= clock_.now_ms) {
    pending_ += scheduled_.begin()->second;
    scheduled_.erase(scheduled_.begin());
  }
  if (noise_) {
    const std::int64_t due = (clock_.now_ms - noise_start_ms_) * noise_rate_ / 1000;
    if (due > noise_sent_) pending_.append(static_cast<std::size_t>(due - noise_sent_), *noise_);
    noise_sent_ = std::max(noise_sent_, due);
    if (pending_.empty()) {
      pending_ += *noise_;
      ++noise_sent_;
    }
  }
}

std::optional<std::int64_t> FakeTarget::NextArrival() const {
  std::optional<std::int64_t> next;
  if (!scheduled_.empty()) next = scheduled_.begin()->first;
  if (noise_) {
    const std::int64_t byte_at =
        noise_start_ms_ + ((noise_sent_ + 1) * 1000 + noise_rate_ - 1) / noise_rate_;
    next = next ? std::min(*next, byte_at) : byte_at;
  }
  return next;
}

}  // namespace tarnwick::testing
