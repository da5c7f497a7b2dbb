#include "platform/qt/low_latency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace tarnwick {

bool RequestLowLatency(int fd) {
  serial_struct info{};
  if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
  if ((info.flags & ASYNC_LOW_LATENCY) != 0) return true;
  info.flags |= ASYNC_LOW_LATENCY;
  return ::ioctl(fd, TIOCSSERIAL, &info) == 0;
}

}  // namespace tarnwick
