#include "core/download/download_ending.h"

namespace tarnwick {
namespace {

std::string MessageText(EndingMessage message, const std::string& subject) {
  switch (message) {
    case EndingMessage::kSelectApplicationFile:
      return "Select Application file to download.";
    case EndingMessage::kSelectEepromFile:
      return "Select EEPROM file to download.";
    case EndingMessage::kUnsendableSetting:
      return "The " + subject + " setting holds a character that cannot be sent as one byte.";
    case EndingMessage::kNoBootloaderResponse:
      return "No response from target bootloader.";
    case EndingMessage::kEepromNotSupported:
      return "Embedded Bootloader Version does not support EEPROM write.";
    case EndingMessage::kNothingTicked:
      return "Check box to download code.";
    case EndingMessage::kApplicationDownloaded:
      return "Flash File successfully downloaded.";
    case EndingMessage::kEepromDownloaded:
      return "EEPROM File successfully downloaded.";
    case EndingMessage::kBothDownloaded:
      return "Flash & EEPROM Files successfully downloaded.";
    case EndingMessage::kFileErrors:
      return "Error encountered while downloading file.";
    case EndingMessage::kNoResponseAtEndOfFile:
      return "Error encountered while downloading file.  No response from bootloader at end of "
             "file.";
    case EndingMessage::kPortFailure:
      return "Error encountered while accessing the com port.";
    case EndingMessage::kDownloadFailure:
      break;
    case EndingMessage::kFileOpenFailure:
      return "Error opening " + subject + ".";
    case EndingMessage::kPortCloseFailure:
      return "Error encountered while closing the com port.";
  }
  return "Error encountered while downloading the firmware file.";
}

}  // namespace

std::string EndingText(const DownloadEnding& ending) {
  const std::string text = MessageText(ending.message, ending.subject);
  // The application file's result follows in the words of a download of that file alone.
  return ending.eepromFailed ? "Error encountered while downloading the EEPROM file. " + text
                             : text;
}

MessageIcon EndingIcon(const DownloadEnding& ending) {
  switch (ending.message) {
    case EndingMessage::kPortFailure:
    case EndingMessage::kDownloadFailure:
    case EndingMessage::kFileOpenFailure:
    case EndingMessage::kPortCloseFailure:
      return MessageIcon::Exclamation;
    default:
      return MessageIcon::None;
  }
}

}  // namespace tarnwick
