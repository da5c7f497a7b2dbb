#pragma once

#include <cstdint>
#include <string>

#include "cli/board_events.h"

namespace tarnwick::cli {

// One board's latest state among several, as one line of text, and its outcome once known.
class BoardLine final : public BoardEvents {
 public:
  void Phase(const std::string& text) override { line_ = text; }
  void Repeated(const std::string&, std::int64_t) override {}
  void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                double seconds) override;
  void Prompt(const std::string& text, bool answer) override {
    line_ = text + (answer ? " yes" : " no");
  }
  void Outcome(const BoardOutcome& outcome) override;

  const std::string& Line() const { return line_; }
  const std::string& OutcomeText() const { return outcome_; }
  const std::string& Reason() const { return reason_; }
  int ExitCodeValue() const { return exit_code_; }
  double Seconds() const { return seconds_; }
  bool Ended() const { return exit_code_ >= 0; }

 private:
  std::string line_ = "Starting";
  std::string outcome_;
  std::string reason_;
  int exit_code_ = -1;
  double seconds_ = 0;
};

}  // namespace tarnwick::cli
