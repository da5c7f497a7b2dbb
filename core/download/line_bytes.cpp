#include "core/download/line_bytes.h"

#include <array>

namespace tarnwick {

namespace {

// The code point of the UTF-8 sequence at text[i], or nothing when none starts there (a
// stray continuation byte, a cut sequence, an overlong form). Moves i past the sequence.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  int length = 0;
  char32_t code = 0;
  if (lead < 0x80) {
    length = 1;
    code = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (i + length > text.size()) return std::nullopt;
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  static constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length]) return std::nullopt;
  i += length;
  return code;
}

}  // namespace

std::string LineBytes(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<char32_t> code = NextCodePoint(utf8, i);
    if (!code || *code > 0xFF) {
      throw UnsendableCharacter("a protocol character cannot be sent as one byte");
    }
    bytes += static_cast<char>(*code);
  }
  return bytes;
}

const ProtocolSetting* FirstUnsendableSetting(const DownloadSettings& settings) {
  for (const ProtocolSetting& setting : kProtocolSettings) {
    try {
      LineBytes(settings.*setting.field);
    } catch (const UnsendableCharacter&) {
      return &setting;
    }
  }
  return nullptr;
}

}  // namespace tarnwick
