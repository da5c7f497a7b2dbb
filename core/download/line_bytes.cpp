#include "core/download/line_bytes.h"

#include "core/download/utf8.h"

namespace tarnwick {

std::string LineBytes(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<char32_t> code = DecodeUtf8(utf8, i);
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
