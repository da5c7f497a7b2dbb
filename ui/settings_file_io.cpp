#include "ui/settings_file_io.h"

#include <algorithm>
#include <sstream>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/settings/settings_file.h"

namespace tarnwick {
namespace {

constexpr qint64 kMaxBytes = static_cast<qint64>(kMaxSettingsFileBytes);

bool Fail(QString* failure, const QString& why) {
  if (failure != nullptr) *failure = why;
  return false;
}

std::nullopt_t NotLoaded(QString* failure, const QString& why) {
  Fail(failure, why);
  return std::nullopt;
}

QString TooLarge() {
  return QStringLiteral("larger than the %1 bytes that sixteen values can take").arg(kMaxBytes);
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
  const QFileInfo info(path);
  // A folder, a pipe or a device is no settings file, and reading one could block or never end.
  if (info.exists() && !info.isFile())
    return NotLoaded(failure, QStringLiteral("not a plain file"));
  // A file chosen by mistake may be gigabytes long: refused before anything is read.
  if (info.size() > kMaxBytes) return NotLoaded(failure, TooLarge());
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return NotLoaded(failure, file.errorString());
  // One byte more than allowed tells a file that has grown since it was measured.
  const QByteArray bytes = file.read(std::min(info.size(), kMaxBytes) + 1);
  if (file.error() != QFileDevice::NoError) return NotLoaded(failure, file.errorString());
  if (bytes.size() > kMaxBytes) return NotLoaded(failure, TooLarge());
  std::istringstream in(bytes.toStdString());
  auto settings = ReadSettings(in);
  if (!settings) return NotLoaded(failure, QStringLiteral("it does not hold sixteen valid values"));
  return settings;
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
