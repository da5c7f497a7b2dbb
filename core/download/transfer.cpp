// The transfer: the version gate, the EEPROM and application stages, the counting pass and
// the line loop. The EEPROM file always goes before the application file.

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "core/download/download_run.h"
#include "core/download/line_bytes.h"

namespace tarnwick {

namespace {

// The line counts are 16-bit numbers; going past their range is a failure of the
// download, not a silent wrap-around.
std::int16_t CountedDown(std::int16_t count) {
  if (count == std::numeric_limits<std::int16_t>::min()) {
    throw std::overflow_error("line count out of range");
  }
  return static_cast<std::int16_t>(count - 1);
}

}  // namespace

DownloadRun::Flow DownloadRun::SendSelectedFiles() {
  bool eeprom_first = false;
  if (bootloader_version_ < 1.3f) {
    if (file_selection_ == Selection::kEeprom || file_selection_ == Selection::kBoth) {
      RefuseEeprom();
      return Flow::kEnded;
    }
    if (file_selection_ == Selection::kNone) {
      EndWithoutFile();
      return Flow::kEnded;
    }
  } else {
    view_.VersionAccepted(bootloader_version_);
    if (state_.Stage == FileStage::kNone) {
      EndWithoutFile();
      return Flow::kEnded;
    }
    eeprom_first = state_.Stage != FileStage::kApplication;
  }

  bool eeprom_failed = false;
  if (eeprom_first) {
    if (SendFile(FileStage::kEeprom) == Flow::kCleanup) return Flow::kCleanup;
    if (!flash_pending_) {
      ShowOutcome(false);
      return Flow::kCleanup;
    }
    // The application file is still sent after an EEPROM file that ended with errors, but
    // the outcome must not call that file a success. Its answer stays for the first flash line.
    eeprom_failed = received_text_.Contains(verdicts_.FileErrors);
    file_.Close();
  }
  if (SendFile(FileStage::kApplication) == Flow::kCleanup) return Flow::kCleanup;
  ShowOutcome(eeprom_failed);
  return Flow::kCleanup;
}

// Bootloaders before 1.30 cannot write EEPROM: neither file is sent and the tick is removed.
void DownloadRun::RefuseEeprom() {
  view_.DisableEepromControls();
  ShowEnding(DownloadResult::kEepromRefused, EndingMessage::kEepromNotSupported);
  port_.Close();  // the port is open here, so it is closed without asking
  view_.SetControlsIdle();
}

DownloadRun::Flow DownloadRun::SendFile(FileStage stage) {
  if (stage == FileStage::kApplication) {
    flash_pending_ = false;
    state_.Stage = FileStage::kApplication;
  }
  OpenDownloadFile(stage);
  if (stage == FileStage::kEeprom) {
    // "!" tells the bootloader that a flash file follows the EEPROM file.
    const std::string command = LineBytes(view_.CurrentSettings().EepromWriteCommand);
    port_.Output(flash_pending_ ? command + "!" : command);
  }
  CountLines();
  if (SendLines() == Flow::kCleanup) return Flow::kCleanup;
  WaitForFileVerdict();
  return Flow::kGoOn;
}

void DownloadRun::OpenDownloadFile(FileStage stage) {
  scope_ = FailureScope::kFileOpening;
  const DownloadSettings settings = view_.CurrentSettings();
  const std::string path = stage == FileStage::kEeprom ? settings.EepromFile : settings.FlashFile;
  view_.PhaseEntered(DownloadStatus::Opening(path));
  file_.Open(path);
  scope_ = FailureScope::kRunning;
}

// Counts every line, empty ones too, so that the remaining count starts at lines - 1. A file
// longer than the 16-bit count can hold fails here, before any of its lines is sent.
void DownloadRun::CountLines() {
  state_.LineCount = 0;
  while (!file_.AtEnd()) {
    file_.SkipLine();
    if (state_.LineCount == std::numeric_limits<std::int16_t>::max()) {
      throw std::overflow_error("too many lines");
    }
    ++state_.LineCount;
  }
  state_.LineCount = CountedDown(state_.LineCount);
  state_.TotalLines = state_.LineCount;
  file_.Rewind();

  view_.PhaseEntered(DownloadStatus::Sending(state_.Stage, state_.LineCount));
  view_.SetLineTimerEnabled(true);

  const DownloadSettings settings = view_.CurrentSettings();
  verdicts_ = VerdictSettings{
      LineBytes(settings.LineCompleteCharacter), LineBytes(settings.PageErrorCharacter),
      LineBytes(settings.ChecksumErrorCharacter), LineBytes(settings.FileErrorsCharacter),
      LineBytes(settings.FileOkCharacter)};
}

// Empty lines are neither sent nor counted down. The window gets a turn after every line;
// a cancel takes effect at the next line boundary.
DownloadRun::Flow DownloadRun::SendLines() {
  while (!file_.AtEnd()) {
    if (state_.CancelRequested) return Flow::kCleanup;
    const std::string line = file_.ReadLine();
    if (!line.empty()) {
      if (ExchangeLine(line) == Flow::kCleanup) return Flow::kCleanup;
      state_.LineCount = CountedDown(state_.LineCount);
      view_.LinesRemaining(state_.LineCount);
    }
    view_.PumpPendingEvents();
  }
  view_.FileSent();
  view_.SetLineTimerEnabled(false);
  return Flow::kGoOn;
}

}  // namespace tarnwick
