#pragma once

#include <array>
#include <string>

#include "core/settings/download_settings.h"

namespace tarnwick {

// One of the ten characters and commands of the exchange with the bootloader, each a user
// setting: where it is kept, the name the window gives it (its frame's caption, as messages
// quote it) and the command line's option for it. Their defaults are DownloadSettings'.
struct ProtocolSetting {
  std::string DownloadSettings::*field;
  const char* label;
  const char* option;
};

// The ten, in the order the window shows them: the one list that the one-byte check, the
// command line's options and help, and the tests read.
inline constexpr std::array<ProtocolSetting, 10> kProtocolSettings = {{
    {&DownloadSettings::JumpCommand, "Jump to Bootloader Command", "--jump-command"},
    {&DownloadSettings::ActiveCharacter, "Bootloader Active Character", "--active-char"},
    {&DownloadSettings::StartSequence, "Start Download Sequence", "--start-sequence"},
    {&DownloadSettings::ReadyCharacter, "Bootloader Ready", "--ready-char"},
    {&DownloadSettings::EepromWriteCommand, "EEPROM Write", "--eeprom-command"},
    {&DownloadSettings::LineCompleteCharacter, "Line Complete Character", "--line-ok"},
    {&DownloadSettings::PageErrorCharacter, "Page Error Character", "--page-error"},
    {&DownloadSettings::ChecksumErrorCharacter, "Checksum Error Character", "--checksum-error"},
    {&DownloadSettings::FileErrorsCharacter, "File Complete with Errors Character",
     "--file-errors"},
    {&DownloadSettings::FileOkCharacter, "File Complete, No Errors Character", "--file-ok"},
}};

}  // namespace tarnwick
