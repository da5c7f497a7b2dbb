#pragma once

#include <string_view>

namespace tarnwick {

// The leading number of the text that follows the "V" of the bootloader's ready answer.
// Blanks, tabs and line feeds are skipped wherever they stand; then come an optional sign,
// digits with at most one "." (whatever the locale), and an optional exponent written with
// E or D. Reading stops at the first character that does not fit; text that starts with no
// number gives 0. The value is rounded to single precision; one that single precision cannot
// hold (too large) gives 0 too, so a garbled answer never yields an infinite version.
float ReadVersionNumber(std::string_view text);

// True when no text added to the end of `text` could change the number read from it: the
// reading stopped at a character of the text that cannot continue the number. A version that
// arrives in pieces is complete only then.
bool VersionNumberComplete(std::string_view text);

// The characters of `text` that ReadVersionNumber reads as the number, as they were sent:
// from its first to its last character ("1.30" of "1.30\r\n"); empty when it starts with no
// number. Shown beside the value, which would print 1.30 as 1.3.
std::string_view VersionNumberText(std::string_view text);

}  // namespace tarnwick
