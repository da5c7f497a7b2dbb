#pragma once

#include <cstdint>

namespace tarnwick {

// Which file a download is at: none yet, the EEPROM file, or the application (flash) file.
enum class FileStage { kNone, kEeprom, kApplication };

// The engine's own variables that outlive one download: they live as long as the engine
// (and so the window) does and keep their values between downloads. Only the engine writes
// them; the window reads them, for example to show the lines remaining.
struct DownloadState {
  std::int16_t LineCount = 0;
  std::int16_t TotalLines = 0;
  bool CancelRequested = false;
  std::int16_t TickCount = 0;
  FileStage Stage = FileStage::kNone;
};

}  // namespace tarnwick
