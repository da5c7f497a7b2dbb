#include "core/settings/settings_loader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/settings/settings_file.h"

namespace tarnwick {
namespace {

LoadedSettings NotLoaded(std::string why) {
  return {std::nullopt, std::move(why)};
}

std::string TooLarge() {
  return "larger than the " + std::to_string(kMaxSettingsFileBytes) +
         " bytes that sixteen values can take";
}

}  // namespace

LoadedSettings LoadSettingsFromFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return NotLoaded("not a plain file");
  }
  const auto size = std::filesystem::file_size(path, error);
  if (!error && size > kMaxSettingsFileBytes) return NotLoaded(TooLarge());
  std::ifstream file(path, std::ios::binary);
  if (!file) return NotLoaded(std::strerror(errno));
  // Read in pieces up to one byte more than allowed, which tells a file that has grown since
  // it was measured.
  std::string bytes;
  char chunk[1 << 16];
  while (bytes.size() <= kMaxSettingsFileBytes && file.read(chunk, sizeof chunk).gcount() > 0) {
    bytes.append(chunk, static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) return NotLoaded(std::strerror(errno));
  if (bytes.size() > kMaxSettingsFileBytes) return NotLoaded(TooLarge());
  std::istringstream in(std::move(bytes));
  auto settings = ReadSettings(in);
  if (!settings) return NotLoaded("it does not hold sixteen valid values");
  return {std::move(settings), {}};
}

}  // namespace tarnwick
