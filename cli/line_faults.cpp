#include "cli/line_faults.h"

namespace tarnwick::cli {

std::string ReasonOf(LineFault fault) {
  switch (fault) {
    case LineFault::kChecksum:
      return "checksum error";
    case LineFault::kFlashWrite:
      return "flash write error";
    case LineFault::kNoResponse:
      break;
  }
  return "no response";
}

}  // namespace tarnwick::cli
