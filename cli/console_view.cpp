#include "cli/console_view.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <string_view>
#include <utility>

#include "cli/line_faults.h"

namespace tarnwick::cli {
namespace {

// Often enough for a smooth bar, rarely enough to cost nothing next to the line exchange.
constexpr int kProgressIntervalMs = 100;
// The longest the event loop goes without a turn between two lines.
constexpr std::chrono::milliseconds kLongestWithoutATurn{10};

}  // namespace

ConsoleView::ConsoleView(DownloadSettings settings, BoardEvents& events, Answerer answer)
    : settings_(std::move(settings)), events_(events), answer_(std::move(answer)) {
  tick_.setInterval(60);
  progress_.setInterval(kProgressIntervalMs);
}

void ConsoleView::Attach(Downloader& downloader) {
  downloader_ = &downloader;
  QObject::connect(&tick_, &QTimer::timeout, [this] { downloader_->OnTick(); });
  QObject::connect(&progress_, &QTimer::timeout, [this] { ReportProgress(); });
  tick_.start();
}

void ConsoleView::PhaseEntered(const DownloadStatus& status) {
  if (status.phase != DownloadPhase::kSendingFile) {
    events_.Phase(StatusText(status));
    return;
  }
  stage_ = status.stage;
  total_lines_ = remaining_ = status.remaining;
  // The window shows the count in a label beside the status; a line of its own carries it.
  events_.Phase(StatusText(status) + std::to_string(remaining_));
}

// Each tenth of a file is reported as it is reached, however fast the lines go, so that a log
// shows every step.
void ConsoleView::LinesRemaining(std::int64_t remaining) {
  remaining_ = remaining;
  const std::int64_t total = total_lines_ + 1;
  const std::int64_t tenth = total > 0 ? 10 * (total_lines_ - remaining_) / total : 10;
  if (progress_.isActive() && tenth != last_tenth_) ReportProgress();
}

// The version as the bootloader sent it, at every version: the window's caption shows it
// rounded ("1.3") and only from 1.30 on, but a production line's record needs it whole.
void ConsoleView::VersionRead(const std::string& asSent, float) {
  if (handshakeEnded) handshakeEnded();
  version_ = asSent;
  if (!asSent.empty()) events_.Phase(VersionCaption(asSent));
}

void ConsoleView::SetLineTimerEnabled(bool enabled) {
  if (enabled) {
    file_start_ = std::chrono::steady_clock::now();
    ReportProgress();
    progress_.start();
  } else {
    progress_.stop();
  }
}

bool ConsoleView::AskToContinue(LineFault fault, std::int64_t line) {
  // After a stop the engine may still ask about the line it was waiting for; that question
  // is not true of anything the target did, so it is neither shown nor recorded.
  if (stopping_) return false;
  // The bar stands at the failed line while the question waits, and the time the answer
  // takes is no time of the transfer's.
  if (progress_.isActive()) ReportProgress();
  const auto asked = std::chrono::steady_clock::now();
  const std::string question = LineFaultQuestion(fault, line);
  const bool yes = answer_(question);
  file_start_ += std::chrono::steady_clock::now() - asked;
  CheckStop();  // a stop while the question waited for its answer
  if (stopping_) return false;
  events_.Prompt(question, yes);
  const ContinuedLine failing{
      stage_ == FileStage::kEeprom ? settings_.EepromFile : settings_.FlashFile, line,
      ReasonOf(fault)};
  if (yes) {
    continued_.push_back(failing);
  } else {
    refused_fault_ = fault;
    refused_ = LineFaultStatement(fault, line);
    failed_line_ = failing;
  }
  return yes;
}

void ConsoleView::AwaitEvents(std::chrono::milliseconds most) {
  wait_.Await(most);
  last_turn_ = std::chrono::steady_clock::now();
  CheckStop();
}

void ConsoleView::PumpPendingEvents() {
  // Without a window, the loop serves only timers, the port's output and the stop, and every
  // wait for a verdict runs it already; so a turn between lines is given only when the loop
  // has not run for a while (an instant target), which spares a system call on every line.
  const auto now = std::chrono::steady_clock::now();
  if (now - last_turn_ >= kLongestWithoutATurn) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    last_turn_ = now;
  }
  CheckStop();
}

void ConsoleView::CheckStop() {
  if (stopping_ || !stopRequested || !stopRequested()) return;
  stopping_ = true;
  downloader_->Cancel();
}

// Lines sent of the current file: the engine counts the lines remaining down from the number
// of lines less one, so the file is whole when the count has passed zero.
void ConsoleView::ReportProgress() {
  const std::int64_t total = total_lines_ + 1;
  const std::int64_t sent = total_lines_ - remaining_;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - file_start_).count();
  last_tenth_ = total > 0 ? 10 * sent / total : 10;
  events_.Progress(stage_ == FileStage::kEeprom ? "EEPROM" : "FLASH", sent, total, seconds);
}

}  // namespace tarnwick::cli
