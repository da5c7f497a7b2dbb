#pragma once

#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick::testing {

// A pseudo-terminal whose slave the port under test opens by its path; the test plays the
// target on the master, and closing the master is the far end going away.
class PtyFarEnd {
 public:
  PtyFarEnd() {
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) {
      throw std::runtime_error("openpty failed");
    }
    slave_path_ = name;
    ::close(slave);  // only the port under test holds the slave
  }
  ~PtyFarEnd() { Close(); }
  PtyFarEnd(const PtyFarEnd&) = delete;
  PtyFarEnd& operator=(const PtyFarEnd&) = delete;

  const std::string& SlavePath() const { return slave_path_; }
  int MasterFd() const { return master_; }

  void Write(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t count = ::write(master_, bytes.data(), bytes.size());
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) throw std::runtime_error("write to the pty master failed");
      bytes.remove_prefix(static_cast<std::size_t>(count));
    }
  }

  void Close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace tarnwick::testing
