#include "core/download/line_fault.h"

namespace tarnwick {

std::string LineFaultStatement(LineFault fault, std::int64_t line) {
  const std::string n = std::to_string(line);
  switch (fault) {
    case LineFault::kChecksum:
      return "Checksum error at line " + n + ".";
    case LineFault::kFlashWrite:
      // "flash" for the EEPROM file too: the bootloader reports a page it could not write.
      return "Error writing to flash at line " + n + ".";
    case LineFault::kNoResponse:
      break;
  }
  return "Did not receive a response after sending line " + n + ".";
}

std::string LineFaultQuestion(LineFault fault, std::int64_t line) {
  return LineFaultStatement(fault, line) + " Continue with download?";
}

}  // namespace tarnwick
