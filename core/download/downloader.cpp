#include "core/download/downloader.h"

#include <string>

#include "core/download/download_run.h"

namespace tarnwick {

void Downloader::Command4_Click() {
  state_.CancelRequested = true;
  // Once per download: the next download's busy state enables it again.
  view_.DisableCancelButton();
}

// Timer1, every 60 ms: the coarse stopwatch of the short verdict wait.
void Downloader::Timer1_Timer() {
  if (state_.TickCount < 5) ++state_.TickCount;
}

// Timer3, every second while a file is sent: the lines-remaining label.
void Downloader::Timer3_Timer() {
  view_.SetLinesRemainingText(std::to_string(state_.LineCount));
}

void Downloader::DownloadFiles(std::int16_t WaitForBootloader) {
  try {
    DownloadRun(state_, port_, clock_, view_).Run(WaitForBootloader);
  } catch (...) {
    // Run reacts to every failure itself; this only keeps the window's handler safe should
    // even that fail.
    try {
      view_.SetControlsIdle();
    } catch (...) {
    }
  }
}

}  // namespace tarnwick
