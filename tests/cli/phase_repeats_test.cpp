#include "cli/phase_repeats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::cli {
namespace {

// Writes down what reaches the printer, one text per event.
class Recorder final : public BoardEvents {
 public:
  explicit Recorder(std::vector<std::string>& seen) : seen_(seen) {}
  void Phase(const std::string& text) override { seen_.push_back(text); }
  void Repeated(const std::string& text, std::int64_t times) override {
    seen_.push_back(text + " x" + std::to_string(times));
  }
  void Progress(const std::string& file, std::int64_t, std::int64_t, double) override {
    seen_.push_back(file);
  }
  void Prompt(const std::string& text, bool) override { seen_.push_back(text); }
  void Outcome(const BoardOutcome& outcome) override { seen_.push_back(outcome.message); }

 private:
  std::vector<std::string>& seen_;
};

TEST(PhaseRepeats, ShowsAPhaseThatComesRoundOnceWithItsCount) {
  const std::string t1 = "Requesting Ack from target bootloader.  Try #1";
  const std::string t2 = "Requesting Ack from target bootloader.  Try #2";
  const std::string main = "Main code responded.  Switching to bootloader.";
  struct Case {
    std::vector<std::string> phases;
    std::vector<std::string> shown;
  };
  for (const Case& c : std::vector<Case>{
           // An application that answers for ever: one pass shown, then the count.
           {{t1, main, t2, main, t2, main, t2, "BootLoader Version: 1.30"},
            {t1, main, t2, main + " x2", "BootLoader Version: 1.30"}},
           // A silent target: three different tries, each shown.
           {{t1, t2, "Try #3"}, {t1, t2, "Try #3"}},
           // The same status twice in a row.
           {{t1, t1, t1}, {t1, t1 + " x2"}},
       }) {
    std::vector<std::string> seen;
    PhaseRepeats repeats(std::make_unique<Recorder>(seen));
    for (const std::string& phase : c.phases) repeats.Phase(phase);
    repeats.Outcome({"done", "", 0, 0, {}});
    std::vector<std::string> expected = c.shown;
    expected.push_back("done");
    EXPECT_EQ(seen, expected);
  }
}

}  // namespace
}  // namespace tarnwick::cli
