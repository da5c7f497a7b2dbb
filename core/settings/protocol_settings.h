#pragma once

#include <array>
#include <string>

#include "core/settings/download_settings.h"

namespace tarnwick {

// One of the ten characters and commands of the exchange with the bootloader, each a user
// setting: where it is kept, the name the window gives it (its frame's caption, as messages
// quote it), the command line's option for it, its line in the settings file (from 0) and the
// number of the window's text box that holds it (Text4). Their defaults are DownloadSettings'.
struct ProtocolSetting {
  std::string DownloadSettings::*field;
  const char* label;
  const char* option;
  int fileLine;
  int textBox;
};

// The ten, in the order the window shows them: the one list that the settings file, the
// window's controls, the one-byte check, the command line's options and help, and the tests
// read.
inline constexpr std::array<ProtocolSetting, 10> kProtocolSettings = {{
    {&DownloadSettings::JumpCommand, "Jump to Bootloader Command", "--jump-command", 5, 4},
    {&DownloadSettings::ActiveCharacter, "Bootloader Active Character", "--active-char", 6, 5},
    {&DownloadSettings::StartSequence, "Start Download Sequence", "--start-sequence", 3, 2},
    {&DownloadSettings::ReadyCharacter, "Bootloader Ready", "--ready-char", 4, 3},
    {&DownloadSettings::EepromWriteCommand, "EEPROM Write", "--eeprom-command", 13, 12},
    {&DownloadSettings::LineCompleteCharacter, "Line Complete Character", "--line-ok", 11, 6},
    {&DownloadSettings::PageErrorCharacter, "Page Error Character", "--page-error", 7, 7},
    {&DownloadSettings::ChecksumErrorCharacter, "Checksum Error Character", "--checksum-error", 10,
     10},
    {&DownloadSettings::FileErrorsCharacter, "File Complete with Errors Character", "--file-errors",
     8, 8},
    {&DownloadSettings::FileOkCharacter, "File Complete, No Errors Character", "--file-ok", 9, 9},
}};

// No two settings share a line of the file or a box of the window.
consteval bool EachInAPlaceOfItsOwn() {
  for (std::size_t i = 0; i < kProtocolSettings.size(); ++i) {
    for (std::size_t j = i + 1; j < kProtocolSettings.size(); ++j) {
      if (kProtocolSettings[i].fileLine == kProtocolSettings[j].fileLine ||
          kProtocolSettings[i].textBox == kProtocolSettings[j].textBox) {
        return false;
      }
    }
  }
  return true;
}
static_assert(EachInAPlaceOfItsOwn());

}  // namespace tarnwick
