#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/settings/download_settings.h"
#include "core/settings/protocol_settings.h"

namespace tarnwick {

// Thrown when a protocol setting holds a character that has no single byte on the line.
class UnsendableCharacter : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bytes that a protocol setting stands for on the line. Settings are UTF-8 text, while
// the bootloader knows one 8-bit character per byte: U+0000 to U+00FF each become that byte.
// Anything else (a character beyond U+00FF, or text that is not UTF-8) throws rather than go
// out as some other byte.
std::string LineBytes(std::string_view utf8);

// The first of the ten protocol settings, in the window's order, that cannot go to the line;
// nullptr when all ten can.
const ProtocolSetting* FirstUnsendableSetting(const DownloadSettings& settings);

}  // namespace tarnwick
