#pragma once

namespace tarnwick {

// How a download ended, for a caller that must act on it (the command line's exit code).
// The window needs none of this: the message it was shown says it all.
enum class DownloadResult {
  kSuccess,                // every file's verdict was file-OK
  kFileErrors,             // the target reported errors in a file
  kNoResponseAtEndOfFile,  // no file verdict came
  kNoBootloaderResponse,   // no ready character came
  kEepromRefused,          // the bootloader's version cannot write EEPROM
  kNothingTicked,          // "Check box to download code."
  kFileNotChosen,          // a ticked file has no path
  kUnsendableSetting,      // a protocol setting holds a character without a one-byte code
  kStopped,                // Cancel, or No to a failed line's question
  kPortFailure,            // the port could not be opened or failed while in use
  kFileFailure,            // a download file could not be opened or read, or is too long
  kOtherFailure,           // anything else, such as a window step that failed
};

}  // namespace tarnwick
