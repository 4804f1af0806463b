// The main of a harness's replay test: runs LLVMFuzzerTestOneInput over
// every file of the folders named on the command line (its seeds, then its
// crashers), in name order, as libFuzzer would run them one by one. A broken
// rule aborts in the harness, a fault in the sanitizers; either fails the
// test, and the file's name is on the line before. The first folder must
// hold inputs, so that a misnamed seeds folder cannot pass with nothing run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size);
// A harness may set itself up once, as libFuzzer lets it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> InputsOf(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
    if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SEEDS_FOLDER [MORE_FOLDERS...]\n", argv[0]);
    return 2;
  }
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  int run = 0;
  for (int a = 1; a < argc; ++a) {
    const std::vector<fs::path> files = InputsOf(argv[a]);
    if (a == 1 && files.empty()) {
      std::fprintf(stderr, "no inputs in %s\n", argv[a]);
      return 1;
    }
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      if (!in.is_open()) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
      }
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::fprintf(stderr, "%s\n", file.c_str());
      std::fflush(stderr);
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++run;
    }
  }
  std::fprintf(stderr, "%d inputs kept the rules\n", run);
  return 0;
}
