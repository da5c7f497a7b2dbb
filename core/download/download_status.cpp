#include "core/download/download_status.h"

#include <charconv>

namespace tarnwick {

std::string StatusText(const DownloadStatus& status) {
  switch (status.phase) {
    case DownloadPhase::kInitializingPort:
      return "Initializing the com port";
    case DownloadPhase::kRequestingAck:
      return "Requesting Ack from target bootloader.  Try #" + std::to_string(status.attempt);
    case DownloadPhase::kSwitchingToBootloader:
      return "Main code responded.  Switching to bootloader.";
    case DownloadPhase::kWaitingForActiveCharacter:
      return "Waiting for Bootloader Active Character...Reset target...";
    case DownloadPhase::kRequestingReady:
      return "Requesting Bootloader Ready.  Try #" + std::to_string(status.attempt);
    case DownloadPhase::kOpeningFile:
      return "Opening the file " + status.path + ".";
    case DownloadPhase::kSendingFile:
      break;
  }
  return status.stage == FileStage::kEeprom ? "Sending EEPROM File - lines remaining "
                                            : "Sending FLASH File - lines remaining ";
}

std::string VersionCaption(const std::string& number) {
  return "BootLoader Version: " + number;
}

std::string ShortestVersionText(float version) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, version);
  return std::string(buffer, result.ptr);
}

}  // namespace tarnwick
