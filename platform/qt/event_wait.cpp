#include "platform/qt/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <climits>

#include "core/download/download_view.h"

namespace tarnwick {

QtEventWait::QtEventWait() {
  deadline_.setSingleShot(true);
  // A coarse timer may fire a twentieth of its interval late, which would stretch the
  // three-second waits past their limit.
  deadline_.setTimerType(Qt::PreciseTimer);
}

void QtEventWait::Await(std::chrono::milliseconds most) {
  if (most.count() <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  if (most != kNoDeadline) {
    deadline_.start(
        static_cast<int>(std::min<std::chrono::milliseconds::rep>(most.count(), INT_MAX)));
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  deadline_.stop();
}

}  // namespace tarnwick
