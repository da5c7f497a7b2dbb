#pragma once

namespace tarnwick {

// Which part of a download is running, and so which message and which closing steps follow
// when one of its operations fails. DownloadRun::ReactToFailure is the one place that maps
// a scope to its reaction.
enum class FailureScope {
  kPortSetUp,    // from the selection check to the opening of the port
  kRunning,      // from the open port to the end, outside the two scopes below
  kFileOpening,  // from "Opening the file " to the file being open
  kClosing,      // the cleanup, once the download file is closed
};

}  // namespace tarnwick
