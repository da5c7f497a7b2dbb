// A bootloader stand-in on a pseudo-terminal, in a process of its own so that the host's
// CPU figures are the host's alone. It prints "port=<slave path>", serves the line until
// its standard input closes, then prints its own figures as "key=value" lines.
//
//   tarnwick_bench_target instant   answers at once (see InstantTarget)
//   tarnwick_bench_target silent    never answers
//   tarnwick_bench_target noise     answers the first byte with the active character, then
//                                   streams printable noise without a protocol character at
//                                   11,520 bytes per second, the full rate of 115200 baud
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "bench/instant_target.h"
#include "bench/measure.h"
#include "bench/pty_pair.h"
#include "tools/target-sim/noise_source.h"

namespace tarnwick::bench {
namespace {

constexpr double kNoiseBytesPerSecond = 11'520;
// A UART with a FIFO hands received bytes over in small batches about every millisecond;
// the noise arrives at the host the same way.
constexpr std::int64_t kNoiseTickNs = 1'000'000;

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(std::size_t(written));
    } else if (written < 0 && errno == EAGAIN) {
      pollfd writable{fd, POLLOUT, 0};
      poll(&writable, 1, -1);
    } else if (written < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "write to pty");
    }
  }
}

// Streams noise at the full rate of the line once started. A full line buffer refuses
// bytes (the host is not reading); they are counted, not queued.
class NoiseStream {
 public:
  explicit NoiseStream(int fd)
      : fd_(fd), source_(sim::ProtocolCharacters{}, kNoiseBytesPerSecond) {}

  bool Started() const { return startNs_ != 0; }
  void Start(std::int64_t nowNs) { startNs_ = lastTickNs_ = nowNs; }
  std::int64_t NextTickNs() const { return lastTickNs_ + kNoiseTickNs; }

  // Writes the bytes due since the last tick, only on a tick: the host's requests wake the
  // target too, and must not make the noise come in smaller, more frequent pieces.
  void Emit(std::int64_t nowNs) {
    if (nowNs < NextTickNs()) return;
    std::int64_t ticks = (nowNs - lastTickNs_) / kNoiseTickNs;
    std::string chunk = source_.Take(std::chrono::microseconds(ticks * kNoiseTickNs / 1000));
    lastTickNs_ += ticks * kNoiseTickNs;
    offered_ += std::int64_t(chunk.size());
    ssize_t written = write(fd_, chunk.data(), chunk.size());
    sent_ += written > 0 ? written : 0;
  }

  std::int64_t Offered() const { return offered_; }
  std::int64_t Sent() const { return sent_; }
  double Seconds(std::int64_t nowNs) const { return double(nowNs - startNs_) / 1e9; }

 private:
  int fd_;
  sim::NoiseSource source_;
  std::int64_t startNs_ = 0;
  std::int64_t lastTickNs_ = 0;
  std::int64_t offered_ = 0;
  std::int64_t sent_ = 0;
};

int Serve(std::string_view mode) {
  PtyPair pty = OpenRawPty();
  ReportText("port", pty.slavePath);

  auto send = [&](std::string_view bytes) { WriteAll(pty.master, bytes); };
  InstantTarget instant(send);
  NoiseStream noise(pty.master);
  std::int64_t received = 0;
  char buffer[4096];

  for (;;) {
    pollfd fds[2] = {{pty.master, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    timespec timeout{};
    timespec* timeoutOrNone = nullptr;
    if (noise.Started()) {
      std::int64_t wait = std::max<std::int64_t>(0, noise.NextTickNs() - MonotonicNanoseconds());
      timeout = {time_t(wait / 1'000'000'000), long(wait % 1'000'000'000)};
      timeoutOrNone = &timeout;
    }
    if (ppoll(fds, 2, timeoutOrNone, nullptr) < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "ppoll");
    }
    if (fds[1].revents != 0) break;  // the driver closed our input: report and end

    if (fds[0].revents & POLLIN) {
      ssize_t count = read(pty.master, buffer, sizeof buffer);
      std::int64_t arrivalNs = MonotonicNanoseconds();
      if (count > 0) {
        received += count;
        std::string_view bytes(buffer, std::size_t(count));
        if (mode == "instant") instant.Receive(bytes, arrivalNs);
        if (mode == "noise" && !noise.Started()) {
          send("^");
          noise.Start(MonotonicNanoseconds());
        }
      }
    }
    if (noise.Started()) noise.Emit(MonotonicNanoseconds());
  }

  ReportFigure("received_bytes", received);
  if (mode == "instant") {
    auto turnarounds = instant.TurnaroundsNs();
    ReportFigure("records", instant.RecordsAnswered());
    ReportFigure("checksum_errors", instant.ChecksumErrors());
    ReportFigure("transfer_ns", instant.TransferNs());
    ReportFigure("last_verdict_ns", instant.LastVerdictNs());
    ReportFigure("turnaround_median_ns", Percentile(turnarounds, 0.50));
    ReportFigure("turnaround_p99_ns", Percentile(turnarounds, 0.99));
  }
  if (mode == "noise") {
    std::int64_t now = MonotonicNanoseconds();
    ReportFigure("noise_seconds", noise.Started() ? noise.Seconds(now) : 0.0);
    ReportFigure("noise_offered_bytes", noise.Offered());
    ReportFigure("noise_sent_bytes", noise.Sent());
  }
  return 0;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  std::string_view mode = argc == 2 ? argv[1] : "";
  if (mode != "instant" && mode != "silent" && mode != "noise") {
    std::fprintf(stderr, "usage: %s instant|silent|noise\n", argv[0]);
    return 2;
  }
  try {
    return tarnwick::bench::Serve(mode);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarnwick_bench_target: %s\n", error.what());
    return 1;
  }
}
