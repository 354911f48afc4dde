// Writes the decoder's valid sample files into a folder, one file each, as
// the fuzzer's starting corpus.  Usage: karvo_bmp_seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bmp_samples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "cannot create %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  for (const auto& sample : codec::testing::ValidSamples()) {
    const std::filesystem::path path = folder / (sample.name + ".bmp");
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(sample.bytes.data()),
               static_cast<std::streamsize>(sample.bytes.size()));
    file.close();
    if (!file) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
