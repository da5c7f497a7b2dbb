#include "tests/platform/pty_pair.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace tarnwick::testing {

PtyPair::PtyPair() {
  int slave = -1;
  char name[256] = {};
  if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  slavePath_ = name;
  // Only the port under test keeps the slave open.
  ::close(slave);
}

PtyPair::~PtyPair() {
  CloseMaster();
}

void PtyPair::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(master_, bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) throw std::runtime_error("write to the pty master failed");
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
}

std::string PtyPair::Read(std::size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string received;
  while (received.size() < count) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd ready{master_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) break;
    char chunk[512];
    const ssize_t got = ::read(master_, chunk, std::min(sizeof chunk, count - received.size()));
    if (got <= 0) break;
    received.append(chunk, static_cast<std::size_t>(got));
  }
  return received;
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace tarnwick::testing
