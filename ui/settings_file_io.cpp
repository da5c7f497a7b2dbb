#include "ui/settings_file_io.h"

#include <filesystem>
#include <sstream>
#include <utility>

#include <QFile>
#include <QSaveFile>

#include "core/settings/settings_file.h"
#include "core/settings/settings_loader.h"

namespace tarnwick {
namespace {

// The path as the system names the file, whatever characters it holds.
std::filesystem::path NativePath(const QString& path) {
#ifdef _WIN32
  return path.toStdWString();
#else
  return QFile::encodeName(path).toStdString();
#endif
}

bool Fail(QString* failure, const QString& why) {
  if (failure != nullptr) *failure = why;
  return false;
}

// Makes the new file take the old one's place, or leaves the old one as it was.
bool Commit(QSaveFile& file, QString* failure) {
  // write() only fills a buffer, and commit() puts the new file in place even when flushing
  // that buffer fails (a full disk): flush first, so a failed save leaves the old file whole.
  if (!file.flush()) {
    const QString why = file.errorString();
    file.cancelWriting();
    return Fail(failure, why);
  }
  return file.commit() || Fail(failure, file.errorString());
}

}  // namespace

std::optional<DownloadSettings> LoadSettingsFile(const QString& path, QString* failure) {
  LoadedSettings loaded = LoadSettingsFromFile(NativePath(path));
  if (!loaded.settings && failure != nullptr) *failure = QString::fromStdString(loaded.failure);
  return std::move(loaded.settings);
}

bool SaveSettingsFile(const QString& path, const DownloadSettings& settings, QString* failure) {
  std::ostringstream out;
  WriteSettings(out, settings);
  const std::string text = out.str();

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return Fail(failure, file.errorString());
  if (file.write(text.data(), static_cast<qint64>(text.size())) !=
      static_cast<qint64>(text.size())) {
    const QString why = file.errorString();
    file.cancelWriting();
    return Fail(failure, why);
  }
  return Commit(file, failure);
}

bool KeepCopyOfFile(const QString& path, const QString& copyPath, QString* failure) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return Fail(failure, path + ": " + in.errorString());
  QSaveFile out(copyPath);
  if (!out.open(QIODevice::WriteOnly)) return Fail(failure, copyPath + ": " + out.errorString());
  // In pieces: a damaged file may be large.
  for (QByteArray chunk; !(chunk = in.read(1 << 16)).isEmpty();) {
    if (out.write(chunk) != chunk.size()) {
      const QString why = copyPath + ": " + out.errorString();
      out.cancelWriting();
      return Fail(failure, why);
    }
  }
  if (in.error() != QFileDevice::NoError) {
    out.cancelWriting();
    return Fail(failure, path + ": " + in.errorString());
  }
  return Commit(out, failure);
}

}  // namespace tarnwick
