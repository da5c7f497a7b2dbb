#pragma once

#include <QString>

namespace tarnwick {

// Writes why something failed to standard error, as one line: the local time to the
// millisecond, the program's name and `reason`. The message boxes keep their fixed texts and
// show this line as their details; a user who starts Tarnwick from a terminal sees the
// device, the file and the system's own words here too. Returns the line, without its end.
QString LogFailureReason(const QString& reason);

}  // namespace tarnwick
