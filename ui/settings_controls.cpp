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

// Picks the one of `visitors` that takes the kind of control of an entry.
template <typename... Visitors>
struct ByKind : Visitors... {
  using Visitors::operator()...;
};

}  // namespace

std::array<SettingControl, 16> SettingControls(const Ui::Form1& ui) {
  using S = DownloadSettings;
  constexpr bool kPath = true;
  constexpr bool kCharacters = false;
  return {
      ListSetting{ui.Combo1, &S::PortIndex},
      ListSetting{ui.Combo2, &S::BaudIndex},
      TextSetting{ui.Text1, &S::FlashFile, kPath},
      TextSetting{ui.Text2, &S::StartSequence, kCharacters},
      TextSetting{ui.Text3, &S::ReadyCharacter, kCharacters},
      TextSetting{ui.Text4, &S::JumpCommand, kCharacters},
      TextSetting{ui.Text5, &S::ActiveCharacter, kCharacters},
      TextSetting{ui.Text6, &S::LineCompleteCharacter, kCharacters},
      TextSetting{ui.Text7, &S::PageErrorCharacter, kCharacters},
      TextSetting{ui.Text8, &S::FileErrorsCharacter, kCharacters},
      TextSetting{ui.Text9, &S::FileOkCharacter, kCharacters},
      TextSetting{ui.Text10, &S::ChecksumErrorCharacter, kCharacters},
      TextSetting{ui.Text11, &S::EepromFile, kPath},
      TextSetting{ui.Text12, &S::EepromWriteCommand, kCharacters},
      TickBoxSetting{ui.EepromCheck, &S::EepromSelected},
      TickBoxSetting{ui.FlashCheck, &S::FlashSelected},
  };
}

QWidget* ControlOf(const SettingControl& entry) {
  return std::visit([](const auto& kind) -> QWidget* { return kind.control; }, entry);
}

DownloadSettings ReadSettingsFromControls(const Ui::Form1& ui) {
  DownloadSettings s;
  const ByKind read{
      [&s](const ListSetting& list) {
        s.*list.index = static_cast<std::int16_t>(list.control->currentIndex());
      },
      [&s](const TickBoxSetting& box) {
        s.*box.state = ToStoredCheckState(box.control->checkState());
      },
      [&s](const TextSetting& box) { s.*box.text = box.control->text().toStdString(); },
  };
  for (const SettingControl& entry : SettingControls(ui)) std::visit(read, entry);
  return s;
}

void ApplySettingsToControls(Ui::Form1& ui, const DownloadSettings& s) {
  const ByKind apply{
      [&s](const ListSetting& list) { list.control->setCurrentIndex(s.*list.index); },
      [&s](const TickBoxSetting& box) {
        box.control->setCheckState(FromStoredCheckState(s.*box.state));
      },
      [&s](const TextSetting& box) { box.control->setText(QString::fromStdString(s.*box.text)); },
  };
  for (const SettingControl& entry : SettingControls(ui)) std::visit(apply, entry);
}

}  // namespace tarnwick
