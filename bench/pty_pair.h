#pragma once

#include <string>

namespace tarnwick::bench {

// A pseudo-terminal whose far side (the slave) the host opens by path, as it would open a
// serial adapter. The target keeps its own descriptor of the slave open, so the master
// neither reports a hang-up before the host has opened the slave nor after it has closed it.
struct PtyPair {
  int master = -1;  // non-blocking
  int slave = -1;
  std::string slavePath;
};

// Opens a pair in raw mode (no echo, no line editing, no translation). Throws
// std::system_error on failure.
PtyPair OpenRawPty();

}  // namespace tarnwick::bench
