#include "tools/target-sim/sim_log.h"

#include <fstream>

#include "tools/target-sim/hex_records.h"

namespace tarnwick::sim {

std::string EscapeBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte <= 0x7E && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0x0F];
    }
  }
  return out;
}

std::string UnescapeBytes(std::string_view escaped) {
  std::string out;
  out.reserve(escaped.size());
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] == '\\' && i + 3 < escaped.size() && escaped[i + 1] == 'x') {
      const auto high = HexDigitValue(escaped[i + 2]);
      const auto low = HexDigitValue(escaped[i + 3]);
      if (high && low) {
        out += static_cast<char>((*high << 4) | *low);
        i += 3;
        continue;
      }
    }
    out += escaped[i];
  }
  return out;
}

std::string ReceivedBytesFromLog(std::istream& log) {
  std::string received;
  std::string line;
  while (std::getline(log, line)) {
    // "<time> RX <bytes>"; the bytes may be empty or start with a blank.
    const auto kind = line.find(' ');
    if (kind == std::string::npos || line.compare(kind, 4, " RX ") != 0) continue;
    received += UnescapeBytes(std::string_view(line).substr(kind + 4));
  }
  return received;
}

std::string ReadReceivedBytes(const std::string& logPath) {
  std::ifstream log(logPath, std::ios::binary);
  return ReceivedBytesFromLog(log);
}

SimLog::SimLog(const std::string& path) : wanted_(!path.empty()) {
  if (wanted_) file_ = std::fopen(path.c_str(), "w");
}

SimLog::~SimLog() {
  if (file_) std::fclose(file_);
}

void SimLog::Write(const char* kind, const std::string& text) {
  if (!file_) return;
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start_);
  std::fprintf(file_, "%lld %s %s\n", static_cast<long long>(micros.count()), kind, text.c_str());
  std::fflush(file_);
}

}  // namespace tarnwick::sim
