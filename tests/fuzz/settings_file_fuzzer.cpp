// Any bytes given as a settings file: the reader either yields sixteen values that the window
// can hold or reports a failure, and whatever it yields survives a save and a load unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings/download_settings.h"
#include "core/settings/field_reader.h"
#include "core/settings/protocol_settings.h"
#include "core/settings/settings_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using tarnwick::DownloadSettings;

std::optional<DownloadSettings> Read(const std::string& bytes) {
  std::istringstream in(bytes);
  return tarnwick::ReadSettings(in);
}

std::string Written(const DownloadSettings& settings) {
  std::ostringstream out;
  tarnwick::WriteSettings(out, settings);
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<DownloadSettings> settings = Read(bytes);
  if (!settings) return 0;
  // Every value is one the window can hold; a text value never holds a line end, which the
  // file could not store.
  const DownloadSettings& s = *settings;
  FUZZ_CHECK(s.PortIndex >= -1 && s.PortIndex <= 7, "PortIndex %d", s.PortIndex);
  FUZZ_CHECK(s.BaudIndex >= -1 && s.BaudIndex <= 9, "BaudIndex %d", s.BaudIndex);
  FUZZ_CHECK(s.EepromSelected >= 0 && s.EepromSelected <= 2, "EepromSelected %d", s.EepromSelected);
  FUZZ_CHECK(s.FlashSelected >= 0 && s.FlashSelected <= 2, "FlashSelected %d", s.FlashSelected);
  std::vector<const std::string*> texts = {&s.FlashFile, &s.EepromFile};
  for (const tarnwick::ProtocolSetting& setting : tarnwick::kProtocolSettings) {
    texts.push_back(&(s.*setting.field));
  }
  for (const std::string* text : texts) {
    FUZZ_CHECK(text->find_first_of("\r\n") == std::string::npos &&
                   text->size() <= tarnwick::FieldReader::kMaxFieldBytes,
               "a text value of %zu bytes holds a line end or is too long", text->size());
  }

  const std::string saved = Written(*settings);
  const std::optional<DownloadSettings> loaded = Read(saved);
  FUZZ_CHECK(loaded.has_value(), "a saved file does not load:\n%s", saved.c_str());
  FUZZ_CHECK(*loaded == *settings, "a save and a load changed a value:\n%s", saved.c_str());
  FUZZ_CHECK(Written(*loaded) == saved, "saving the loaded values wrote other bytes");

  // Nothing after the sixteenth line is read, whatever follows it.
  const std::optional<DownloadSettings> with_tail = Read(saved + bytes);
  FUZZ_CHECK(with_tail.has_value() && *with_tail == *settings,
             "data after the sixteenth line changed what was read");
  return 0;
}
