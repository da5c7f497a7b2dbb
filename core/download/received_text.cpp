#include "core/download/received_text.h"

#include <algorithm>
#include <utility>

namespace tarnwick {

namespace {
// Settings change only when the user edits them during a download, so a handful of memos is
// plenty; past this many the oldest are simply forgotten.
constexpr std::size_t kMaxMemos = 16;
}  // namespace

void ReceivedTextBuffer::Replace(std::string text) {
  text_ = std::move(text);
  memos_.clear();
  examined_bytes_ = 0;
}

bool ReceivedTextBuffer::Contains(std::string_view setting) {
  if (setting.empty()) return false;
  Memo& memo = MemoFor(setting);
  if (memo.found) return true;

  const std::size_t overlap = setting.size() - 1;
  const std::size_t from = memo.searched_up_to > overlap ? memo.searched_up_to - overlap : 0;
  if (text_.size() > from) {
    examined_bytes_ += text_.size() - from;
    memo.found = std::string_view(text_).find(setting, from) != std::string_view::npos;
  }
  memo.searched_up_to = text_.size();
  return memo.found;
}

ReceivedTextBuffer::Memo& ReceivedTextBuffer::MemoFor(std::string_view setting) {
  auto it = std::find_if(memos_.begin(), memos_.end(),
                         [&](const Memo& memo) { return memo.setting == setting; });
  if (it != memos_.end()) return *it;
  if (memos_.size() >= kMaxMemos) memos_.erase(memos_.begin());
  memos_.push_back(Memo{std::string(setting)});
  return memos_.back();
}

}  // namespace tarnwick
