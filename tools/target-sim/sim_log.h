#pragma once

#include <chrono>
#include <cstdio>
#include <istream>
#include <string>
#include <string_view>

namespace tarnwick::sim {

// The simulator's log is line-oriented text, one event per line, flushed as it is written so a
// test can read it the moment a download ends:
//
//   <microseconds since start> RX <bytes>   a read from the host, as it arrived
//   <microseconds since start> TX <bytes>   bytes written to the host
//   <microseconds since start> EV <text>    what the target made of it (jump, record, verdict)
//
// Bytes are escaped: printable ASCII stands as itself, every other byte and the backslash as
// \xHH (two upper-case hex digits). A line thus never holds a raw line end.

std::string EscapeBytes(std::string_view bytes);
std::string UnescapeBytes(std::string_view escaped);

// Everything the simulator received, concatenated in order: the RX lines of a log, unescaped.
std::string ReceivedBytesFromLog(std::istream& log);
// The same for a log file; empty when it cannot be read.
std::string ReadReceivedBytes(const std::string& logPath);

class SimLog {
 public:
  // An empty path logs nothing.
  explicit SimLog(const std::string& path);
  ~SimLog();
  SimLog(const SimLog&) = delete;
  SimLog& operator=(const SimLog&) = delete;

  bool ok() const { return file_ != nullptr || !wanted_; }

  void Received(std::string_view bytes) { Write("RX", EscapeBytes(bytes)); }
  void Sent(std::string_view bytes) { Write("TX", EscapeBytes(bytes)); }
  void Event(std::string_view text) { Write("EV", EscapeBytes(text)); }

 private:
  void Write(const char* kind, const std::string& text);

  std::FILE* file_ = nullptr;
  bool wanted_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace tarnwick::sim
