#pragma once

namespace tarnwick::cli {

// Ctrl+C (SIGINT) and SIGTERM ask the running download to stop, once: the first one is
// enough, and the download then ends as Cancel ends it in the window.
void CatchStopSignals();
bool StopSignalled();

}  // namespace tarnwick::cli
