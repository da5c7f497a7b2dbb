#include "core/settings/settings_file.h"

#include <array>
#include <string>
#include <utility>
#include <variant>

#include "core/settings/field_reader.h"
#include "core/settings/protocol_settings.h"

namespace tarnwick {
namespace {

// A list index or check state, and the values that a file may give it.
struct NumberLine {
  std::int16_t DownloadSettings::*field;
  std::int16_t min;
  std::int16_t max;
};
using TextLine = std::string DownloadSettings::*;
using FileLine = std::variant<NumberLine, TextLine>;

// The sixteen lines in file order, which is not the order of the controls: the line-complete
// character comes between the checksum-error character and the EEPROM file. The ten protocol
// settings take the lines their table gives them.
//
// All four number lines go through the same conversion (ToWholeNumber): a fraction is rounded
// half to even, text that is not a number fails rather than reading as 0, and a number in
// quotes reads like one without.
// Built on first use, so that no reader or writer can run before it is whole.
const std::array<FileLine, 16>& FileOrder() {
  static const std::array<FileLine, 16> order = [] {
    std::array<FileLine, 16> lines;
    lines[0] = NumberLine{&DownloadSettings::PortIndex, -1, 7};
    lines[1] = NumberLine{&DownloadSettings::BaudIndex, -1, 9};
    lines[2] = &DownloadSettings::FlashFile;
    lines[12] = &DownloadSettings::EepromFile;
    lines[14] = NumberLine{&DownloadSettings::EepromSelected, 0, 2};
    lines[15] = NumberLine{&DownloadSettings::FlashSelected, 0, 2};
    for (const ProtocolSetting& setting : kProtocolSettings) {
      lines[setting.fileLine] = setting.field;
    }
    return lines;
  }();
  return order;
}

// A quote inside the value is doubled so that it reads back as one; every other byte, UTF-8
// included, is written as it is. A line end inside a value cannot be stored: the reader ends the
// value there.
void AppendQuoted(std::string& text, const std::string& value) {
  text += '"';
  for (const char c : value) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

}  // namespace

void WriteSettings(std::ostream& out, const DownloadSettings& settings) {
  std::string text;
  for (const FileLine& line : FileOrder()) {
    if (const auto* number = std::get_if<NumberLine>(&line)) {
      text += std::to_string(settings.*(number->field));
    } else {
      AppendQuoted(text, settings.*std::get<TextLine>(line));
    }
    text += "\r\n";
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::optional<DownloadSettings> ReadSettings(std::istream& in) {
  const std::istream::sentry sentry(in, /*noskipws=*/true);
  if (!sentry || in.rdbuf() == nullptr) return std::nullopt;

  FieldReader reader(*in.rdbuf());
  DownloadSettings settings;
  for (const FileLine& line : FileOrder()) {
    std::optional<std::string> field = reader.Next();
    if (!field) return std::nullopt;
    if (const auto* number = std::get_if<NumberLine>(&line)) {
      const std::optional<std::int16_t> value = ToWholeNumber(*field);
      if (!value || *value < number->min || *value > number->max) return std::nullopt;
      settings.*(number->field) = *value;
    } else {
      settings.*std::get<TextLine>(line) = std::move(*field);
    }
  }
  return settings;
}

}  // namespace tarnwick
