#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/command_line.h"

namespace tarnwick::cli {

// The values that download options take, read from their text; each throws UsageError with
// the option's name and what it accepts.

// Any whole positive rate: the port, not a list, decides which rates work.
std::int32_t BaudRateOf(const std::string& text);
// Whole seconds from 0 (no limit).
int TimeoutOf(const std::string& text);
OnError OnErrorOf(const std::string& text);
// --on-error's value for a mode: ask, stop or continue.
const char* OnErrorName(OnError mode);

// A protocol setting as typed: \xHH stands for the character U+00HH, which goes to the line as
// that byte (as target-sim takes it), so that any byte can be typed; other text is kept as it
// is. The result is UTF-8, as settings are.
std::string UnescapedCharacters(std::string_view text);
// The text that UnescapedCharacters reads back as `text`: backslashes and control characters
// (which no argument can hold as NUL) written as \xHH, the rest as it is.
std::string EscapedCharacters(std::string_view text);

}  // namespace tarnwick::cli
