// Runs the real target-sim program and talks to it through the link it makes, as the host's
// serial port does: open, exchange, close, and open again; on a line paced at 9600 baud.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "tools/target-sim/hex_records.h"
#include "tools/target-sim/sim_log.h"
#include "tools/target-sim/traffic_times.h"

namespace tarnwick::sim {
namespace {

// One host session: opens the port, sends `bytes`, reads the answer of `count` bytes, closes.
std::string Session(const std::string& port, const std::string& bytes, std::size_t count) {
  const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY);
  termios settings{};
  ::tcgetattr(fd, &settings);
  // One read takes the whole answer, unless the line falls quiet for ten seconds after its
  // first byte; a simulator that never answers at all ends by itself (--exit-after-seconds).
  settings.c_cc[VMIN] = static_cast<cc_t>(count);
  settings.c_cc[VTIME] = 100;
  ::tcsetattr(fd, TCSANOW, &settings);
  EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  std::string answer(count, '\0');
  answer.resize(static_cast<std::size_t>(std::max<ssize_t>(::read(fd, answer.data(), count), 0)));
  ::close(fd);
  return answer;
}

TEST(TargetSimProgramTest, ServesHostSessionsThroughItsLinkAndLogsWhatItReceived) {
  const auto dir = std::filesystem::path(testing::TempDir()) / ("sim" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string link = dir / "com1", log = dir / "sim.log", times = dir / "times";
  const auto now = [] {
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(sinceBoot).count();
  };
  const auto before = now();
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t sim = ::fork();
  if (sim == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::execl(TARGET_SIM_PATH, "target-sim", "--link", link.c_str(), "--log", log.c_str(),
            "--timestamps", times.c_str(), "--pace", "9600", "--exit-after-seconds", "120",
            nullptr);
    ::_exit(127);
  }
  ::close(out[1]);
  FILE* printed = ::fdopen(out[0], "r");
  char slave[256] = {};
  ASSERT_NE(::fgets(slave, sizeof slave, printed), nullptr);  // the slave's path, once ready
  EXPECT_EQ(std::filesystem::read_symlink(link).string() + "\n", slave);

  // The first session brings the application into its bootloader; a later one, on the
  // bootloader that still runs, sends a file with line ends and a backslash between records.
  // Neither answer is whole sooner than its bytes, or the host's, take on the wire.
  const auto wireNs = [](std::size_t bytes) { return std::int64_t(bytes) * 10'000'000'000 / 9600; };
  auto sessionStart = now();
  EXPECT_EQ(Session(link, "$@&$", 7), "^?V1.30");
  EXPECT_GE(now() - sessionStart, wireNs(7));
  const auto records = MakeHexRecords(2);
  const std::string file = records[0] + "\r\n\\x41" + records[1] + "\r\n" + records[2];
  sessionStart = now();
  EXPECT_EQ(Session(link, "@&$" + file, 10), "?V1.30~~~@");
  EXPECT_GE(now() - sessionStart, wireNs(3 + file.size()));

  int status = -1;
  ::kill(sim, SIGTERM);
  EXPECT_EQ(::waitpid(sim, &status, 0), sim);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link goes with the simulator";
  EXPECT_EQ(ReadReceivedBytes(log), "$@&$@&$" + file);
  // The moments of every read and write, in order, on the clock this process reads too.
  std::string received, sent;
  auto last = before;
  for (const TrafficEvent& event : ReadTrafficTimes(times)) {
    (event.sent ? sent : received) += event.bytes;
    EXPECT_LE(last, event.ns);
    last = event.ns;
  }
  EXPECT_LE(last, now());
  EXPECT_EQ(received, "$@&$@&$" + file);
  EXPECT_EQ(sent, "^?V1.30?V1.30~~~@");
  ::fclose(printed);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tarnwick::sim
