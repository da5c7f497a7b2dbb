#include "ui/settings_controls.h"

#include "core/settings/protocol_settings.h"
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
  const std::array<QLineEdit*, 12> boxes = {ui.Text1, ui.Text2,  ui.Text3,  ui.Text4,
                                            ui.Text5, ui.Text6,  ui.Text7,  ui.Text8,
                                            ui.Text9, ui.Text10, ui.Text11, ui.Text12};
  // The text boxes in the order of their numbers: the two paths' and the ten protocol
  // settings' as their table places them.
  std::array<std::string S::*, 12> boxed{};
  boxed[0] = &S::FlashFile;
  boxed[10] = &S::EepromFile;
  for (const ProtocolSetting& setting : kProtocolSettings)
    boxed[setting.textBox - 1] = setting.field;

  std::array<SettingControl, 16> controls{ListSetting{ui.Combo1, &S::PortIndex},
                                          ListSetting{ui.Combo2, &S::BaudIndex}};
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const bool isPath = boxed[i] == &S::FlashFile || boxed[i] == &S::EepromFile;
    controls[2 + i] = TextSetting{boxes[i], boxed[i], isPath};
  }
  controls[14] = TickBoxSetting{ui.EepromCheck, &S::EepromSelected};
  controls[15] = TickBoxSetting{ui.FlashCheck, &S::FlashSelected};
  return controls;
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
