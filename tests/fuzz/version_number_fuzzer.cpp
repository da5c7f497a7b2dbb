// Any text after the "V" of a ready answer: the version read from it is a finite number (0 when
// the text starts with none), and it depends only on the characters that form the number.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/download/version_number.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Blanks, tabs and line feeds are skipped wherever they stand, so spreading them through the
// text cannot change the number.
std::string SpreadBlanks(std::string_view text) {
  static constexpr char kSkipped[] = {' ', '\t', '\n'};
  std::string spread;
  for (std::size_t i = 0; i < text.size(); ++i) {
    spread += kSkipped[i % 3];
    spread += text[i];
  }
  return spread;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const float version = tarnwick::ReadVersionNumber(text);
  FUZZ_CHECK(std::isfinite(version), "version %g", static_cast<double>(version));

  if (text.find_first_of("0123456789") == std::string_view::npos) {
    FUZZ_CHECK(version == 0.0f, "a number without digits: %g", static_cast<double>(version));
  }
  // -0 and 0 are the same version. Reading stops at the first character that cannot continue a
  // number.
  const float followed = tarnwick::ReadVersionNumber(std::string(text) + "x");
  FUZZ_CHECK(followed == version, "%g became %g after a trailing letter",
             static_cast<double>(version), static_cast<double>(followed));
  const float spread = tarnwick::ReadVersionNumber(SpreadBlanks(text));
  FUZZ_CHECK(spread == version, "%g became %g with blanks spread through it",
             static_cast<double>(version), static_cast<double>(spread));
  return 0;
}
