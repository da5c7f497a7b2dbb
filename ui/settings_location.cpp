#include "ui/settings_location.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace tarnwick {

bool IsWritableFolder(const QString& folder) {
  if (!QDir(folder).exists()) return false;
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tarnwick-probe-XXXXXX")));
  return probe.open();
}

QString ChooseSettingsFolder(const QString& programFolder, const QString& configFolder) {
  const bool installed = QFile::exists(QDir(programFolder).filePath(kInstalledEntryFromProgram));
  if (!installed && IsWritableFolder(programFolder)) return programFolder;
  QDir().mkpath(configFolder);
  return configFolder;
}

QString SettingsFilePath(const QString& folder) {
  return QDir::toNativeSeparators(QDir(folder).filePath(QLatin1String(kSettingsFileName)));
}

}  // namespace tarnwick
