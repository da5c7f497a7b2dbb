// The end of a download: the wait for the target's verdict on a whole file, the outcome
// message, the cleanup, and the ending of a download in which no file was ticked.

#include <string>

#include "core/download/download_run.h"
#include "core/download/serial_link.h"
#include "core/download/three_second_watch.h"

namespace tarnwick {

// Up to three whole seconds, ended early only by the file-errors character: a target that
// reports success is still given the full time. Cancel is not looked at here, and no window
// events are handled: the wait blocks on the port alone, for the time that is left.
void DownloadRun::WaitForFileVerdict() {
  ThreeSecondWatch watch(clock_);
  while (watch.Running() && !received_text_.Contains(verdicts_.FileErrors)) {
    port_.WaitForInput(watch.TimeLeft());
    AppendPendingInput();
  }
}

// The outcome is judged on the last file's verdict. When the EEPROM file of a two-file
// download ended with errors, the message says so first and then gives the application
// file's result in the words of a download of that file alone.
void DownloadRun::ShowOutcome(bool eeprom_failed) {
  const Selection selection = eeprom_failed ? Selection::kApplication : file_selection_;
  std::string message;
  if (received_text_.Contains(verdicts_.FileOk)) {
    result_ = DownloadResult::kSuccess;
    switch (selection) {
      case Selection::kApplication:
        message = "Flash File successfully downloaded.";
        break;
      case Selection::kEeprom:
        message = "EEPROM File successfully downloaded.";
        break;
      case Selection::kBoth:
        message = "Flash & EEPROM Files successfully downloaded.";
        break;
      case Selection::kNone:
        break;
    }
  }
  if (message.empty()) {
    const bool errors = received_text_.Contains(verdicts_.FileErrors);
    result_ = errors ? DownloadResult::kFileErrors : DownloadResult::kNoResponseAtEndOfFile;
    message = errors ? "Error encountered while downloading file."
                     : "Error encountered while downloading file.  No response from bootloader "
                       "at end of file.";
  }
  if (eeprom_failed) {
    result_ = DownloadResult::kFileErrors;
    message = "Error encountered while downloading the EEPROM file. " + message;
  }
  view_.ShowMessage(message, MessageIcon::None);
}

void DownloadRun::Cleanup() {
  file_.Close();
  scope_ = FailureScope::kClosing;
  ClosePort(port_);
  StopLineTimer();
  view_.SetControlsIdle();
}

// A download that ends in the middle of a file (Cancel, No, a failure) would otherwise leave
// the line timer writing the count into the hidden lines-remaining label every second.
void DownloadRun::StopLineTimer() noexcept {
  try {
    view_.SetLineTimerEnabled(false);
  } catch (...) {
  }
}

// From the closed port on, a failing step is skipped and the next one runs.
void DownloadRun::EndWithoutFile() noexcept {
  result_ = DownloadResult::kNothingTicked;
  ClosePort(port_);
  SetControlsIdleSafely();
  try {
    view_.ShowMessage("Check box to download code.", MessageIcon::None);
  } catch (...) {
  }
  try {
    view_.FocusFlashBrowseButton();
  } catch (...) {
  }
}

}  // namespace tarnwick
