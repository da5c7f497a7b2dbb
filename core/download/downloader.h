#pragma once

#include "core/download/clock.h"
#include "core/download/download_result.h"
#include "core/download/download_state.h"
#include "core/download/download_view.h"
#include "core/download/serial_port.h"

namespace tarnwick {

// How the target is brought into its bootloader: by sending the running application the jump
// command, or by waiting for the bootloader's active character while the user resets it.
enum class Mode { kJump, kWait };

// The download engine. It reaches the world only through the port, the clock and the view,
// and owns the variables that outlive one download.
class Downloader {
 public:
  Downloader(SerialPort& port, Clock& clock, DownloadView& view)
      : port_(port), clock_(clock), view_(view) {}

  // One whole download; returns when it has ended, whatever the ending.
  DownloadResult Start(Mode mode);
  // Asks the running download to stop at its next test point; once per download.
  void Cancel();
  // Every 60 ms, always: the coarse stopwatch of the verdict wait for old bootloaders.
  void OnTick();

  const DownloadState& State() const { return state_; }

 private:
  DownloadState state_;
  SerialPort& port_;
  Clock& clock_;
  DownloadView& view_;
};

}  // namespace tarnwick
