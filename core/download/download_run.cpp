#include "core/download/download_run.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "core/download/line_bytes.h"
#include "core/download/serial_link.h"
#include "core/download/utf8.h"

namespace tarnwick {

namespace {

// Shorter than two characters cannot name a file; anything longer is left to the opening.
bool PathMissing(const std::string& path) {
  return Utf8CharacterCount(path) < 2;  // the box counts characters, not bytes
}

}  // namespace

DownloadResult DownloadRun::Run(Mode mode) {
  try {
    scope_ = FailureScope::kPortSetUp;
    if (!SelectionPasses() || !ProtocolSettingsSendable()) return result_;
    view_.SetControlsBusy();
    state_.CancelRequested = false;
    view_.PhaseEntered(DownloadStatus::Of(DownloadPhase::kInitializingPort));
    SetUpPort();

    scope_ = FailureScope::kRunning;
    // Every ending from here on says what it was; one that does not is a Cancel or a No.
    result_ = DownloadResult::kStopped;
    Flow flow = Handshake(mode);
    if (flow == Flow::kGoOn) flow = SendSelectedFiles();
    if (flow != Flow::kEnded) Cleanup();
  } catch (const std::exception& error) {
    ReactToFailure(&error);
  } catch (...) {
    ReactToFailure(nullptr);
  }
  return result_;
}

bool DownloadRun::SelectionPasses() {
  const DownloadSettings settings = view_.CurrentSettings();
  const bool flash = settings.FlashSelected != 0;
  const bool eeprom = settings.EepromSelected != 0;

  // The EEPROM file always goes first, so FileStage names it whenever it is ticked.
  state_.Stage = eeprom ? FileStage::kEeprom : (flash ? FileStage::kApplication : FileStage::kNone);
  file_selection_ = eeprom ? (flash ? Selection::kBoth : Selection::kEeprom)
                           : (flash ? Selection::kApplication : Selection::kNone);
  flash_pending_ = flash;

  EndingMessage missing;
  if (flash && PathMissing(settings.FlashFile)) {
    missing = EndingMessage::kSelectApplicationFile;
  } else if (eeprom && PathMissing(settings.EepromFile)) {
    missing = EndingMessage::kSelectEepromFile;
  } else {
    return true;
  }
  ShowEnding(DownloadResult::kFileNotChosen, missing);
  // The application file's Browse button is where a user starts choosing files.
  view_.FocusFlashBrowseButton();
  return false;
}

// Each protocol character goes to the line as one byte. A setting that holds a character
// without such a byte (one from a settings file) refuses the download before anything is sent.
bool DownloadRun::ProtocolSettingsSendable() {
  const ProtocolSetting* const unsendable = FirstUnsendableSetting(view_.CurrentSettings());
  if (unsendable == nullptr) return true;
  ShowEnding(DownloadResult::kUnsendableSetting, EndingMessage::kUnsendableSetting,
             unsendable->label);
  return false;
}

void DownloadRun::ShowEnding(DownloadResult result, EndingMessage message, std::string subject) {
  result_ = result;
  view_.ShowEnding(DownloadEnding::Of(result, message, std::move(subject)));
}

void DownloadRun::SetUpPort() {
  port_.SetXonXoffFlowControl();
  if (const auto baud = BaudRateForIndex(view_.CurrentSettings().BaudIndex)) {
    port_.SetBaudRate(*baud);
    // A character is ten bits on the line: start, eight data bits, stop.
    quiet_gap_ms_ = std::max<std::int64_t>(20, (20 * 10 * 1000 + *baud - 1) / *baud);
  }
  port_.SetPortNumber(view_.CurrentSettings().PortIndex + 1);
  port_.Open();
}

}  // namespace tarnwick
