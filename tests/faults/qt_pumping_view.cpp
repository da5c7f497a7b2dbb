#include "tests/faults/qt_pumping_view.h"

#include <QCoreApplication>

namespace tarnwick::testing {

QtPumpingView::QtPumpingView() {
  timer1_.setInterval(60);
  QObject::connect(&timer1_, &QTimer::timeout, [this] {
    if (downloader_ != nullptr) downloader_->Timer1_Timer();
  });
  timer1_.start();
}

void QtPumpingView::PumpEvents() {
  if (on_pump) on_pump();
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtPumpingView::PumpPendingEvents() {
  if (on_pump) on_pump();
  QCoreApplication::processEvents();
}

}  // namespace tarnwick::testing
