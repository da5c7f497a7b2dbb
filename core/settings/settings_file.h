#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <ostream>

#include "core/settings/download_settings.h"
#include "core/settings/field_reader.h"

namespace tarnwick {

// The most bytes that the sixteen lines of a written settings file can take: every value at
// the reader's limit and made of double quotes (each written doubled), with its own two quotes
// and its line end. A longer file cannot be one that these routines wrote.
inline constexpr std::size_t kMaxSettingsFileBytes = 16 * (2 * FieldReader::kMaxFieldBytes + 4);

// Writes the sixteen lines of a settings file, CRLF after each; with the defaults this is
// exactly 72 bytes. A double quote inside a text value is written doubled.
void WriteSettings(std::ostream& out, const DownloadSettings& settings);

// Reads the sixteen fields of a settings file. Any failure (no data left, a value out of
// range, a check state that is not a number) gives std::nullopt; the caller decides what
// follows. Nothing after the sixteenth field is read.
std::optional<DownloadSettings> ReadSettings(std::istream& in);

}  // namespace tarnwick
