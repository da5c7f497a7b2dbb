// The target-sim program itself on its pseudo-terminal, for what only shows on a real one: what
// it sees of the host's port settings. (The jump's lost bytes are the protocol logic's test and,
// over a real line, the engine's paced handshake test.)
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <asm/termbits.h>  // termios2, for a rate without a B constant, as Qt sets it
#include <sys/ioctl.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/target-sim/hex_records.h"
#include "tools/target-sim/sim_log.h"

namespace tarnwick::sim {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Generous: only a broken simulator takes this long, however slow the machine.
constexpr auto kPatience = std::chrono::seconds{20};

// A target-sim process with its log and its line settings report in a folder of its own, and
// the host's end of its terminal. Ended when the object goes.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    char pattern[] = "/tmp/target-sim-test.XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    options.insert(options.begin(), TARNWICK_TARGET_SIM);
    options.insert(options.end(), {"--log", File("sim.log"), "--report-line-settings", File("line"),
                                   "--exit-after-seconds", "60"});
    int output[2];
    if (pipe(output) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(output[1], STDOUT_FILENO);
      std::vector<char*> argv;
      for (auto& option : options) argv.push_back(option.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(output[1]);
    // The first line is the slave's path, written once the terminal is ready.
    std::string path;
    char c;
    while (read(output[0], &c, 1) == 1 && c != '\n') path += c;
    close(output[0]);
    if (!path.empty()) port_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  }

  ~Simulator() {
    if (port_ >= 0) close(port_);
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  std::string File(const char* name) const { return (fs::path(folder_) / name).string(); }
  int port() const { return port_; }

 private:
  std::string folder_;
  pid_t pid_ = -1;
  int port_ = -1;
};

#ifdef __linux__
// The lines of `path` once it has `count` of them, or what it has when they do not come in time.
std::vector<std::string> WaitForLines(const std::string& path, std::size_t count) {
  const auto giveUp = std::chrono::steady_clock::now() + kPatience;
  std::vector<std::string> lines;
  do {
    std::this_thread::sleep_for(milliseconds{20});
    std::ifstream file(path);
    lines.clear();
    for (std::string line; std::getline(file, line);) lines.push_back(line);
  } while (lines.size() < count && std::chrono::steady_clock::now() < giveUp);
  return lines;
}

// The host sets its port up one way after another; each change the report can show is one line,
// in order, and a change it does not show (echo) writes none. (A Linux pseudo-terminal keeps
// 8 data bits and no parity whatever the host asks, so those stay as they are.)
TEST(TargetSimOverPty, ReportsEachChangeOfTheHostsLineSettings) {
  const struct {
    unsigned rate;  // a B constant, or BOTHER with `custom`
    unsigned custom;
    unsigned cflag;
    unsigned iflag;
    unsigned lflag;
    const char* report;  // nullptr: no new line
  } steps[] = {
      {B19200, 0, 0, IXON | IXOFF, 0, "baud 19200 data 8 parity none stop 1 xonxoff on"},
      {BOTHER, 56000, CSTOPB, IXON, 0, "baud 56000 data 8 parity none stop 2 xonxoff ixon"},
      {BOTHER, 56000, CSTOPB, IXON, ECHO, nullptr},
      {B115200, 0, 0, IXOFF, ECHO, "baud 115200 data 8 parity none stop 1 xonxoff ixoff"},
  };
  Simulator sim({});
  ASSERT_GE(sim.port(), 0);
  std::vector<std::string> expected = {"baud 38400 data 8 parity none stop 1 xonxoff off"};
  for (const auto& step : steps) {
    termios2 settings{};
    ASSERT_EQ(ioctl(sim.port(), TCGETS2, &settings), 0);
    settings.c_cflag = (settings.c_cflag & ~(CBAUD | CSTOPB)) | step.rate | step.cflag;
    settings.c_ospeed = settings.c_ispeed = step.custom;
    settings.c_iflag = step.iflag;
    settings.c_lflag = step.lflag;
    ASSERT_EQ(ioctl(sim.port(), TCSETS2, &settings), 0);
    if (!step.report) continue;
    expected.push_back(step.report);
    EXPECT_EQ(WaitForLines(sim.File("line"), expected.size()), expected);
  }
}
#endif

}  // namespace
}  // namespace tarnwick::sim
