#pragma once

#include <QTimer>
#include <chrono>

#include "core/download/download_state.h"
#include "core/download/download_view.h"
#include "platform/qt/event_wait.h"

class QWidget;

namespace Ui {
class Form1;
}

namespace tarnwick {

class MessageBoxes;

// The main window as a running download sees it: the settings as the controls hold them,
// the status strip and version caption composed from what the download tells, Timer3, the
// message boxes, the busy and idle faces, and the waits for events.
class Form1DownloadView final : public DownloadView {
 public:
  Form1DownloadView(QWidget& window, Ui::Form1& ui, QTimer& Timer3, MessageBoxes& messages);

  // Set while the window closes during a download: the download is cancelled and unwinds,
  // so it shows nothing more, every question is answered No, and the pump stops waiting.
  void SetClosing(bool closing) { closing_ = closing; }

  DownloadSettings CurrentSettings() override;
  void PhaseEntered(const DownloadStatus& status) override;
  void HandshakeStarted() override;
  void VersionRead(const std::string&, float) override {}
  void VersionAccepted(float version) override;
  void SetLineTimerEnabled(bool enabled) override;
  void LinesRemaining(std::int64_t) override {}  // the line timer shows the count
  void FileSent() override;
  // The line timer's tick: the count of lines remaining as it stands.
  void ShowLinesRemaining(std::int64_t remaining);
  void ShowEnding(const DownloadEnding& ending) override;
  void LogFailureReason(const std::string& reason) override;
  bool AskToContinue(LineFault fault, std::int64_t line) override;
  void FocusFlashBrowseButton() override;
  void SetControlsBusy() override;
  void SetControlsIdle() override;
  void DisableEepromControls() override;
  void DisableCancelButton() override;
  void AwaitEvents(std::chrono::milliseconds most) override;
  void PumpPendingEvents() override;

 private:
  QWidget& window_;
  Ui::Form1& ui_;
  QTimer& timer3_;
  MessageBoxes& messages_;
  bool closing_ = false;
  QString failureReason_;  // the failure's line of the log, for the message that follows it
  QtEventWait wait_;
};

}  // namespace tarnwick
