#pragma once

#include <string>

namespace tarnwick::cli {

// Why the engine asks whether to go on after a line: the target reported a checksum error or
// a flash write error, or it did not answer.
enum class LineFault { kChecksum, kFlashWrite, kNoResponse };

// The fault that the engine's question names (its wording is fixed: the window shows it).
LineFault LineFaultOf(const std::string& question);
// "checksum error", "flash write error" or "no response".
std::string ReasonOf(LineFault fault);
// The question's statement without "Continue with download?": what happened, as an outcome.
std::string StatementOf(const std::string& question);

}  // namespace tarnwick::cli
