#pragma once

#include <string>

#include "core/download/line_fault.h"

namespace tarnwick::cli {

// A failed line's fault as the JSON and records name it: "checksum error", "flash write
// error" or "no response".
std::string ReasonOf(LineFault fault);

}  // namespace tarnwick::cli
