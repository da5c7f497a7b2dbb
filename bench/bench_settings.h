#pragma once

#include <string>

#include "core/settings/download_settings.h"

namespace tarnwick::bench {

// The settings of every measured download: the application file alone, at 115200 baud.
inline DownloadSettings ApplicationOnly(const std::string& file) {
  DownloadSettings settings;
  settings.BaudIndex = 9;  // 115200 baud
  settings.FlashSelected = 1;
  settings.FlashFile = file;
  settings.EepromSelected = 0;
  return settings;
}

}  // namespace tarnwick::bench
