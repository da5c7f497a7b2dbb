// Runs a fuzz target once over every file it is given, or every file in the folders it is
// given, in name order: the seed corpora become ordinary test cases in any build, with any
// compiler, without libFuzzer. A broken check aborts, which fails the run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& argument) {
  if (!std::filesystem::is_directory(argument)) return {argument};
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argument)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& path : InputsOf(argv[i])) {
      std::ifstream in(path, std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return 1;
      }
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  // No input at all means a wrong path, not a pass.
  return replayed > 0 ? 0 : 1;
}
