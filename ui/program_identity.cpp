#include "ui/program_identity.h"

// The build passes the project's version numbers in, so the window shows the release that
// was built.
#if !defined(TARNWICK_VERSION_MAJOR) || !defined(TARNWICK_VERSION_MINOR) || \
    !defined(TARNWICK_VERSION_PATCH)
#error "The build must define TARNWICK_VERSION_MAJOR, _MINOR and _PATCH"
#endif

namespace tarnwick {

QString CaptionVersionSuffix() {
  return QStringLiteral(" - V %1.%2").arg(TARNWICK_VERSION_MAJOR).arg(TARNWICK_VERSION_MINOR);
}

QString AboutVersionLine() {
  return QStringLiteral("Version %1.%2.%3")
      .arg(TARNWICK_VERSION_MAJOR)
      .arg(TARNWICK_VERSION_MINOR)
      .arg(TARNWICK_VERSION_PATCH);
}

}  // namespace tarnwick
