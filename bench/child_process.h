#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace tarnwick::bench {

// A program started with its standard input and output on pipes to this process; its
// standard error is ours, so its complaints reach the terminal.
class ChildProcess {
 public:
  // `environment` entries ("NAME=value") are added to this process's environment.
  explicit ChildProcess(const std::vector<std::string>& argv,
                        const std::vector<std::string>& environment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of its output without the line end; false at the end of its output, or
  // when no more output came for `timeoutMs` (never, when negative).
  bool ReadLine(std::string& line, int timeoutMs = -1);
  void CloseInput();
  // Asks it to end (SIGTERM).
  void Terminate();
  // Keeps it on one CPU from now on.
  void PinToCpu(int cpu);
  // Waits for it to end; its exit status, or 128 + the signal that ended it.
  int Wait();

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string pending_;
  int status_ = -1;
};

}  // namespace tarnwick::bench
