// Runs a fuzz target once on every file of the seed folders it is given, so the seeds are
// ordinary test cases in any build, without libFuzzer. A broken check aborts the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& seed : std::filesystem::directory_iterator(argv[i])) {
      std::ifstream in(seed.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d seeds replayed\n", replayed);
  return replayed > 0 ? 0 : 1;  // no seed at all is a wrong folder, not a pass
}
