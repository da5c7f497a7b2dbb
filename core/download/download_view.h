#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "core/download/download_ending.h"
#include "core/download/download_state.h"
#include "core/download/download_status.h"
#include "core/download/line_fault.h"
#include "core/settings/download_settings.h"

namespace tarnwick {

// A wait for events that only an event, input or a stop ends.
inline constexpr std::chrono::milliseconds kNoDeadline = std::chrono::milliseconds::max();

// The main window as a download sees it. Message boxes are modal and titled with the
// window's caption at that moment.
class DownloadView {
 public:
  virtual ~DownloadView() = default;

  // The sixteen settings as the controls hold them now.
  virtual DownloadSettings CurrentSettings() = 0;

  // The download enters a phase; the window shows its status text, and for a file being sent
  // the count of lines remaining beside it.
  virtual void PhaseEntered(const DownloadStatus& status) = 0;
  // The handshake begins: the version's caption shows without a number.
  virtual void HandshakeStarted() = 0;
  // The bootloader's version once the handshake has read it, whatever it is: the number's
  // characters as the bootloader sent them ("1.30"; empty when no number came) and the value
  // the download goes by.
  virtual void VersionRead(const std::string& asSent, float value) = 0;
  // The version lets files be sent (1.30 on): the window's caption shows it.
  virtual void VersionAccepted(float version) = 0;
  // The one-second timer that shows DownloadState::LineCount while a file is sent.
  virtual void SetLineTimerEnabled(bool enabled) = 0;
  // After each line sent: the count as it now stands.
  virtual void LinesRemaining(std::int64_t remaining) = 0;
  // The file's last line has been sent: no line remains.
  virtual void FileSent() = 0;

  // The download has ended and says how, in a message box (or the command line's outcome).
  virtual void ShowEnding(const DownloadEnding& ending) = 0;
  // Why a download failed (which device or file, which operation, the system's words), kept
  // apart from the fixed failure messages for whoever looks into it.
  virtual void LogFailureReason(const std::string& reason) = 0;
  // The line (1-based among the file's non-empty lines) still failed for `fault`: asks
  // whether to go on, Yes being the default; true for Yes.
  virtual bool AskToContinue(LineFault fault, std::int64_t line) = 0;

  // The focus on the application file's Browse button, where a user starts choosing files.
  virtual void FocusFlashBrowseButton() = 0;
  virtual void SetControlsBusy() = 0;
  virtual void SetControlsIdle() = 0;
  // The EEPROM refusal: the EEPROM file's box, tick and Browse button disabled, the tick
  // removed.
  virtual void DisableEepromControls() = 0;
  virtual void DisableCancelButton() = 0;

  // Blocks once in the host's event loop until the first of: input at the port, a window or
  // application event (handled before this returns), a stop request, or `most` having passed.
  // Every wait of the download that answers the window is built on this, so a click, a repaint
  // or a screen reader's question is handled the moment it comes, and nothing sleeps in slices.
  virtual void AwaitEvents(std::chrono::milliseconds most) = 0;
  // Handles the window events that are pending now and returns without waiting for more.
  // The download calls it between two lines, where it only gives the window a turn.
  virtual void PumpPendingEvents() = 0;
};

}  // namespace tarnwick
