#include "core/download/received_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tarnwick {

namespace {
// Settings change only when the user edits them during a download, so a handful of memos is
// plenty; past this many the oldest are simply forgotten.
constexpr std::size_t kMaxMemos = 16;
// What is kept after a V that may yet be read as the version.
constexpr std::size_t kVersionTextKept = 4 * 1024;
}  // namespace

void ReceivedTextBuffer::Replace(std::string text) {
  text_ = std::move(text);
  memos_.clear();
  examined_bytes_ = 0;
  gaps_.clear();
  dropped_.reset();
}

bool ReceivedTextBuffer::Contains(std::string_view setting) {
  if (setting.empty()) return false;
  Memo& memo = MemoFor(setting);
  Search(memo);
  return memo.found;
}

void ReceivedTextBuffer::Search(Memo& memo) {
  if (memo.found) return;
  const std::size_t overlap = memo.setting.size() - 1;
  const std::size_t from = memo.searched_up_to > overlap ? memo.searched_up_to - overlap : 0;
  if (text_.size() > from) {
    examined_bytes_ += text_.size() - from;
    memo.found = Find(memo.setting, from) != std::string::npos;
  }
  memo.searched_up_to = text_.size();
}

std::size_t ReceivedTextBuffer::EndOfFirst(std::string_view setting) const {
  if (setting.empty()) return std::string::npos;
  const std::size_t kept = Find(setting, 0);
  const bool was_dropped = setting.size() == 1 && dropped_[static_cast<unsigned char>(setting[0])];
  if (was_dropped && (kept == std::string::npos || kept >= gaps_.front())) return gaps_.front();
  return kept == std::string::npos ? kept : kept + setting.size();
}

std::size_t ReceivedTextBuffer::Find(std::string_view setting, std::size_t from) const {
  const std::string_view text(text_);
  for (const std::size_t gap : gaps_) {
    if (from >= gap) continue;
    const std::size_t found = text.substr(0, gap).find(setting, from);
    if (found != std::string::npos) return found;
    from = gap;
  }
  return text.find(setting, from);
}

void ReceivedTextBuffer::DropMiddle(std::size_t head, std::size_t tail) {
  if (!gaps_.empty()) head = std::max(head, gaps_.back());
  if (text_.size() <= head + tail || text_.size() - head - tail < tail) return;
  for (Memo& memo : memos_) Search(memo);
  const std::size_t count = text_.size() - head - tail;
  RememberDropped(std::string_view(text_).substr(head, count));
  text_.erase(head, count);
  if (gaps_.empty() || gaps_.back() != head) gaps_.push_back(head);
  for (Memo& memo : memos_) memo.searched_up_to = text_.size();
}

void ReceivedTextBuffer::KeepWithin(std::size_t limit, std::string_view ready) {
  if (text_.size() <= limit) return;
  const std::size_t quarter = limit / 4;
  std::size_t head = quarter;
  // The number after a V that decides the version is never longer than this.
  const auto through_number = [&](std::size_t v) { return v + 1 + kVersionTextKept; };
  if (const std::size_t v = text_.find('V'); v != std::string::npos) {
    head = std::max(head, through_number(v));
  }
  if (Contains(ready)) {
    const std::size_t v = VersionAfter(ready);
    head = std::max(head, v == std::string::npos ? EndOfFirst(ready) : through_number(v));
  }
  DropMiddle(head, quarter);
}

std::size_t ReceivedTextBuffer::VersionAfter(std::string_view ready) const {
  const std::size_t ready_end = EndOfFirst(ready);
  return ready_end == std::string::npos ? ready_end : text_.find('V', ready_end);
}

std::size_t ReceivedTextBuffer::VersionStart(std::string_view ready) const {
  const std::size_t v = VersionAfter(ready);
  return v != std::string::npos ? v : text_.find('V');
}

// Block by block: a block of one byte value (a target that repeats one character for hours)
// takes one comparison of the block with itself, one byte on, instead of a look at each byte.
void ReceivedTextBuffer::RememberDropped(std::string_view bytes) {
  constexpr std::size_t kBlock = 4096;
  for (std::size_t at = 0; at < bytes.size(); at += kBlock) {
    const std::string_view block = bytes.substr(at, kBlock);
    if (std::memcmp(block.data(), block.data() + 1, block.size() - 1) == 0) {
      dropped_.set(static_cast<unsigned char>(block.front()));
      continue;
    }
    for (const char c : block) dropped_.set(static_cast<unsigned char>(c));
  }
}

ReceivedTextBuffer::Memo& ReceivedTextBuffer::MemoFor(std::string_view setting) {
  auto it = std::find_if(memos_.begin(), memos_.end(),
                         [&](const Memo& memo) { return memo.setting == setting; });
  if (it != memos_.end()) return *it;
  if (memos_.size() >= kMaxMemos) memos_.erase(memos_.begin());
  // A one-byte setting asked for the first time may have occurred only in a dropped middle.
  const bool dropped = setting.size() == 1 && dropped_[static_cast<unsigned char>(setting[0])];
  memos_.push_back(Memo{std::string(setting), 0, dropped});
  return memos_.back();
}

}  // namespace tarnwick
