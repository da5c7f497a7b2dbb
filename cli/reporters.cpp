#include "cli/reporters.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace tarnwick::cli {
namespace {

constexpr int kBarWidth = 30;

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

// The outcome as every human-readable style prints it: the window's message, the time, and
// the reason of a failure on a line of its own.
void PrintOutcome(std::ostream& out, const std::string& message, const std::string& reason,
                  const std::string& time) {
  out << (message.empty() ? "Stopped." : message) << time << '\n';
  if (!reason.empty()) out << "Reason: " << reason << '\n';
  out << std::flush;
}

class TerminalReporter final : public BoardEvents {
 public:
  explicit TerminalReporter(std::ostream& out) : out_(out) {}

  void Phase(const std::string& text) override {
    EndBar();
    out_ << text << '\n' << std::flush;
  }
  void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                double seconds) override {
    const int filled = total > 0 ? static_cast<int>(kBarWidth * sent / total) : kBarWidth;
    out_ << '\r' << file << " [" << std::string(filled, '#') << std::string(kBarWidth - filled, '-')
         << "] " << sent << '/' << total << " lines  " << Fixed(LinesPerSecond(sent, seconds), 0)
         << " lines/s  " << TimeLeft(sent, total, seconds) << " left  \x1b[K" << std::flush;
    bar_shown_ = true;
  }
  void Prompt(const std::string& text, bool answer) override {
    EndBar();
    out_ << text << (answer ? " yes" : " no") << '\n' << std::flush;
  }
  void Outcome(const std::string& message, const std::string& reason, int,
               double seconds) override {
    EndBar();
    PrintOutcome(out_, message, reason, " (" + Fixed(seconds, 1) + " s)");
  }

 private:
  void EndBar() {
    if (bar_shown_) out_ << '\n';
    bar_shown_ = false;
  }

  std::ostream& out_;
  bool bar_shown_ = false;
};

class PlainReporter final : public BoardEvents {
 public:
  explicit PlainReporter(std::ostream& out) : out_(out) {}

  void Phase(const std::string& text) override {
    out_ << text << '\n' << std::flush;
    last_tenth_ = -1;
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
  void Outcome(const std::string& message, const std::string& reason, int,
               double seconds) override {
    PrintOutcome(out_, message, reason, " (" + Fixed(seconds, 1) + " s)");
  }

 private:
  std::ostream& out_;
  int last_tenth_ = -1;
};

class QuietReporter final : public BoardEvents {
 public:
  explicit QuietReporter(std::ostream& out) : out_(out) {}
  void Phase(const std::string&) override {}
  void Progress(const std::string&, std::int64_t, std::int64_t, double) override {}
  void Prompt(const std::string&, bool) override {}
  void Outcome(const std::string& message, const std::string& reason, int, double) override {
    PrintOutcome(out_, message, reason, "");
  }

 private:
  std::ostream& out_;
};

class JsonReporter final : public BoardEvents {
 public:
  JsonReporter(std::ostream& out, std::string port, bool outcomeOnly)
      : out_(out), port_(JsonString(port)), outcome_only_(outcomeOnly) {}

  void Phase(const std::string& text) override { Emit("phase", "\"text\":" + JsonString(text)); }
  void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                double seconds) override {
    const double rate = LinesPerSecond(sent, seconds);
    Emit("progress",
         "\"file\":" + JsonString(file) + ",\"sent\":" + std::to_string(sent) +
             ",\"total\":" + std::to_string(total) + ",\"lines_per_second\":" + Fixed(rate, 1) +
             ",\"seconds_left\":" + (rate > 0 ? Fixed((total - sent) / rate, 1) : "null"));
  }
  void Prompt(const std::string& text, bool answer) override {
    Emit("prompt",
         "\"text\":" + JsonString(text) + ",\"answer\":" + (answer ? "\"yes\"" : "\"no\""));
  }
  void Outcome(const std::string& message, const std::string& reason, int exit_code,
               double seconds) override {
    Emit("outcome", "\"text\":" + JsonString(message) + ",\"reason\":" + JsonString(reason) +
                        ",\"exit_code\":" + std::to_string(exit_code) +
                        ",\"seconds\":" + Fixed(seconds, 3));
  }

 private:
  void Emit(const char* event, const std::string& fields) {
    if (outcome_only_ && std::string_view(event) != "outcome") return;
    out_ << "{\"event\":\"" << event << "\",\"port\":" << port_ << ',' << fields << "}\n"
         << std::flush;
  }

  std::ostream& out_;
  std::string port_;
  bool outcome_only_;
};

// The length of the UTF-8 sequence that starts at text[i], or 0 when none does. Overlong
// forms, surrogates and code points above U+10FFFF are no UTF-8: a JSON reader would refuse
// the whole line for them.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0xC2   ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || i + length > text.size()) return 0;
  // The second byte's range is narrower after the leads that could start an overlong form
  // (E0, F0), a surrogate (ED) or a code point past U+10FFFF (F4).
  const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  const auto second = static_cast<unsigned char>(text[i + 1]);
  if (second < low || second > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += text[i];
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else if (byte < 0x80) {
      json += text[i];
    } else if (const std::size_t length = Utf8SequenceLength(text, i)) {
      json.append(text, i, length);
      i += length - 1;
    } else {
      json += "\\ufffd";
    }
  }
  return json + '"';
}

std::string ClockText(double seconds) {
  const auto whole = static_cast<long>(std::lround(std::max(0.0, seconds)));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

std::unique_ptr<BoardEvents> MakeReporter(ReportStyle style, std::ostream& out,
                                          const std::string& port) {
  switch (style) {
    case ReportStyle::kTerminal:
      return std::make_unique<TerminalReporter>(out);
    case ReportStyle::kPlain:
      return std::make_unique<PlainReporter>(out);
    case ReportStyle::kJson:
    case ReportStyle::kJsonOutcome:
      return std::make_unique<JsonReporter>(out, port, style == ReportStyle::kJsonOutcome);
    case ReportStyle::kQuiet:
      break;
  }
  return std::make_unique<QuietReporter>(out);
}

}  // namespace tarnwick::cli
