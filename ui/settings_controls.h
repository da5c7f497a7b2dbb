#pragma once

#include "core/settings/download_settings.h"

namespace Ui {
class Form1;
}

namespace tarnwick {

// The window's controls are the one store of the sixteen settings: these read them as the
// controls show them now, and put a whole set into them, where the user sees it at once.
DownloadSettings ReadSettingsFromControls(const Ui::Form1& ui);
void ApplySettingsToControls(Ui::Form1& ui, const DownloadSettings& settings);

}  // namespace tarnwick
