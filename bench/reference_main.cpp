// The limit that the download engine is measured against: the same exchanges with the same
// target over the same kind of line, in plain C++ with nothing between the program and the
// descriptor.
//
//   tarnwick_bench_reference transfer <port> <file>
//     Sends the jump command and start sequence until the ready character comes, then for
//     every non-empty line of the file: write it, poll, read until a verdict.
//   tarnwick_bench_reference noise <port> <seconds>
//     The jump-mode handshake after the active character against a target that streams
//     noise: any input ends a wait and another request goes out, for <seconds>.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "bench/cpu_stretches.h"
#include "bench/measure.h"

namespace tarnwick::bench {
namespace {

constexpr int kVerdictTimeoutMs = 3000;

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// The line settings of a download at 115200 baud: raw, 8N1, XON/XOFF.
int OpenLine(const char* path) {
  int fd = open(path, O_RDWR | O_NOCTTY);
  if (fd < 0) ThrowErrno("open port");
  termios line{};
  if (tcgetattr(fd, &line) != 0) ThrowErrno("tcgetattr");
  cfmakeraw(&line);
  cfsetspeed(&line, B115200);
  line.c_iflag |= IXON | IXOFF;
  line.c_cflag |= CLOCAL | CREAD;
  if (tcsetattr(fd, TCSANOW, &line) != 0) ThrowErrno("tcsetattr");
  return fd;
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) ThrowErrno("write");
    bytes.remove_prefix(std::size_t(written));
  }
}

// What arrives within the timeout: one read after the line has become readable.
std::string ReadPending(int fd, int timeoutMs) {
  pollfd readable{fd, POLLIN, 0};
  int ready = 0;
  while ((ready = poll(&readable, 1, timeoutMs)) < 0 && errno == EINTR) {
  }
  if (ready < 0) ThrowErrno("poll");
  if (ready == 0) return {};
  char buffer[4096];
  ssize_t count = read(fd, buffer, sizeof buffer);
  if (count < 0 && errno != EINTR && errno != EAGAIN) ThrowErrno("read");
  return count > 0 ? std::string(buffer, std::size_t(count)) : std::string();
}

// Reads until one of `wanted` has arrived or nothing came for the timeout.
std::string ReadUntilAny(int fd, std::string_view wanted) {
  std::string received;
  while (received.find_first_of(wanted) == std::string::npos) {
    std::string more = ReadPending(fd, kVerdictTimeoutMs);
    if (more.empty()) break;
    received += more;
  }
  return received;
}

// Sends the jump command and start sequence until the ready character comes, then every
// non-empty line of the file, each up to three times until a verdict accepts it.
void SendFile(const char* port, const char* path) {
  int fd = OpenLine(port);
  bool ready = false;
  for (int request = 0; request < 3 && !ready; ++request) {
    WriteAll(fd, "$@&$");
    ready = ReadUntilAny(fd, "?").find('?') != std::string::npos;
  }
  if (!ready) throw std::runtime_error("no ready answer");

  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open the file");
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    bool accepted = false;
    for (int send = 0; send < 3 && !accepted; ++send) {
      WriteAll(fd, line);
      accepted = ReadUntilAny(fd, "~-%#@").find_first_of("~#@") != std::string::npos;
    }
  }
  close(fd);
}

// Requests readiness for `seconds` against a target that streams noise: any input at all ends
// a wait, and the next request follows.
void RequestThroughNoise(const char* port, int seconds) {
  int fd = OpenLine(port);
  const std::chrono::milliseconds whole(seconds * 1000);
  CpuStretches stretches(whole);
  std::int64_t endNs = MonotonicNanoseconds() + std::chrono::nanoseconds(whole).count();
  bool ready = false;
  while (MonotonicNanoseconds() < endNs && !ready) {
    WriteAll(fd, "$@&$");
    ready = ReadPending(fd, kVerdictTimeoutMs).find('?') != std::string::npos;
  }
  stretches.Report();
  close(fd);
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  std::string_view mode = argc == 4 ? argv[1] : "";
  if (mode != "transfer" && mode != "noise") {
    std::fprintf(stderr, "usage: %s transfer <port> <file> | noise <port> <seconds>\n", argv[0]);
    return 2;
  }
  try {
    using namespace tarnwick::bench;
    ReportDownload([&] {
      if (mode == "noise") RequestThroughNoise(argv[2], std::stoi(argv[3]));
      if (mode == "transfer") SendFile(argv[2], argv[3]);
    });
    ReportProcess();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarnwick_bench_reference: %s\n", error.what());
    return 1;
  }
}
