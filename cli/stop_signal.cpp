#include "cli/stop_signal.h"

#include <QSocketNotifier>
#include <csignal>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tarnwick::cli {
namespace {

volatile std::sig_atomic_t g_stop = 0;
int g_pipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
  g_stop = 1;
#ifndef _WIN32
  // The pipe is never read, so one byte keeps it readable for good; a full pipe is fine too.
  if (g_pipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
  }
#endif
}

}  // namespace

void CatchStopSignals() {
#ifdef _WIN32
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
#else
  if (g_pipe[0] < 0 && ::pipe(g_pipe) == 0) {
    for (const int fd : g_pipe) {
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool StopSignalled() {
  return g_stop != 0;
}

int StopSignalDescriptor() {
  return g_pipe[0];
}

std::unique_ptr<QSocketNotifier> WatchStopSignals(std::function<void()> onStop) {
  if (g_pipe[0] < 0) return nullptr;
  auto notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  QSocketNotifier* const watching = notifier.get();
  QObject::connect(watching, &QSocketNotifier::activated, watching, [watching, onStop] {
    // The pipe stays readable; one call is all a stop needs.
    watching->setEnabled(false);
    onStop();
  });
  return notifier;
}

}  // namespace tarnwick::cli
