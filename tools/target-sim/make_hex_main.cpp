// make-hex: writes a small valid Intel HEX file for demos, benchmarks and tests.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "tools/target-sim/hex_records.h"

namespace {

constexpr const char* kUsage =
    "Usage: make-hex --records N --out FILE [--eeprom]\n"
    "Writes N data records of 16 bytes from address 0 and the end-of-file record, with CRLF\n"
    "line ends. --eeprom fills the records with a different pattern, for an EEPROM image.\n";

// Distinguishes the EEPROM image's data from the application image's.
constexpr std::uint8_t kEepromPattern = 0xA5;

int Refuse(const std::string& why) {
  std::fprintf(stderr, "make-hex: %s\n%s", why.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int records = -1;
  std::string out;
  bool eeprom = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--eeprom") {
      eeprom = true;
    } else if (arg == "--records" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), records);
      if (ec != std::errc{} || end != value.data() + value.size() || records < 0) {
        return Refuse("--records expects a whole number from 0");
      }
    } else if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else {
      return Refuse("unexpected argument " + std::string(arg));
    }
  }
  if (records < 0 || out.empty()) return Refuse("--records and --out are required");

  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  const auto lines =
      tarnwick::sim::MakeHexRecords(records, 16, 0, eeprom ? kEepromPattern : std::uint8_t{0});
  for (const auto& line : lines) file << line << "\r\n";
  file.close();
  if (!file) {
    std::perror(("make-hex: " + out).c_str());
    return 1;
  }
  return 0;
}
