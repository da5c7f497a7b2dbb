#include "cli/option_values.h"

#include <charconv>
#include <limits>
#include <optional>

#include "core/download/utf8.h"
#include "core/hex/intel_hex.h"

namespace tarnwick::cli {
namespace {

std::optional<long long> WholeNumber(const std::string& text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

}  // namespace

std::int32_t BaudRateOf(const std::string& text) {
  const auto rate = WholeNumber(text);
  if (!rate || *rate <= 0 || *rate > std::numeric_limits<std::int32_t>::max()) {
    throw UsageError("--baud " + text + ": give a positive whole rate, such as 115200");
  }
  return static_cast<std::int32_t>(*rate);
}

int TimeoutOf(const std::string& text) {
  const auto seconds = WholeNumber(text);
  if (!seconds || *seconds < 0 || *seconds > 1'000'000) {
    throw UsageError("--timeout " + text + ": give whole seconds, 0 for no limit");
  }
  return static_cast<int>(*seconds);
}

OnError OnErrorOf(const std::string& text) {
  for (const OnError mode : {OnError::kAsk, OnError::kStop, OnError::kContinue}) {
    if (text == OnErrorName(mode)) return mode;
  }
  throw UsageError("--on-error " + text + ": must be ask, stop or continue");
}

const char* OnErrorName(OnError mode) {
  switch (mode) {
    case OnError::kAsk:
      return "ask";
    case OnError::kStop:
      return "stop";
    case OnError::kContinue:
      break;
  }
  return "continue";
}

// target-sim's own unescaping gives bytes, but settings are UTF-8 text: a typed "é" must stay
// one character, while "\xE9" is the byte E9. Hence this small conversion of its own.
std::string UnescapedCharacters(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto high = i + 3 < text.size() && text[i] == '\\' && text[i + 1] == 'x'
                          ? HexDigitValue(text[i + 2])
                          : std::nullopt;
    const auto low = high ? HexDigitValue(text[i + 3]) : std::nullopt;
    if (!low) {
      out += text[i];
      continue;
    }
    AppendUtf8(out, static_cast<char32_t>(*high * 16 + *low));
    i += 3;
  }
  return out;
}

std::string EscapedCharacters(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || byte < 0x20) {
      constexpr char kDigits[] = "0123456789ABCDEF";
      out += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace tarnwick::cli
