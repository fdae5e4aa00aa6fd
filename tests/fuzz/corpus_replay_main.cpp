// Plays every file in the folders named on the command line (a harness's
// corpus and the inputs that once crashed it) through the harness's entry
// point, without the fuzzer: the fuzzing's findings stay fixed in the
// normal test run. Status 1 when a folder holds no input at all.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  int played = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::is_directory(argv[i])) continue;
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string input(std::istreambuf_iterator<char>(in), {});
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
      ++played;
    }
  }
  std::printf("%d inputs played\n", played);
  return played > 0 ? 0 : 1;
}
