#include "ui/file_filter.h"

namespace tarnwick {

QStringList ToQtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList nameFilters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    // Several patterns are separated by ";" in the pair form and by blanks in Qt's.
    const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
    const QString shown = u'(' + patterns + u')';
    nameFilters << (description.endsWith(shown) ? description : description + u' ' + shown);
  }
  return nameFilters;
}

}  // namespace tarnwick
