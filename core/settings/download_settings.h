#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// The sixteen user settings of a download, with their defaults. The window's controls are
// their store; this value is what the controls held at the moment it was read.
struct DownloadSettings {
  std::int16_t PortIndex = 0;  // "Com 1"
  std::int16_t BaudIndex = 5;  // 19200 baud
  std::string FlashFile;
  std::string StartSequence = "@&$";
  std::string ReadyCharacter = "?";
  std::string JumpCommand = "$";
  std::string ActiveCharacter = "^";
  std::string LineCompleteCharacter = "~";
  std::string PageErrorCharacter = "%";
  std::string FileErrorsCharacter = "#";
  std::string FileOkCharacter = "@";
  std::string ChecksumErrorCharacter = "-";
  std::string EepromFile;
  std::string EepromWriteCommand = "*";
  std::int16_t EepromSelected = 0;  // check state: 0 unticked, 1 ticked, 2 greyed
  std::int16_t FlashSelected = 1;

  bool operator==(const DownloadSettings&) const = default;
};

}  // namespace tarnwick
