// Runs the real target-sim program and talks to it through the symbolic link it makes, the way
// the host's serial port does: open, exchange, close, and open again.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tools/target-sim/hex_records.h"
#include "tools/target-sim/sim_log.h"

extern char** environ;

namespace tarnwick::sim {
namespace {

namespace fs = std::filesystem;

// Bounds a wait for something that normally takes milliseconds; only a broken simulator waits
// this long, so the machine's speed never decides a result.
constexpr auto kPatience = std::chrono::seconds{10};

// Reads from `fd` until `count` bytes have come or the patience runs out.
std::string ReadBytes(int fd, std::size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  std::string bytes;
  while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), TARGET_SIM_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdout_ = out[0];
  }

  ~SimProcess() {
    if (pid_ > 0) Stop();
    if (stdout_ >= 0) close(stdout_);
  }

  // The first line the program prints: the slave's path.
  std::string FirstLine() {
    std::string line;
    while (line.empty() || line.back() != '\n') {
      const std::string byte = ReadBytes(stdout_, 1);
      if (byte.empty()) return line;
      line += byte;
    }
    line.pop_back();
    return line;
  }

  // Asks the program to end; its exit status, or -1 when it did not end normally.
  int Stop() {
    kill(pid_, SIGTERM);
    return Wait();
  }

  int Wait() {
    int status = 0;
    const pid_t pid = std::exchange(pid_, -1);
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
};

class TargetSimProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(testing::TempDir()) / "target-sim-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Opens the port as the host does: raw, no echo.
  int OpenPort() {
    const int fd = open((dir_ / "com1").c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
    return fd;
  }

  static void Write(int fd, const std::string& text) {
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  fs::path dir_;
};

TEST_F(TargetSimProgramTest, ServesSeveralHostSessionsAndLogsWhatItReceived) {
  const fs::path link = dir_ / "com1";
  const fs::path logPath = dir_ / "sim.log";
  SimProcess sim(
      {"--link", link.string(), "--log", logPath.string(), "--exit-after-seconds", "120"});
  const std::string slave = sim.FirstLine();
  ASSERT_FALSE(slave.empty());
  EXPECT_EQ(fs::read_symlink(link), slave);

  // The first session brings the application into its bootloader and ends.
  int port = OpenPort();
  ASSERT_GE(port, 0);
  Write(port, "$@&$");
  EXPECT_EQ(ReadBytes(port, 7), "^?V1.30");
  close(port);

  // A later session finds the bootloader still answering, and sends a file.
  port = OpenPort();
  ASSERT_GE(port, 0);
  Write(port, "@&$");
  EXPECT_EQ(ReadBytes(port, 6), "?V1.30");
  const auto records = MakeHexRecords(2);
  Write(port, records[0]);
  EXPECT_EQ(ReadBytes(port, 1), "~");
  Write(port, records[1]);
  EXPECT_EQ(ReadBytes(port, 1), "~");
  Write(port, records[2]);
  EXPECT_EQ(ReadBytes(port, 2), "~@");
  close(port);

  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(fs::is_symlink(link)) << "the link goes with the simulator";

  EXPECT_EQ(ReadReceivedBytes(logPath.string()), "$@&$@&$" + records[0] + records[1] + records[2]);
  std::ifstream log(logPath);
  std::string line, sent;
  while (std::getline(log, line)) {
    if (const auto kind = line.find(" TX "); kind != std::string::npos) {
      sent += UnescapeBytes(line.substr(kind + 4));
    }
  }
  EXPECT_EQ(sent, "^?V1.30?V1.30~~~@");
}

TEST_F(TargetSimProgramTest, RefusesToReplaceAnOrdinaryFileWithItsLink) {
  const fs::path link = dir_ / "com1";
  std::ofstream(link) << "not a terminal";
  SimProcess refused({"--link", link.string(), "--exit-after-seconds", "30"});
  EXPECT_EQ(refused.Wait(), 1);
  EXPECT_TRUE(fs::is_regular_file(link));
}

}  // namespace
}  // namespace tarnwick::sim
