#include "tools/target-sim/sim_runner.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarnwick::sim {
namespace {

using std::chrono::milliseconds;

// Output that piles up while nobody reads the terminal is kept, but no noise is added to it.
constexpr std::size_t kNoiseBacklogLimit = 4096;

// Waits until one of `fds` is ready or `deadline` has come (none: no deadline). Linux's ppoll()
// wakes to the nanosecond, as a paced line needs; elsewhere poll() rounds up to the millisecond,
// since waking a little early would only lead to another, empty pass.
int WaitFor(pollfd* fds, nfds_t count,
            std::optional<std::chrono::steady_clock::time_point> deadline) {
  std::optional<std::chrono::nanoseconds> left;
  if (deadline) {
    left = std::max<std::chrono::nanoseconds>(*deadline - std::chrono::steady_clock::now(), {});
  }
#ifdef __linux__
  if (!left) return ppoll(fds, count, nullptr, nullptr);
  const timespec timeout{static_cast<time_t>(left->count() / 1'000'000'000),
                         static_cast<long>(left->count() % 1'000'000'000)};
  return ppoll(fds, count, &timeout, nullptr);
#else
  return poll(fds, count,
              left ? static_cast<int>(std::chrono::ceil<milliseconds>(*left).count()) : -1);
#endif
}

// How long before a paced byte's moment the simulator stops sleeping and watches the clock
// instead: more than a busy virtual machine takes to wake a sleeper, so that the byte goes out
// on time and a benchmark of the host's line transfer measures the host, not the simulator.
constexpr std::chrono::microseconds kWakeAhead{200};

// Waits until `moment`: asleep until shortly before it, then awake on the clock for the rest,
// because a sleep alone ends when the scheduler gets round to it, tens of microseconds late.
// Ends early on a signal, and returns false where the system has no sleep on a moment of the
// steady clock.
bool WaitUntil(std::chrono::steady_clock::time_point moment) {
#ifdef __linux__
  const auto wake = moment - kWakeAhead;
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wake.time_since_epoch());
  const timespec at{static_cast<time_t>(ns.count() / 1'000'000'000),
                    static_cast<long>(ns.count() % 1'000'000'000)};
  if (wake > std::chrono::steady_clock::now() &&
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
    return true;  // a signal: the loop sees the stop request at once
  }
  while (std::chrono::steady_clock::now() < moment) {
  }
  return true;
#else
  (void)moment;
  return false;
#endif
}

// The longest the line is left unwatched while an answer byte is on its way: a verdict at
// 19200 baud, after a record of 45 bytes.
constexpr milliseconds kLongestAnswerSleep{25};

// How often the line settings are looked at while the host sends nothing: a host that sets its
// port up and then waits is seen within this time.
constexpr milliseconds kSettingsCheckInterval{100};

}  // namespace

SimRunner::SimRunner(const SimConfig& config, int masterFd, int stopFd, SimLog& log,
                     TrafficTimes& times, LineSettingsReport& lineSettings)
    : config_(config),
      masterFd_(masterFd),
      stopFd_(stopFd),
      log_(log),
      times_(times),
      lineSettings_(lineSettings),
      protocol_(config.behaviour),
      pace_(config.paceBitsPerSecond) {
#ifdef __linux__
  // A paced answer is due to the microsecond; the kernel's default slack of 50 us on every
  // timed wake-up would add more to each line than the host's own turnaround.
  if (pace_.paced()) prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
  protocol_.SetNoteSink([this](const std::string& note) { log_.Event(note); });
  if (config_.resetAfter) resetAt_ = start_ + *config_.resetAfter;
  if (config_.activeEvery) nextAnnouncement_ = start_ + *config_.activeEvery;
  if (config_.exitAfter) exitAt_ = start_ + *config_.exitAfter;
  if (lineSettings_.wanted()) nextSettingsCheck_ = start_ + kSettingsCheckInterval;
  if (config_.noiseBytesPerSecond > 0) {
    noise_.emplace(config_.behaviour.characters, config_.noiseBytesPerSecond);
    // Small batches often enough that the chatter looks continuous to the host.
    const auto perByte = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / config_.noiseBytesPerSecond));
    noiseInterval_ = std::clamp<Clock::duration>(perByte, milliseconds{5}, milliseconds{50});
    if (config_.noiseEvery) noiseInterval_ = *config_.noiseEvery;
    noiseRunning_ = !config_.noiseAfterActive;
    lastNoise_ = start_;
  }
}

int SimRunner::Run() {
  for (;;) {
    pollfd fds[2] = {
        {masterFd_, static_cast<short>(POLLIN | (unwritten_.empty() ? 0 : POLLOUT)), 0},
        {stopFd_, POLLIN, 0},
    };
    std::optional<Clock::time_point> deadline = NextEvent();
    // The host that waits for an answer sends nothing until it has it, so the simulator may
    // sleep through the answer's time on the line and wake once, at its end exactly; what the
    // host sent after all is read, and goes on the line, from then on. A byte further off is
    // waited for in poll() until it is near enough.
    if (pace_.paced() && deadline && deadline == NextByteOut()) {
      if (*deadline - Clock::now() > kLongestAnswerSleep) {
        deadline = *deadline - kLongestAnswerSleep;
      } else if (WaitUntil(*deadline)) {
        deadline = Clock::now();
      }
    }
    if (WaitFor(fds, 2, deadline) < 0 && errno != EINTR) {
      std::perror("target-sim: poll");
      return 1;
    }
    const auto now = Clock::now();
    if (fds[1].revents != 0) return 0;
    if (exitAt_ && now >= *exitAt_) return 0;
    if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !ReadFromHost(now)) return 1;
    RunTimedEvents(now);
    if (!WriteDueOutput(now)) return 1;
  }
}

bool SimRunner::ReadFromHost(Clock::time_point now) {
  char buffer[4096];
  const ssize_t count = read(masterFd_, buffer, sizeof buffer);
  if (count > 0) {
    // Before the bytes: they were sent under these settings.
    lineSettings_.Check();
    const std::string_view bytes(buffer, static_cast<std::size_t>(count));
    times_.Received(bytes);
    log_.Received(bytes);
    if (!pace_.paced()) {
      Schedule(protocol_.Receive(bytes, now), now);
      return true;
    }
    // A record is complete, and its answer due, when its last byte has crossed the line.
    for (const char& byte : bytes) {
      const auto arrival = pace_.Received(now);
      Schedule(protocol_.Receive(std::string_view(&byte, 1), arrival), arrival);
    }
    return true;
  }
  if (count < 0 && (errno == EAGAIN || errno == EINTR)) return true;
  // The slave is held open by this process, so the master cannot be hung up; should it happen
  // anyway, end rather than wake up for the hang-up again and again.
  std::fprintf(stderr, "target-sim: the terminal failed: %s\n",
               count == 0 ? "end of file" : std::strerror(errno));
  return false;
}

void SimRunner::RunTimedEvents(Clock::time_point now) {
  if (resetAt_ && now >= *resetAt_) {
    resetAt_.reset();
    Schedule(protocol_.Reset(), now);
  }
  if (nextAnnouncement_ && now >= *nextAnnouncement_) {
    *nextAnnouncement_ += *config_.activeEvery;
    if (*nextAnnouncement_ <= now) *nextAnnouncement_ = now + *config_.activeEvery;
    // One announcement waiting for a reader is enough; more would only pile up.
    if (unwritten_.empty()) Schedule(protocol_.AnnounceIfIdle(now), now);
  }
  if (nextSettingsCheck_ && now >= *nextSettingsCheck_) {
    lineSettings_.Check();
    nextSettingsCheck_ = now + kSettingsCheckInterval;
  }
  if (noiseRunning_ && now - lastNoise_ >= noiseInterval_) {
    const auto chatter =
        noise_->Take(std::chrono::duration_cast<std::chrono::microseconds>(now - lastNoise_));
    lastNoise_ = now;
    if (!chatter.empty() && unwritten_.size() + onTheLine_.size() < kNoiseBacklogLimit)
      scheduled_.emplace(now, chatter);
  }
}

// With a byte gap, a reply reaches the host in pieces, as USB adapters hand replies over.
void SimRunner::Schedule(const std::vector<Reply>& replies, Clock::time_point now) {
  const auto gap = config_.replyByteGap;
  for (const auto& reply : replies) {
    if (gap.count() == 0) {
      scheduled_.emplace(now + reply.delay, reply.bytes);
      continue;
    }
    for (std::size_t i = 0; i < reply.bytes.size(); ++i) {
      scheduled_.emplace(now + reply.delay + static_cast<int>(i) * gap, reply.bytes.substr(i, 1));
    }
  }
}

bool SimRunner::WriteDueOutput(Clock::time_point now) {
  while (!scheduled_.empty() && scheduled_.begin()->first <= now) {
    const auto& [due, bytes] = *scheduled_.begin();
    if (noise_ && !noiseRunning_ &&
        bytes.find(config_.behaviour.characters.active) != std::string::npos) {
      noiseRunning_ = true;
      lastNoise_ = now;
    }
    if (pace_.paced()) {
      for (const char byte : bytes) onTheLine_.emplace_back(pace_.Sent(due), byte);
    } else {
      unwritten_ += bytes;
    }
    scheduled_.erase(scheduled_.begin());
  }
  // The host sees a paced byte only once it has crossed the line.
  while (!onTheLine_.empty() && onTheLine_.front().first <= now) {
    unwritten_ += onTheLine_.front().second;
    onTheLine_.pop_front();
  }
  if (unwritten_.empty()) return true;
  const ssize_t written = write(masterFd_, unwritten_.data(), unwritten_.size());
  if (written < 0) {
    if (errno == EAGAIN || errno == EINTR) return true;
    std::perror("target-sim: write");
    return false;
  }
  times_.Sent(std::string_view(unwritten_).substr(0, static_cast<std::size_t>(written)));
  log_.Sent(std::string_view(unwritten_).substr(0, static_cast<std::size_t>(written)));
  unwritten_.erase(0, static_cast<std::size_t>(written));
  return true;
}

// A paced answer is taken off the schedule when its first byte has left the line, so that a
// one-byte verdict costs one wake-up, not two.
std::optional<SimRunner::Clock::time_point> SimRunner::NextByteOut() const {
  std::optional<Clock::time_point> next;
  if (!onTheLine_.empty()) next = onTheLine_.front().first;
  if (!scheduled_.empty()) {
    const auto due = scheduled_.begin()->first;
    const auto out = pace_.paced() ? pace_.WouldLeave(due) : due;
    if (!next || out < *next) next = out;
  }
  return next;
}

std::optional<SimRunner::Clock::time_point> SimRunner::NextEvent() const {
  std::optional<Clock::time_point> next;
  const auto consider = [&next](std::optional<Clock::time_point> t) {
    if (t && (!next || *t < *next)) next = t;
  };
  consider(NextByteOut());
  consider(resetAt_);
  consider(nextAnnouncement_);
  consider(exitAt_);
  consider(nextSettingsCheck_);
  if (noiseRunning_) consider(lastNoise_ + noiseInterval_);
  return next;
}

}  // namespace tarnwick::sim
