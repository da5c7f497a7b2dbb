#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace tarnwick::cli {

// Ctrl+C (SIGINT), SIGTERM and SIGHUP (a closed terminal or ssh session) ask the running
// download to stop, once: the first one is enough, and the download then ends as Cancel ends
// it in the window. The handler only notes the stop and writes a byte to a pipe whose reading
// end the event loop and the plain waits watch, so every wait wakes at once. A closed output
// (SIGPIPE) stops nothing: the download finishes and its exit code tells how it went.
void CatchStopSignals();
bool StopSignalled();
// The reading end of that pipe: readable once a stop has been signalled; -1 before
// CatchStopSignals or where there is no such pipe.
int StopSignalDescriptor();
// Calls `onStop` from the event loop when a stop has been signalled.
std::unique_ptr<QSocketNotifier> WatchStopSignals(std::function<void()> onStop);

}  // namespace tarnwick::cli
