#include "ui/form1_download_view.h"

#include <initializer_list>
#include <utility>
#include <variant>

#include <QCoreApplication>
#include <QTimer>

#include "ui/failure_log.h"
#include "ui/message_boxes.h"
#include "ui/settings_controls.h"
#include "ui_form1.h"

namespace tarnwick {
namespace {

void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
  for (QWidget* control : controls) control->setEnabled(enabled);
}

enum class SettingGroup { kTextBoxes, kListsAndTickBoxes };

// Busy and idle change the text boxes apart from the lists and tick boxes, in the order they
// always have: a control that holds the focus as it is disabled hands it on along the tab
// order, so which control goes when is part of what the user sees.
void SetSettingControlsEnabled(const Ui::Form1& ui, SettingGroup group, bool enabled) {
  const bool textBoxes = group == SettingGroup::kTextBoxes;
  for (const SettingControl& entry : SettingControls(ui)) {
    if (std::holds_alternative<TextSetting>(entry) == textBoxes) {
      ControlOf(entry)->setEnabled(enabled);
    }
  }
}

}  // namespace

Form1DownloadView::Form1DownloadView(QWidget& window, Ui::Form1& ui, QTimer& Timer3,
                                     MessageBoxes& messages)
    : window_(window), ui_(ui), timer3_(Timer3), messages_(messages) {}

DownloadSettings Form1DownloadView::CurrentSettings() {
  return ReadSettingsFromControls(ui_);
}

void Form1DownloadView::PhaseEntered(const DownloadStatus& status) {
  ui_.Label2->setText(QString::fromStdString(StatusText(status)));
  if (status.phase == DownloadPhase::kSendingFile) {
    ShowLinesRemaining(status.remaining);
    ui_.Label14->setVisible(true);
  }
}

void Form1DownloadView::ShowLinesRemaining(std::int64_t remaining) {
  ui_.Label14->setText(QString::number(remaining));
}

void Form1DownloadView::FileSent() {
  ShowLinesRemaining(0);
}

void Form1DownloadView::HandshakeStarted() {
  ui_.Label16->setText(QString::fromStdString(VersionCaption("")));
  ui_.Label16->setVisible(true);
}

void Form1DownloadView::VersionAccepted(float version) {
  ui_.Label16->setText(QString::fromStdString(VersionCaption(ShortestVersionText(version))));
  ui_.Label16->setVisible(true);
}

void Form1DownloadView::SetLineTimerEnabled(bool enabled) {
  if (enabled) {
    timer3_.start();
  } else {
    timer3_.stop();
  }
}

void Form1DownloadView::ShowEnding(const DownloadEnding& ending) {
  if (closing_) return;
  // The reason logged just before belongs to this message, the failure's.
  messages_.Show(&window_, window_.windowTitle(), QString::fromStdString(EndingText(ending)),
                 EndingIcon(ending), std::exchange(failureReason_, QString()));
}

void Form1DownloadView::LogFailureReason(const std::string& reason) {
  failureReason_ = tarnwick::LogFailureReason(QString::fromStdString(reason));
}

bool Form1DownloadView::AskToContinue(LineFault fault, std::int64_t line) {
  if (closing_) return false;
  return messages_.AskYesNo(&window_, window_.windowTitle(),
                            QString::fromStdString(LineFaultQuestion(fault, line)));
}

void Form1DownloadView::FocusFlashBrowseButton() {
  ui_.Command1->setFocus();
}

void Form1DownloadView::SetControlsBusy() {
  SetEnabled({ui_.Command1, ui_.Command2, ui_.Command3, ui_.Command5, ui_.Command6, ui_.Command7},
             false);
  SetSettingControlsEnabled(ui_, SettingGroup::kTextBoxes, false);
  ui_.Label2->setText(QString());
  // Cancel takes the download buttons' place: raised before they are hidden, so that it is
  // in front at every moment.
  ui_.Command4->setVisible(true);
  ui_.Command4->setEnabled(true);
  ui_.Command4->raise();
  ui_.Command2->setVisible(false);
  ui_.Command6->setVisible(false);
  SetSettingControlsEnabled(ui_, SettingGroup::kListsAndTickBoxes, false);
}

void Form1DownloadView::SetControlsIdle() {
  ui_.Label14->setVisible(false);
  ui_.Command2->setVisible(true);
  ui_.Command6->setVisible(true);
  ui_.Command4->setVisible(false);
  SetEnabled({ui_.Command1, ui_.Command2, ui_.Command3, ui_.Command5, ui_.Command6, ui_.Command7},
             true);
  SetSettingControlsEnabled(ui_, SettingGroup::kTextBoxes, true);
  ui_.Label2->setText(QStringLiteral("Idle"));
  ui_.Label14->setText(QString());
  SetSettingControlsEnabled(ui_, SettingGroup::kListsAndTickBoxes, true);
}

void Form1DownloadView::DisableEepromControls() {
  ui_.Text11->setEnabled(false);
  ui_.EepromCheck->setCheckState(Qt::Unchecked);
  ui_.EepromCheck->setEnabled(false);
  ui_.Command7->setEnabled(false);
}

void Form1DownloadView::DisableCancelButton() {
  ui_.Command4->setEnabled(false);
}

void Form1DownloadView::AwaitEvents(std::chrono::milliseconds most) {
  // While the window closes, nothing may hold the unwinding download up.
  wait_.Await(closing_ ? std::chrono::milliseconds::zero() : most);
}

void Form1DownloadView::PumpPendingEvents() {
  // Between two records: the window gets its turn without waiting for the next event.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tarnwick
