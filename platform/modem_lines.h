#pragma once

namespace tarnwick {

// The modem control lines of an open port, which a board's reset circuit may be wired to.
// The download itself never touches them; only a reset asked for by the user does. Throws
// PortError when the port has no such line (a pseudo-terminal, a plain TCP connection).
class ModemLines {
 public:
  enum class Line { kDtr, kRts };

  virtual ~ModemLines() = default;
  virtual void SetModemLine(Line line, bool on) = 0;
};

}  // namespace tarnwick
