#pragma once

#include <QTimer>
#include <chrono>

namespace tarnwick {

// How a Qt program waits while a download runs: it blocks once in Qt's event loop until the
// first event has been handled (bytes at the port, whose descriptor the loop watches; a click,
// a repaint, a timer's tick; a stop request) or the deadline has passed, which a single-shot
// timer marks. So the program answers at once while it waits and costs nothing between events.
class QtEventWait {
 public:
  QtEventWait();

  // Returns after the first event, or at once with the pending events handled when `most` is
  // zero; without a deadline only an event ends it.
  void Await(std::chrono::milliseconds most);

 private:
  QTimer deadline_;
};

}  // namespace tarnwick
