#include "core/download/download_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace tarnwick {

namespace {

std::filesystem::path PathFromUtf8(const std::string& utf8_path) {
#ifdef _WIN32
  // The narrow-string constructor would read the bytes in the system's code page.
  return std::filesystem::path(std::u8string(utf8_path.begin(), utf8_path.end()));
#else
  // The bytes are the system's own: any path the system can name is opened as it is.
  return std::filesystem::path(utf8_path);
#endif
}

}  // namespace

void DownloadFile::Open(const std::string& utf8_path) {
  Close();
  path_ = utf8_path;
  const auto fail = [&](const std::string& why) {
    return DownloadFileError(utf8_path + " cannot be opened: " + why);
  };
  // A NUL inside the text would silently cut the path short and open another file.
  if (utf8_path.find('\0') != std::string::npos) throw fail("the path holds a NUL character");
  const std::filesystem::path path = PathFromUtf8(utf8_path);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) throw fail(error.message());
  if (!std::filesystem::is_regular_file(status)) throw fail("not a plain file");
  in_.open(path, std::ios::in | std::ios::binary);
  if (!in_.is_open()) throw fail(std::strerror(errno));
}

void DownloadFile::Close() noexcept {
  if (in_.is_open()) in_.close();
  in_.clear();
}

bool DownloadFile::AtEnd() {
  const bool at_end = in_.peek() == std::ifstream::traits_type::eof();
  ThrowIfBroken();
  return at_end;
}

std::string DownloadFile::ReadLine() {
  std::string line;
  std::getline(in_, line);
  ThrowIfBroken();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void DownloadFile::SkipLine() {
  in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  ThrowIfBroken();
}

void DownloadFile::Rewind() {
  in_.clear();
  in_.seekg(0);
  ThrowIfBroken();
}

void DownloadFile::ThrowIfBroken() {
  const auto fail = [this] { return DownloadFileError(path_ + " cannot be read"); };
  if (!in_.is_open() || in_.bad()) throw fail();
  // Reading up to the end sets eof (and fail when nothing was left); that is no fault.
  if (in_.fail() && !in_.eof()) throw fail();
}

}  // namespace tarnwick
