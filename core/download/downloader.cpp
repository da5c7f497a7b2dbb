#include "core/download/downloader.h"

#include "core/download/download_run.h"

namespace tarnwick {

void Downloader::Cancel() {
  state_.CancelRequested = true;
  // Once per download: the next download's busy state enables it again.
  view_.DisableCancelButton();
}

void Downloader::OnTick() {
  if (state_.TickCount < 5) ++state_.TickCount;
}

DownloadResult Downloader::Start(Mode mode) {
  try {
    return DownloadRun(state_, port_, clock_, view_).Run(mode);
  } catch (...) {
    // Run reacts to every failure itself; this only keeps the caller safe should even that
    // fail.
    try {
      view_.SetControlsIdle();
    } catch (...) {
    }
    return DownloadResult::kOtherFailure;
  }
}

}  // namespace tarnwick
