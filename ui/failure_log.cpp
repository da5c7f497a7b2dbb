#include "ui/failure_log.h"

#include <QDateTime>
#include <cstdio>

namespace tarnwick {

void LogFailureReason(const QString& reason) {
  QString oneLine = reason;
  oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QByteArray line =
      (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
       QStringLiteral(" tarnwick: ") + oneLine + QLatin1Char('\n'))
          .toUtf8();
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
  std::fflush(stderr);
}

}  // namespace tarnwick
