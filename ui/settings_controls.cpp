#include "ui/settings_controls.h"

#include "ui_form1.h"

namespace tarnwick {
namespace {

// Settings files store 0 unticked, 1 ticked, 2 greyed; Qt numbers the greyed state 1.
std::int16_t ToStoredCheckState(Qt::CheckState state) {
  switch (state) {
    case Qt::Unchecked:
      return 0;
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
  }
  return 0;
}

Qt::CheckState FromStoredCheckState(std::int16_t value) {
  switch (value) {
    case 1:
      return Qt::Checked;
    case 2:
      return Qt::PartiallyChecked;
    default:
      return Qt::Unchecked;
  }
}

std::string TextOf(const QLineEdit* box) {
  return box->text().toStdString();
}

void SetText(QLineEdit* box, const std::string& text) {
  box->setText(QString::fromStdString(text));
}

}  // namespace

DownloadSettings ReadSettingsFromControls(const Ui::Form1& ui) {
  DownloadSettings s;
  s.PortIndex = static_cast<std::int16_t>(ui.Combo1->currentIndex());
  s.BaudIndex = static_cast<std::int16_t>(ui.Combo2->currentIndex());
  s.FlashFile = TextOf(ui.Text1);
  s.StartSequence = TextOf(ui.Text2);
  s.ReadyCharacter = TextOf(ui.Text3);
  s.JumpCommand = TextOf(ui.Text4);
  s.ActiveCharacter = TextOf(ui.Text5);
  s.LineCompleteCharacter = TextOf(ui.Text6);
  s.PageErrorCharacter = TextOf(ui.Text7);
  s.FileErrorsCharacter = TextOf(ui.Text8);
  s.FileOkCharacter = TextOf(ui.Text9);
  s.ChecksumErrorCharacter = TextOf(ui.Text10);
  s.EepromFile = TextOf(ui.Text11);
  s.EepromWriteCommand = TextOf(ui.Text12);
  s.EepromSelected = ToStoredCheckState(ui.EepromCheck->checkState());
  s.FlashSelected = ToStoredCheckState(ui.FlashCheck->checkState());
  return s;
}

void ApplySettingsToControls(Ui::Form1& ui, const DownloadSettings& s) {
  ui.Combo1->setCurrentIndex(s.PortIndex);
  ui.Combo2->setCurrentIndex(s.BaudIndex);
  SetText(ui.Text1, s.FlashFile);
  SetText(ui.Text2, s.StartSequence);
  SetText(ui.Text3, s.ReadyCharacter);
  SetText(ui.Text4, s.JumpCommand);
  SetText(ui.Text5, s.ActiveCharacter);
  SetText(ui.Text6, s.LineCompleteCharacter);
  SetText(ui.Text7, s.PageErrorCharacter);
  SetText(ui.Text8, s.FileErrorsCharacter);
  SetText(ui.Text9, s.FileOkCharacter);
  SetText(ui.Text10, s.ChecksumErrorCharacter);
  SetText(ui.Text11, s.EepromFile);
  SetText(ui.Text12, s.EepromWriteCommand);
  ui.EepromCheck->setCheckState(FromStoredCheckState(s.EepromSelected));
  ui.FlashCheck->setCheckState(FromStoredCheckState(s.FlashSelected));
}

}  // namespace tarnwick
