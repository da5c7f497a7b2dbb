#include "cli/stop_signal.h"

#include <csignal>

namespace tarnwick::cli {
namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int) {
  g_stop = 1;
}

}  // namespace

void CatchStopSignals() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
}

bool StopSignalled() {
  return g_stop != 0;
}

}  // namespace tarnwick::cli
