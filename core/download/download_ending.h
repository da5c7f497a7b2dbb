#pragma once

#include <string>
#include <utility>

#include "core/download/download_result.h"

namespace tarnwick {

enum class MessageIcon { None, Exclamation };

// Each of the messages that end a download.
enum class EndingMessage {
  kSelectApplicationFile,  // the application file is ticked without a path
  kSelectEepromFile,       // the EEPROM file is ticked without a path
  kUnsendableSetting,      // names the setting's label
  kNoBootloaderResponse,
  kEepromNotSupported,  // the bootloader's version cannot write EEPROM
  kNothingTicked,
  kApplicationDownloaded,
  kEepromDownloaded,
  kBothDownloaded,
  kFileErrors,
  kNoResponseAtEndOfFile,
  kPortFailure,      // the port could not be set up or opened
  kDownloadFailure,  // something failed while the files went
  kFileOpenFailure,  // names the file's path
  kPortCloseFailure,
};

// How a download ended, as its view is told: the result a caller acts on, the message and
// what the message names.
struct DownloadEnding {
  DownloadResult result = DownloadResult::kOtherFailure;
  EndingMessage message = EndingMessage::kDownloadFailure;
  std::string subject;        // the path or setting label that the message names
  bool eepromFailed = false;  // the EEPROM file of a two-file download ended with errors

  static DownloadEnding Of(DownloadResult result, EndingMessage message, std::string subject = {}) {
    DownloadEnding ending;
    ending.result = result;
    ending.message = message;
    ending.subject = std::move(subject);
    return ending;
  }
};

// The message's text, character for character as the window shows it; the command line's
// outcome is the same text.
std::string EndingText(const DownloadEnding& ending);

// Failures of the port or a file carry the exclamation icon; every other ending none.
MessageIcon EndingIcon(const DownloadEnding& ending);

}  // namespace tarnwick
