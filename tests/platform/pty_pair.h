#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace tarnwick::testing {

// A pseudo-terminal pair. The port under test opens the slave by its path; the test plays
// the far end on the master.
class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  int MasterFd() const { return master_; }

  void Write(std::string_view bytes);
  // What the far end receives until `count` bytes have come or `timeout` has passed.
  std::string Read(std::size_t count, std::chrono::milliseconds timeout);
  // The far end goes away, as when a USB adapter is pulled out.
  void CloseMaster();

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace tarnwick::testing
