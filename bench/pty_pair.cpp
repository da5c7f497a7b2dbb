#include "bench/pty_pair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tarnwick::bench {

namespace {

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PtyPair OpenRawPty() {
  PtyPair pty;
  pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (pty.master < 0) ThrowErrno("posix_openpt");
  if (grantpt(pty.master) != 0 || unlockpt(pty.master) != 0) ThrowErrno("unlockpt");
  const char* name = ptsname(pty.master);
  if (name == nullptr) ThrowErrno("ptsname");
  pty.slavePath = name;
  pty.slave = open(name, O_RDWR | O_NOCTTY);
  if (pty.slave < 0) ThrowErrno("open slave");
  // Raw from the start: bytes that the target sends before the host has configured the
  // line must not be echoed back to the target or edited.
  termios raw{};
  if (tcgetattr(pty.slave, &raw) != 0) ThrowErrno("tcgetattr");
  cfmakeraw(&raw);
  if (tcsetattr(pty.slave, TCSANOW, &raw) != 0) ThrowErrno("tcsetattr");
  return pty;
}

}  // namespace tarnwick::bench
