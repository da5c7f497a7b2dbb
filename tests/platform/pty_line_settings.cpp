// The kernel's own termios2 gives the exact rate, custom rates included; it cannot share a
// file with <termios.h>, hence this file.
#include "tests/platform/pty_line_settings.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <stdexcept>

namespace tarnwick::testing {

LineSettings ReadSlaveLineSettings(int masterFd) {
  termios2 settings{};
  // On a master, the terminal ioctls act on its slave.
  if (::ioctl(masterFd, TCGETS2, &settings) != 0) throw std::runtime_error("TCGETS2 failed");
  return {settings.c_ospeed, (settings.c_cflag & CSIZE) == CS8, (settings.c_cflag & PARENB) != 0,
          (settings.c_cflag & CSTOPB) != 0, (settings.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF)};
}

}  // namespace tarnwick::testing
