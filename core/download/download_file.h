#pragma once

#include <fstream>
#include <stdexcept>
#include <string>

namespace tarnwick {

// Thrown when a download file cannot be opened or read; names the file and why.
class DownloadFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The download file being sent: a text file read one line at a time. A line ends at a line
// feed; a carriage return just before it, or at the very end of the file, is not part of
// the line. Every other byte, NUL included, belongs to the line as it stands.
class DownloadFile {
 public:
  // Opens the file named by a UTF-8 path. Fails for anything but an existing regular file,
  // so that a directory, a pipe or a device is refused at once instead of blocking or
  // streaming without end.
  void Open(const std::string& utf8_path);
  bool IsOpen() const { return in_.is_open(); }
  // Closing a file that is not open does nothing.
  void Close() noexcept;

  // True when no line is left to read.
  bool AtEnd();
  std::string ReadLine();
  void SkipLine();
  // Back to the first line.
  void Rewind();

 private:
  void ThrowIfBroken();

  std::ifstream in_;
  std::string path_;  // as given to Open, for the failure's reason
};

}  // namespace tarnwick
