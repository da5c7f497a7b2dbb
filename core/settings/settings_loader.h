#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/settings/download_settings.h"

namespace tarnwick {

// A settings file as the window's "&Open" and start-up and the command line's --settings all
// load it: the settings, or why there are none (in words for a message's details).
struct LoadedSettings {
  std::optional<DownloadSettings> settings;
  std::string failure;
};

// Refuses what is no settings file before reading it (a folder, a pipe or a device, which could
// block or never end; a file longer than sixteen values can take, which may be gigabytes long),
// then reads the sixteen values.
LoadedSettings LoadSettingsFromFile(const std::filesystem::path& path);

}  // namespace tarnwick
