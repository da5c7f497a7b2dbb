#pragma once

#include <optional>

#include <QString>

#include "core/settings/download_settings.h"

namespace tarnwick {

// Reads the settings file at `path`; nothing when it cannot be opened or does not read as a
// settings file. Every call opens its own file, so loading never disturbs a download's file.
std::optional<DownloadSettings> LoadSettingsFile(const QString& path);

// Replaces the file at `path` with these settings as a whole, or not at all: the new text is
// written beside it and takes its place only when complete, so a failed save leaves the
// previous file whole. False on any failure.
bool SaveSettingsFile(const QString& path, const DownloadSettings& settings);

}  // namespace tarnwick
