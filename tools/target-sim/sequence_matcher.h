#pragma once

#include <string>
#include <utility>

namespace tarnwick::sim {

// Finds a command of one or more characters in a byte stream, however the stream was cut into
// reads: it keeps the last few characters seen and reports when they end with the command.
// After a match the history is cleared, so one command is never counted twice.
class SequenceMatcher {
 public:
  explicit SequenceMatcher(std::string sequence) : sequence_(std::move(sequence)) {}

  // Adds one character; true when the characters seen so far end with the sequence.
  bool Feed(char c) {
    if (sequence_.empty()) return false;  // an empty command can never be recognised
    recent_ += c;
    if (recent_.size() > sequence_.size()) recent_.erase(0, recent_.size() - sequence_.size());
    if (recent_ != sequence_) return false;
    recent_.clear();
    return true;
  }

  void Reset() { recent_.clear(); }

 private:
  std::string sequence_;
  std::string recent_;
};

}  // namespace tarnwick::sim
