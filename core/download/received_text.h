#pragma once

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

  std::string text_;
  std::vector<Memo> memos_;
  std::size_t examined_bytes_ = 0;
};

}  // namespace tarnwick
