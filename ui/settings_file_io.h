#pragma once

#include <optional>

#include <QString>

#include "core/settings/download_settings.h"

namespace tarnwick {

// Each routine below sets `failure`, when given, to why it failed, in words for the log.

// Reads the settings file at `path`; nothing when it cannot be opened, is larger than sixteen
// values can take, or does not read as a settings file. A larger file is refused without
// being read. Every call opens its own file, so loading never disturbs a download's file.
std::optional<DownloadSettings> LoadSettingsFile(const QString& path, QString* failure = nullptr);

// Replaces the file at `path` with these settings as a whole, or not at all: the new text is
// written beside it and takes its place only when complete, so a failed save leaves the
// previous file whole. False on any failure.
bool SaveSettingsFile(const QString& path, const DownloadSettings& settings,
                      QString* failure = nullptr);

// Copies the bytes of the file at `path` to `copyPath`, replacing that file as a whole or not
// at all. False on any failure.
bool KeepCopyOfFile(const QString& path, const QString& copyPath, QString* failure = nullptr);

}  // namespace tarnwick
