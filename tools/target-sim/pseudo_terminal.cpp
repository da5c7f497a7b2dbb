#include "tools/target-sim/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tarnwick::sim {

PseudoTerminal::~PseudoTerminal() {
  Close();
}

void PseudoTerminal::Close() {
  Unlink();
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

bool PseudoTerminal::Fail(const std::string& what) {
  error_ = what + ": " + std::strerror(errno);
  return false;
}

bool PseudoTerminal::Open() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0) return Fail("posix_openpt");
  if (grantpt(master_) != 0) return Fail("grantpt");
  if (unlockpt(master_) != 0) return Fail("unlockpt");
  const char* name = ptsname(master_);
  if (!name) return Fail("ptsname");
  slavePath_ = name;

  slave_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
  if (slave_ < 0) return Fail("open " + slavePath_);
  // Raw: no echo of what the host writes, no line editing, no translation of line ends.
  termios settings{};
  if (tcgetattr(slave_, &settings) != 0) return Fail("tcgetattr");
  cfmakeraw(&settings);
  if (tcsetattr(slave_, TCSANOW, &settings) != 0) return Fail("tcsetattr");
  return true;
}

bool PseudoTerminal::Link(const std::string& path) {
  struct stat existing {};
  if (lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
    errno = EEXIST;
    return Fail(path + " exists and is not a symbolic link");
  }
  // Made beside the target and renamed over it, so the name never points nowhere.
  const std::string temporary = path + ".target-sim." + std::to_string(getpid());
  unlink(temporary.c_str());
  if (symlink(slavePath_.c_str(), temporary.c_str()) != 0) return Fail("symlink " + temporary);
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    unlink(temporary.c_str());
    errno = saved;
    return Fail("rename to " + path);
  }
  linkPath_ = path;
  return true;
}

void PseudoTerminal::Unlink() {
  if (linkPath_.empty()) return;
  std::vector<char> target(slavePath_.size() + 2);
  const ssize_t length = readlink(linkPath_.c_str(), target.data(), target.size());
  if (length >= 0 && std::string(target.data(), static_cast<std::size_t>(length)) == slavePath_) {
    unlink(linkPath_.c_str());
  }
  linkPath_.clear();
}

}  // namespace tarnwick::sim
