// The main window's handlers of buttons, menu commands and drops.
#include "ui/form1.h"

#include <QFileInfo>

#include "core/download/downloader.h"
#include "ui/failure_log.h"
#include "ui/file_chooser.h"
#include "ui/message_boxes.h"
#include "ui/path_drop_filter.h"
#include "ui/program_identity.h"
#include "ui/settings_controls.h"
#include "ui/settings_file_io.h"
#include "ui_form1.h"

namespace tarnwick {
namespace {

const QString kTextFilesFilter = QStringLiteral("Text Files (*.txt)|*.txt");

}  // namespace

void Form1::Command2_Click() {
  RunDownload(Mode::kJump);
}

void Form1::Command6_Click() {
  RunDownload(Mode::kWait);
}

void Form1::Command4_Click() {
  downloader_->Cancel();
}

void Form1::Command1_Click() {
  const auto path = services_.files.Choose(
      this, QStringLiteral("Select File to Download"),
      QStringLiteral("Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin"), FileChooserMode::Open);
  if (path) ui_->Text1->setText(*path);
}

void Form1::Command7_Click() {
  const auto path = services_.files.Choose(
      this, QStringLiteral("Select File to Download"),
      QStringLiteral(
          "EEPROM Files (*.eep)|*.eep|Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin"),
      FileChooserMode::Open);
  if (path) ui_->Text11->setText(*path);
}

void Form1::Text1_OLEDragDrop(const QMimeData& data) {
  TakeDroppedPaths(*ui_->Text1, data);
}

void Form1::Text11_OLEDragDrop(const QMimeData& data) {
  TakeDroppedPaths(*ui_->Text11, data);
}

void Form1::Command5_Click() {
  ShowSplash();
}

void Form1::InfoMenu_Click() {
  ShowSplash();
}

void Form1::Command3_Click() {
  ExitProgram();
}

void Form1::ExitMenu_Click() {
  ExitProgram();
}

void Form1::DefaultMenu_Click() {
  LoadDefaults();
}

void Form1::LoadDefaults() {
  ApplySettingsToControls(*ui_, DownloadSettings{});
}

void Form1::OpenMenu_Click() {
  const auto path = services_.files.Choose(this, QStringLiteral("Select File to Open"),
                                           kTextFilesFilter, FileChooserMode::Open);
  if (path) LoadSettings(*path);
}

void Form1::SaveMenu_Click() {
  const auto path = services_.files.Choose(this, QStringLiteral("Select File to Save"),
                                           kTextFilesFilter, FileChooserMode::Save);
  if (path) SaveSettings(*path);
}

bool Form1::LoadSettings(const QString& path) {
  QString failure;
  if (const auto settings = LoadSettingsFile(path, &failure)) {
    ApplySettingsToControls(*ui_, *settings);
    return true;
  }
  const QString reason = LogFailureReason(QStringLiteral("settings file ") + path +
                                          QStringLiteral(" not loaded: ") + failure);
  services_.messages.Show(this, QString::fromLatin1(kProgramTitle),
                          QStringLiteral("An error occured while loading file ") + path +
                              QStringLiteral(". The default settings will be loaded instead."),
                          MessageIcon::Exclamation, reason);
  LoadDefaults();
  return false;
}

void Form1::SaveSettings(const QString& path) {
  QString failure;
  if (KeepDamagedSettingsFile(path, failure) &&
      SaveSettingsFile(path, ReadSettingsFromControls(*ui_), &failure)) {
    return;
  }
  const QString reason = LogFailureReason(QStringLiteral("settings file ") + path +
                                          QStringLiteral(" not saved: ") + failure);
  services_.messages.Show(this, QString::fromLatin1(kProgramTitle),
                          QStringLiteral("An error occured while saving file ") + path,
                          MessageIcon::Exclamation, reason);
}

bool Form1::KeepDamagedSettingsFile(const QString& path, QString& failure) {
  if (damagedSettingsFile_.isEmpty() || QFileInfo(path) != QFileInfo(damagedSettingsFile_)) {
    return true;
  }
  // Without its copy the file is not replaced: the save fails and says so. A file that the
  // user has removed meanwhile leaves nothing to keep.
  if (QFileInfo(path).isFile() && !KeepCopyOfFile(path, path + QStringLiteral(".bak"), &failure)) {
    return false;
  }
  damagedSettingsFile_.clear();
  return true;
}

}  // namespace tarnwick
