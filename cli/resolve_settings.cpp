#include <filesystem>

#include "cli/command_line.h"
#include "cli/input_files.h"
#include "core/download/line_bytes.h"
#include "core/download/serial_link.h"
#include "core/settings/protocol_settings.h"
#include "core/settings/settings_loader.h"

namespace tarnwick::cli {
namespace {

DownloadSettings ReadSettingsFile(const std::string& path) {
  if (const auto problem = FileProblem(path))
    throw UsageError("--settings " + path + ": " + *problem);
  LoadedSettings loaded = LoadSettingsFromFile(std::filesystem::path(path));
  if (!loaded.settings) throw UsageError("--settings " + path + ": " + loaded.failure);
  return *loaded.settings;
}

// The window's rate that stands for an explicit one in the settings: the rate itself when it is
// listed, else the fastest listed rate below it, so that the engine's quiet gap, which it
// reckons from this rate, is never shorter than the real line's.
std::int16_t NearestListedRate(std::int32_t rate) {
  std::int16_t index = 0;
  for (std::int16_t i = 0; const auto listed = BaudRateForIndex(i); ++i) {
    if (*listed <= rate) index = i;
  }
  return index;
}

}  // namespace

DownloadSettings ResolveSettings(const DownloadOptions& options) {
  DownloadSettings settings =
      options.settingsFile ? ReadSettingsFile(*options.settingsFile) : DownloadSettings{};
  if (options.baudRate) settings.BaudIndex = NearestListedRate(*options.baudRate);
  for (const auto& [field, text] : options.protocol) settings.*field = text;
  if (const ProtocolSetting* const unsendable = FirstUnsendableSetting(settings)) {
    throw UsageError(std::string(unsendable->option) + " \"" + settings.*unsendable->field +
                     "\": holds a character that cannot be sent as one byte");
  }
  settings.FlashSelected = options.flash ? 1 : 0;
  settings.FlashFile = options.flash.value_or(std::string());
  settings.EepromSelected = options.eeprom ? 1 : 0;
  settings.EepromFile = options.eeprom.value_or(std::string());
  return settings;
}

}  // namespace tarnwick::cli
