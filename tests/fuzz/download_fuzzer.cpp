// The whole download routine against a target, a user and a machine that the fuzz input
// plays: every run must end in one of the known endings, with nothing left open or busy.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzzed_download.h"

namespace {

// One folder for the download files of every run, removed when the fuzzer ends.
const std::filesystem::path& FilesFolder() {
  static const std::filesystem::path folder = [] {
    std::string name = (std::filesystem::temp_directory_path() / "tarnwick-fuzz-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) std::abort();
    return std::filesystem::path(name);
  }();
  static const struct Remover {
    ~Remover() { std::filesystem::remove_all(folder); }
  } remover;
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  tarnwick::fuzzing::FuzzedDownload(input, FilesFolder()).RunAndCheck();
  return 0;
}
