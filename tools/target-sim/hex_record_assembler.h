#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnwick::sim {

// Collects one Intel HEX record from a byte stream that carries no line ends. The host sends
// each record as bare text, so the only way to know where a record ends is its own length
// field: after ':' LL the record is complete at 1 + 2 + 4 + 2 + 2*LL + 2 characters.
class HexRecordAssembler {
 public:
  enum class Step {
    kNeedMore,   // the record is still arriving
    kComplete,   // the record is whole; text() holds it
    kMalformed,  // a character that is no hex digit arrived inside the record; it is not kept
  };

  // Starts a new record; the ':' that announced it is already part of text().
  void Begin();

  // Adds the next character of the record. Only call while InProgress().
  Step Feed(char c);

  bool InProgress() const { return inProgress_; }

  // The record so far, ':' included; after kComplete the whole record.
  const std::string& text() const { return text_; }

  // The record type of a complete record.
  std::uint8_t Type() const;

 private:
  std::string text_;
  std::size_t expectedLength_ = 0;  // 0 until the length field has arrived
  bool inProgress_ = false;
};

}  // namespace tarnwick::sim
