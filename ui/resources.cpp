#include "ui/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitTarnwickResources() {
  Q_INIT_RESOURCE(tarnwick);
}

namespace tarnwick {

void EnsureResourcesLoaded() {
  static const bool loaded = (InitTarnwickResources(), true);
  (void)loaded;
}

}  // namespace tarnwick
