#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The text received from the target during one phase of a download, and the one test made
// on it: whether a protocol setting occurs in it. A chatty target makes the text grow for as
// long as a wait lasts, so each search remembers how far it got for its setting and later
// looks only at what is new (plus the setting's length minus one, for a match that straddles
// the old end). Replacing or clearing the text forgets what was searched.
class ReceivedTextBuffer {
 public:
  const std::string& Text() const { return text_; }

  void Append(std::string_view more) { text_.append(more); }
  void Replace(std::string text);
  void Clear() { Replace(std::string()); }

  // True when the whole of `setting` occurs somewhere in the text, compared byte for byte.
  // An empty setting is never contained: an empty verdict or ready setting must not make a
  // line, a file or a handshake look answered.
  bool Contains(std::string_view setting);

  // The place just after the first occurrence of `setting` in the text as kept; a one-byte
  // setting that was dropped before its first kept place counts as ending at the first gap.
  // npos when it does not occur.
  std::size_t EndOfFirst(std::string_view setting) const;

  // Drops the text between the first `head` bytes and the last `tail` bytes, keeping every
  // answer of Contains: the settings searched so far are brought up to date first, and the
  // byte values dropped are remembered, so a one-byte setting first asked for later is still
  // found in what was dropped. Nothing is dropped until there is more than one gap's worth.
  void DropMiddle(std::size_t head, std::size_t tail);

  // Keeps a text that grows without end near `limit` bytes without changing any answer the
  // handshake takes from it: whether a setting searched so far occurs, where the first `ready`
  // ends and which V the version is read from. Past the limit the middle is dropped; the first
  // quarter (stretched to cover the first V, the ready answer and the version after it) and the
  // latest quarter stay.
  void KeepWithin(std::size_t limit, std::string_view ready);

  // The first V after the first `ready`; npos when there is none (yet).
  std::size_t VersionAfter(std::string_view ready) const;
  // The V that the version is read from: the first one after the ready answer, or the first
  // one at all when none follows it (a bootloader that answers with its version first).
  std::size_t VersionStart(std::string_view ready) const;

  // Bytes looked at by all searches since the last Replace; shows that a growing text is not
  // searched again from its start.
  std::size_t ExaminedBytes() const { return examined_bytes_; }

 private:
  struct Memo {
    std::string setting;
    std::size_t searched_up_to = 0;  // text length at the last search that failed
    bool found = false;              // the text only grows, so once found stays found
  };

  Memo& MemoFor(std::string_view setting);
  void RememberDropped(std::string_view bytes);
  void Search(Memo& memo);
  // The first place of `setting` at or after `from`, not counting a match across a gap.
  std::size_t Find(std::string_view setting, std::size_t from) const;

  std::string text_;
  std::vector<Memo> memos_;
  std::size_t examined_bytes_ = 0;
  std::vector<std::size_t> gaps_;  // where dropped middles were, in order
  std::bitset<256> dropped_;       // the byte values of everything dropped
};

}  // namespace tarnwick
