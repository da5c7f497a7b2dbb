#include "cli/reporters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "cli/json_reporter.h"
#include "cli/phase_repeats.h"
#include "cli/terminal.h"

namespace tarnwick::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr int kShortestBar = 5;  // narrower says nothing

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

double LinesPerSecond(std::int64_t sent, double seconds) {
  return seconds > 0 ? sent / seconds : 0.0;
}

std::string TimeLeft(std::int64_t sent, std::int64_t total, double seconds) {
  const double rate = LinesPerSecond(sent, seconds);
  return rate > 0 ? ClockText((total - sent) / rate) : "-";
}

std::string RepeatedText(std::int64_t times) {
  return "(repeated " + std::to_string(times) + (times == 1 ? " time)" : " times)");
}

// The outcome as every human-readable style prints it: the message, the time, the reason of
// a failure on a line of its own and each line the download went on past. A failure goes to
// standard error, so that a script's output holds no failure text and its errors all of it.
void PrintOutcome(std::ostream& out, std::ostream& err, const BoardOutcome& outcome, bool timed) {
  std::ostream& to = outcome.exitCode == 0 ? out : err;
  to << (outcome.message.empty() ? "Stopped." : outcome.message)
     << (timed ? " (" + Fixed(outcome.seconds, 1) + " s)" : "") << '\n';
  if (!outcome.reason.empty()) to << "Reason: " << outcome.reason << '\n';
  for (const ContinuedLine& line : outcome.continued) {
    to << "Continued past line " << line.line << " of " << line.file << ": " << line.reason << '\n';
  }
  to << std::flush;
}

class TerminalReporter final : public BoardEvents {
 public:
  TerminalReporter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  void Phase(const std::string& text) override { Line(text); }
  void Repeated(const std::string&, std::int64_t times) override { Line(RepeatedText(times)); }
  void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                double seconds) override {
    // Redrawn in place: the line must never wrap, and what a longer line left is cleared.
    out_ << '\r' << BarLine(file, sent, total, seconds, TerminalColumns()) << "\x1b[K"
         << std::flush;
    bar_shown_ = true;
  }
  // The question goes on a line of its own below the bar, which stays at the failed line.
  void Asking() override {
    EndBar();
    asked_ = true;
  }
  // A question answered on the terminal stands there with its answer already.
  void Prompt(const std::string& text, bool answer) override {
    if (!std::exchange(asked_, false)) Line(text + (answer ? " yes" : " no"));
  }
  void Outcome(const BoardOutcome& outcome) override {
    EndBar();
    PrintOutcome(out_, err_, outcome, true);
  }

 private:
  void Line(const std::string& text) {
    EndBar();
    out_ << text << '\n' << std::flush;
  }
  void EndBar() {
    if (bar_shown_) out_ << '\n' << std::flush;
    bar_shown_ = false;
  }

  std::ostream& out_;
  std::ostream& err_;
  bool bar_shown_ = false;
  bool asked_ = false;
};

class PlainReporter final : public BoardEvents {
 public:
  PlainReporter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  void Phase(const std::string& text) override {
    out_ << text << '\n' << std::flush;
    last_tenth_ = -1;
  }
  void Repeated(const std::string&, std::int64_t times) override {
    out_ << RepeatedText(times) << '\n' << std::flush;
  }
  void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                double seconds) override {
    const int tenth = total > 0 ? static_cast<int>(10 * sent / total) : 10;
    if (tenth == last_tenth_) return;
    last_tenth_ = tenth;
    out_ << file << ' ' << tenth * 10 << " % (" << sent << '/' << total << " lines, "
         << Fixed(LinesPerSecond(sent, seconds), 0) << " lines/s)\n"
         << std::flush;
  }
  void Prompt(const std::string& text, bool answer) override {
    out_ << text << (answer ? " yes" : " no") << '\n' << std::flush;
  }
  void Outcome(const BoardOutcome& outcome) override { PrintOutcome(out_, err_, outcome, true); }

 private:
  std::ostream& out_;
  std::ostream& err_;
  int last_tenth_ = -1;
};

class QuietReporter final : public BoardEvents {
 public:
  QuietReporter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void Phase(const std::string&) override {}
  void Repeated(const std::string&, std::int64_t) override {}
  void Progress(const std::string&, std::int64_t, std::int64_t, double) override {}
  void Prompt(const std::string&, bool) override {}
  void Outcome(const BoardOutcome& outcome) override { PrintOutcome(out_, err_, outcome, false); }

 private:
  std::ostream& out_;
  std::ostream& err_;
};

std::unique_ptr<BoardEvents> PrinterFor(ReportStyle style, std::ostream& out, std::ostream& err,
                                        const std::string& port) {
  switch (style) {
    case ReportStyle::kTerminal:
      return std::make_unique<TerminalReporter>(out, err);
    case ReportStyle::kPlain:
      return std::make_unique<PlainReporter>(out, err);
    case ReportStyle::kJson:
    case ReportStyle::kJsonOutcome:
      return MakeJsonReporter(out, port, style == ReportStyle::kJsonOutcome);
    case ReportStyle::kQuiet:
      break;
  }
  return std::make_unique<QuietReporter>(out, err);
}

}  // namespace

std::string BarLine(const std::string& file, std::int64_t sent, std::int64_t total, double seconds,
                    int columns) {
  const std::string figures = std::to_string(sent) + '/' + std::to_string(total) + " lines  " +
                              Fixed(LinesPerSecond(sent, seconds), 0) + " lines/s  " +
                              TimeLeft(sent, total, seconds) + " left";
  // The bar takes what room the words leave, up to its full width; too little, and it goes.
  const int room = columns - 1 - static_cast<int>(file.size() + figures.size()) - 4;
  const int width = std::min(kBarWidth, room);
  if (width < kShortestBar) return FitToColumns(file + ' ' + figures, columns);
  const int filled = total > 0 ? static_cast<int>(width * sent / total) : width;
  return file + " [" + std::string(filled, '#') + std::string(width - filled, '-') + "] " + figures;
}

std::string ClockText(double seconds) {
  const auto whole = static_cast<long>(std::lround(std::max(0.0, seconds)));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

std::unique_ptr<BoardEvents> MakeReporter(ReportStyle style, std::ostream& out, std::ostream& err,
                                          const std::string& port) {
  return std::make_unique<PhaseRepeats>(PrinterFor(style, out, err, port));
}

}  // namespace tarnwick::cli
