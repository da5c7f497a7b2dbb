#include "ui/failure_log.h"

#include <QDateTime>
#include <cstdio>

namespace tarnwick {

QString LogFailureReason(const QString& reason) {
  QString oneLine = reason;
  oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QString line =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
      QStringLiteral(" tarnwick: ") + oneLine;
  const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
  std::fflush(stderr);
  return line;
}

}  // namespace tarnwick
