#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "core/download/download_state.h"

namespace tarnwick {

// What a download is doing, as it enters each of its phases.
enum class DownloadPhase {
  kInitializingPort,
  kRequestingAck,              // jump mode: asks the running application to switch over
  kSwitchingToBootloader,      // the application answered with the active character
  kWaitingForActiveCharacter,  // wait mode: the user resets the target
  kRequestingReady,            // wait mode: asks the bootloader whether it is ready
  kOpeningFile,
  kSendingFile,
};

struct DownloadStatus {
  DownloadPhase phase = DownloadPhase::kInitializingPort;
  int attempt = 0;                     // a request's try, from 1
  std::string path;                    // the file being opened
  FileStage stage = FileStage::kNone;  // the file being sent
  std::int64_t remaining = 0;          // its lines less one, as the count starts

  static DownloadStatus Of(DownloadPhase phase) {
    DownloadStatus status;
    status.phase = phase;
    return status;
  }
  static DownloadStatus Request(DownloadPhase phase, int attempt) {
    DownloadStatus status = Of(phase);
    status.attempt = attempt;
    return status;
  }
  static DownloadStatus Opening(std::string path) {
    DownloadStatus status = Of(DownloadPhase::kOpeningFile);
    status.path = std::move(path);
    return status;
  }
  static DownloadStatus Sending(FileStage stage, std::int64_t remaining) {
    DownloadStatus status = Of(DownloadPhase::kSendingFile);
    status.stage = stage;
    status.remaining = remaining;
    return status;
  }
};

// The status line's text for a phase, character for character as the window shows it; the
// command line prints the same. A file being sent ends in "lines remaining " and the count
// stands beside it.
std::string StatusText(const DownloadStatus& status);

// The bootloader version's caption around the number's text ("" before one is known).
std::string VersionCaption(const std::string& number);

// The shortest text that reads back as the same single-precision value: 1.3, 1.41.
std::string ShortestVersionText(float version);

}  // namespace tarnwick
