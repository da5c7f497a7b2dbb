// What a failing operation leads to, by the failure scope that is active: one fixed message
// with the exclamation icon, the closing steps of that scope, and the idle window. A second
// failure inside a reaction skips only its own step: the rest still runs and the window is
// always returned to idle.

#include <stdexcept>
#include <string>
#include <utility>

#include "core/download/download_run.h"
#include "core/download/serial_link.h"

namespace tarnwick {

namespace {

template <typename Step>
void IgnoringFailure(Step step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

// What kind of failure ended the download, for callers that act on it.
DownloadResult ResultOf(FailureScope scope, const std::exception* error) {
  if (scope == FailureScope::kPortSetUp) return DownloadResult::kPortFailure;
  if (scope == FailureScope::kFileOpening) return DownloadResult::kFileFailure;
  if (dynamic_cast<const PortError*>(error)) return DownloadResult::kPortFailure;
  // A download file that cannot be read, or has more lines than a download can count.
  if (dynamic_cast<const DownloadFileError*>(error) ||
      dynamic_cast<const std::overflow_error*>(error)) {
    return DownloadResult::kFileFailure;
  }
  return DownloadResult::kOtherFailure;
}

}  // namespace

void DownloadRun::ReactToFailure(const std::exception* error) noexcept {
  result_ = ResultOf(scope_, error);
  // Before the message, which waits for the user.
  IgnoringFailure([&] { view_.LogFailureReason(error ? error->what() : "an unknown failure"); });
  auto show = [this](EndingMessage message, std::string subject = {}) {
    IgnoringFailure([&] { ShowEnding(result_, message, std::move(subject)); });
  };

  switch (scope_) {
    case FailureScope::kPortSetUp:
      // The port did not open, so there is nothing to close.
      show(EndingMessage::kPortFailure);
      break;
    case FailureScope::kRunning:
      // The message comes while the port is still open; the port is closed afterwards.
      show(EndingMessage::kDownloadFailure);
      file_.Close();
      ClosePort(port_);
      break;
    case FailureScope::kFileOpening:
      ClosePort(port_);
      file_.Close();
      // The path is read from its box now, when the message is built.
      IgnoringFailure([&] {
        const DownloadSettings settings = view_.CurrentSettings();
        if (state_.Stage == FileStage::kApplication) {
          show(EndingMessage::kFileOpenFailure, settings.FlashFile);
        } else if (state_.Stage == FileStage::kEeprom) {
          show(EndingMessage::kFileOpenFailure, settings.EepromFile);
        }
      });
      break;
    case FailureScope::kClosing:
      show(EndingMessage::kPortCloseFailure);
      break;
  }
  StopLineTimer();
  SetControlsIdleSafely();
}

// One more try when the window refuses; after that the failure is given up quietly.
void DownloadRun::SetControlsIdleSafely() noexcept {
  try {
    view_.SetControlsIdle();
  } catch (...) {
    IgnoringFailure([this] { view_.SetControlsIdle(); });
  }
}

}  // namespace tarnwick
