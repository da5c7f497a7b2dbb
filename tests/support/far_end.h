#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "tools/target-sim/pseudo_terminal.h"

namespace tarnwick::testing {

// The far end of a pseudo-terminal, opened as the simulator opens its own: the port under
// test opens Slave(), the test plays the target on the master, and Close() pulls the adapter.
class FarEnd {
 public:
  FarEnd() { EXPECT_TRUE(pty_.Open()) << pty_.error(); }

  const std::string& Slave() const { return pty_.slavePath(); }
  int Fd() const { return pty_.masterFd(); }
  void Close() { pty_.Close(); }

  void Write(std::string_view bytes) {
    EXPECT_EQ(::write(Fd(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the far end receives until `count` bytes have come or ten seconds have passed.
  std::string Read(std::size_t count) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::string got;
    char chunk[512];
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(1ms);
      const ssize_t n = ::read(Fd(), chunk, sizeof chunk);
      if (n > 0) got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
  }

 private:
  sim::PseudoTerminal pty_;
};

}  // namespace tarnwick::testing
