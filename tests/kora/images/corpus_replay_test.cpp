// Replays every committed fuzz seed and crash reproducer through both readers' fuzz entry
// points, in the normal and the sanitizer build: a reader fault found once stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image_fuzz_entry.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> filesIn(const std::string& sub) {
  std::vector<fs::path> files;
  const fs::path dir = fs::path(KORA_FUZZ_DIR) / sub;
  if (!fs::exists(dir)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.' &&
        entry.path().filename() != "README")
      files.push_back(entry.path());
  return files;
}

std::vector<std::uint8_t> contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

void replay(const std::vector<fs::path>& files) {
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::vector<std::uint8_t> bytes = contents(file);
    korafuzz::decodeBmp(bytes.data(), bytes.size());
    korafuzz::decodePcx(bytes.data(), bytes.size());
  }
}

TEST(FuzzCorpusReplay, SeedCorpusHasEveryKindOfFile) {
  EXPECT_GE(filesIn("corpus/bmp").size(), 3u);  // 24-bit, 8-bit raw, RLE8
  EXPECT_GE(filesIn("corpus/pcx").size(), 2u);  // palette, three planes
}

TEST(FuzzCorpusReplay, SeedsDecodeThroughBothReaders) {
  for (const char* kind : {"bmp", "pcx"}) {
    for (const fs::path& file : filesIn(std::string("corpus/") + kind)) {
      const std::vector<std::uint8_t> bytes = contents(file);
      const int decoded = kind[0] == 'b' ? korafuzz::decodeBmp(bytes.data(), bytes.size())
                                         : korafuzz::decodePcx(bytes.data(), bytes.size());
      EXPECT_EQ(decoded, 1) << file << " is a valid " << kind << " file and must load";
    }
  }
  replay(filesIn("corpus"));  // and each through the other reader too
  // Any crash reproducer kept in fuzz/crashes/ must decode without a fault (the sanitizer
  // build reports one as a failure); none is there while the readers have none.
  replay(filesIn("crashes"));
}

}  // namespace
