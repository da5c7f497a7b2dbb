#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// Why a download asks whether to go on after a line: the target reported a checksum error or
// a flash write error (its page-error character), or it did not answer.
enum class LineFault { kChecksum, kFlashWrite, kNoResponse };

// What happened to `line` (1-based among the file's non-empty lines), as one sentence: the
// question's first part, and a command line's outcome when the answer was No.
std::string LineFaultStatement(LineFault fault, std::int64_t line);

// The question the window asks: the statement and "Continue with download?".
std::string LineFaultQuestion(LineFault fault, std::int64_t line);

}  // namespace tarnwick
