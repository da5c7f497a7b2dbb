#include "ui/settings_file_io.h"

#include <sstream>

#include <QFile>
#include <QSaveFile>

#include "core/settings/settings_file.h"

namespace tarnwick {

std::optional<DownloadSettings> LoadSettingsFile(const QString& path) {
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
  if (file.write(text.data(), static_cast<qint64>(text.size())) !=
      static_cast<qint64>(text.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace tarnwick
