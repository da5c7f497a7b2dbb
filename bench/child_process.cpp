#include "bench/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

extern char** environ;

namespace tarnwick::bench {

namespace {

[[noreturn]] void ThrowErrno(int error, const char* what) {
  throw std::system_error(error, std::generic_category(), what);
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment) {
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) {
    ThrowErrno(errno, "pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);

  std::vector<std::string> arguments = argv;
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) variables.emplace_back(*entry);
  variables.insert(variables.end(), environment.begin(), environment.end());
  auto argumentPointers = Pointers(arguments);
  auto variablePointers = Pointers(variables);
  int error = posix_spawn(&pid_, arguments[0].c_str(), &actions, nullptr, argumentPointers.data(),
                          variablePointers.data());
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  input_ = toChild[1];
  output_ = fromChild[0];
  if (error != 0) {
    pid_ = -1;
    ThrowErrno(error, arguments[0].c_str());
  }
}

ChildProcess::~ChildProcess() {
  CloseInput();
  if (output_ >= 0) close(output_);
  // Only when it is still running, that is when a run was given up half-way.
  Terminate();
  Wait();
}

bool ChildProcess::ReadLine(std::string& line, int timeoutMs) {
  for (;;) {
    auto end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    pollfd readable{output_, POLLIN, 0};
    if (output_ >= 0 && poll(&readable, 1, timeoutMs) == 0) return false;
    char buffer[4096];
    ssize_t count = output_ < 0 ? 0 : read(output_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      if (pending_.empty()) return false;
      line = std::move(pending_);
      pending_.clear();
      return true;
    }
    pending_.append(buffer, std::size_t(count));
  }
}

void ChildProcess::PinToCpu(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  if (pid_ > 0 && sched_setaffinity(pid_, sizeof set, &set) != 0) {
    ThrowErrno(errno, "sched_setaffinity");
  }
}

void ChildProcess::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

void ChildProcess::Terminate() {
  if (pid_ > 0) kill(pid_, SIGTERM);
}

int ChildProcess::Wait() {
  if (pid_ < 0) return status_;
  int raw = 0;
  while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return status_;
}

}  // namespace tarnwick::bench
