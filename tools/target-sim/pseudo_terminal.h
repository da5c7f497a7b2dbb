#pragma once

#include <string>

namespace tarnwick::sim {

// The simulator's end of a pseudo-terminal pair, in raw mode, with an optional symbolic link
// to the slave so the host can find it under a fixed name.
//
// The simulator keeps a descriptor of the slave open for its whole life. Without it, each time
// the host closed the port the master would see a hang-up: poll() would report it without end
// and the next host session would find a terminal that had lost its settings.
class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Opens the pair; false with error() set when that fails.
  bool Open();

  // Points `path` at the slave. An existing symbolic link there is replaced; anything else at
  // that path is left alone and refused.
  bool Link(const std::string& path);

  // Removes the link, provided it still points at this simulator's slave (a newer simulator
  // may have taken the name over in the meantime).
  void Unlink();

  // Closes both ends: the host's port sees a hang-up, as when an adapter is pulled out.
  void Close();

  int masterFd() const { return master_; }
  // The simulator's own descriptor of the slave, which shows the settings the host gave it.
  int slaveFd() const { return slave_; }
  const std::string& slavePath() const { return slavePath_; }
  const std::string& error() const { return error_; }

 private:
  bool Fail(const std::string& what);

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string linkPath_;
  std::string error_;
};

}  // namespace tarnwick::sim
