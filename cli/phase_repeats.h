#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/board_events.h"

namespace tarnwick::cli {

// Passes the events on to `to`, but a phase that comes back while it is one of the last two
// shown is counted instead: a jump-mode handshake against an application that keeps answering
// goes round "Try #2" and "Main code responded" for as long as it takes, and that is one line
// and a count, not a line per pass.
class PhaseRepeats final : public BoardEvents {
 public:
  explicit PhaseRepeats(std::unique_ptr<BoardEvents> to) : to_(std::move(to)) {}

  void Phase(const std::string& text) override;
  void Repeated(const std::string& text, std::int64_t times) override;
  void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                double seconds) override;
  void Asking() override;
  void Prompt(const std::string& text, bool answer) override;
  void Outcome(const BoardOutcome& outcome) override;

 private:
  void Flush();

  std::unique_ptr<BoardEvents> to_;
  std::string last_;
  std::string before_last_;
  std::optional<std::string> cycle_start_;  // the first phase that came back
  std::int64_t repeats_ = 0;                // how often it came back
};

}  // namespace tarnwick::cli
