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
  DownloadEnding ending;
  if (received_text_.Contains(verdicts_.FileOk) && selection != Selection::kNone) {
    ending.result = DownloadResult::kSuccess;
    ending.message = selection == Selection::kApplication ? EndingMessage::kApplicationDownloaded
                     : selection == Selection::kEeprom    ? EndingMessage::kEepromDownloaded
                                                          : EndingMessage::kBothDownloaded;
  } else if (received_text_.Contains(verdicts_.FileErrors)) {
    ending.result = DownloadResult::kFileErrors;
    ending.message = EndingMessage::kFileErrors;
  } else {
    ending.result = DownloadResult::kNoResponseAtEndOfFile;
    ending.message = EndingMessage::kNoResponseAtEndOfFile;
  }
  if (eeprom_failed) {
    ending.result = DownloadResult::kFileErrors;
    ending.eepromFailed = true;
  }
  result_ = ending.result;
  view_.ShowEnding(ending);
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
  ClosePort(port_);
  SetControlsIdleSafely();
  try {
    ShowEnding(DownloadResult::kNothingTicked, EndingMessage::kNothingTicked);
  } catch (...) {
  }
  try {
    view_.FocusFlashBrowseButton();
  } catch (...) {
  }
}

}  // namespace tarnwick
