#pragma once

#include <array>
#include <string>

#include "core/settings/download_settings.h"

namespace tarnwick::cli {

// A protocol setting of the window as a download option: its name and the setting it sets.
struct ProtocolOption {
  const char* name;
  std::string DownloadSettings::*field;
};

// One option for each protocol setting of the window, in the window's order.
inline const std::array<ProtocolOption, 10> kProtocolOptions = {{
    {"--jump-command", &DownloadSettings::JumpCommand},
    {"--active-char", &DownloadSettings::ActiveCharacter},
    {"--start-sequence", &DownloadSettings::StartSequence},
    {"--ready-char", &DownloadSettings::ReadyCharacter},
    {"--eeprom-command", &DownloadSettings::EepromWriteCommand},
    {"--line-ok", &DownloadSettings::LineCompleteCharacter},
    {"--page-error", &DownloadSettings::PageErrorCharacter},
    {"--checksum-error", &DownloadSettings::ChecksumErrorCharacter},
    {"--file-errors", &DownloadSettings::FileErrorsCharacter},
    {"--file-ok", &DownloadSettings::FileOkCharacter},
}};

}  // namespace tarnwick::cli
