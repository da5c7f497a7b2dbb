#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "core/download/download_state.h"
#include "core/download/line_fault.h"
#include "core/settings/download_settings.h"

namespace tarnwick {

enum class MessageIcon { None, Exclamation };

// A wait for events that only an event, input or a stop ends.
inline constexpr std::chrono::milliseconds kNoDeadline = std::chrono::milliseconds::max();

// The main window as a download sees it. Message boxes are modal and titled with the
// window's caption at that moment.
class DownloadView {
 public:
  virtual ~DownloadView() = default;

  // The sixteen settings as the controls hold them now.
  virtual DownloadSettings CurrentSettings() = 0;

  virtual void SetStatusText(const std::string& text) = 0;
  // The count of lines remaining beside the status text, and showing it.
  virtual void SetLinesRemainingText(const std::string& text) = 0;
  virtual void ShowLinesRemaining() = 0;
  // The bootloader version's caption, and showing it.
  virtual void SetVersionText(const std::string& text) = 0;
  virtual void ShowVersion() = 0;
  // The bootloader's version once the handshake has read it, whatever it is: the number's
  // characters as the bootloader sent them ("1.30"; empty when no number came) and the value
  // the download goes by. The window shows only the caption above, and only from 1.30 on.
  virtual void VersionRead(const std::string& /*asSent*/, float /*value*/) {}
  // The one-second timer that calls Downloader::ShowLinesRemainingCount while a file is sent.
  virtual void SetLineTimerEnabled(bool enabled) = 0;

  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
  // Why a download failed (which device or file, which operation, the system's words), kept
  // apart from the fixed failure messages for whoever looks into it.
  virtual void LogFailureReason(const std::string& reason) = 0;
  // A Yes/No question with Yes as the default button; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;

  // The focus on the application file's Browse button, where a user starts choosing files.
  virtual void FocusFlashBrowseButton() = 0;
  virtual void SetControlsBusy() = 0;
  virtual void SetControlsIdle() = 0;
  // The EEPROM refusal: the EEPROM file's box, tick and Browse button disabled, the tick
  // removed.
  virtual void DisableEepromControls() = 0;
  virtual void DisableCancelButton() = 0;

  // What happens, told as such beside the texts above, for a host that keeps its own account
  // of a download (the command line's bars, JSON and records); the window needs none of it.
  // A file's lines begin to go; `remaining` counts down from the file's lines less one.
  virtual void FileStarted(FileStage /*stage*/, std::int64_t /*remaining*/) {}
  // After each line sent: the count as it now stands.
  virtual void LinesRemaining(std::int64_t /*remaining*/) {}
  // The file's last line has been sent.
  virtual void FileSent() {}
  // The question that follows is about this line and this fault.
  virtual void LineFailed(LineFault /*fault*/, std::int64_t /*line*/) {}

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
