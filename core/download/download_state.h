#pragma once

#include <cstdint>

namespace tarnwick {

// The form-level download variables: they belong to the main window, live as long as it
// does, and keep their values between downloads.
struct DownloadState {
  std::int16_t LineCount = 0;
  std::int16_t TotalLines = 0;
  bool CancelRequested = false;
  std::int16_t TickCount = 0;
  std::int16_t FileStage = 0;  // 0 no file, 1 the EEPROM file, 2 the application file
};

}  // namespace tarnwick
