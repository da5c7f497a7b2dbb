#pragma once

#include <QString>
#include <QStringList>

namespace tarnwick {

// Turns a filter text of description and pattern pairs separated by "|" (for example
// "Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin") into the name filters of a Qt file
// dialog, one per pair. The description is shown as it is when it already ends with its
// pattern in parentheses; otherwise the pattern is added, since Qt reads the patterns from
// the parentheses.
QStringList ToQtNameFilters(const QString& filter);

}  // namespace tarnwick
