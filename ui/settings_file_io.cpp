#include "ui/settings_file_io.h"

#include <sstream>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/settings/settings_file.h"

namespace tarnwick {

std::optional<DownloadSettings> LoadSettingsFile(const QString& path) {
  // A folder, a pipe or a device is no settings file, and reading one could block or never end.
  if (!QFileInfo(path).isFile()) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  std::istringstream in(bytes.toStdString());
  return ReadSettings(in);
}

bool SaveSettingsFile(const QString& path, const DownloadSettings& settings) {
  std::ostringstream out;
  WriteSettings(out, settings);
  const std::string text = out.str();

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  // write() only fills a buffer, and commit() puts the new file in place even when flushing
  // that buffer fails (a full disk): flush first, so a failed save leaves the old file whole.
  if (file.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !file.flush()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace tarnwick
