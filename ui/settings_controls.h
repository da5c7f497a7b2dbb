#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

#include "core/settings/download_settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace Ui {
class Form1;
}

namespace tarnwick {

// A list whose current index is the setting (the port, the baud rate).
struct ListSetting {
  QComboBox* control;
  std::int16_t DownloadSettings::*index;
};

// A tick box whose state is the setting, stored 0 unticked, 1 ticked, 2 greyed.
struct TickBoxSetting {
  QCheckBox* control;
  std::int16_t DownloadSettings::*state;
};

// A text box whose text is the setting: a file's path, or protocol characters.
struct TextSetting {
  QLineEdit* control;
  std::string DownloadSettings::*text;
  bool isPath;
};

using SettingControl = std::variant<ListSetting, TickBoxSetting, TextSetting>;

// The window's controls that hold the sixteen settings, each beside its setting: the one list
// of them, for reading and applying settings, busy and idle, and the text boxes' rules. The
// order is the order in which they have always been applied and enabled.
std::array<SettingControl, 16> SettingControls(const Ui::Form1& ui);

QWidget* ControlOf(const SettingControl& entry);

// The window's controls are the one store of the sixteen settings: these read them as the
// controls show them now, and put a whole set into them, where the user sees it at once.
DownloadSettings ReadSettingsFromControls(const Ui::Form1& ui);
void ApplySettingsToControls(Ui::Form1& ui, const DownloadSettings& settings);

}  // namespace tarnwick
