#include "cli/file_digest.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <filesystem>
#include <fstream>

#include "cli/hex_lines.h"

namespace tarnwick::cli {

std::vector<FileDigest> DigestsOf(const std::vector<std::string>& paths) {
  std::vector<FileDigest> digests;
  for (const std::string& path : paths) {
    FileDigest& digest = digests.emplace_back(FileDigest{path, 0, ""});
    QFile file(QString::fromStdString(path));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) continue;
    digest.sha256 = hash.result().toHex().toStdString();
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    ReadHexLines(in, [&digest](std::int64_t, std::string_view, std::int64_t length) {
      if (length > 0) ++digest.lines;
    });
  }
  return digests;
}

std::string UtcNow() {
  return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
}

}  // namespace tarnwick::cli
