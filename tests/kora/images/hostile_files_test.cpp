// Hostile picture files: headers that claim far more than the file holds, and names that lead
// to endless files. Each must fail at once, with one line, without a large allocation.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include <csignal>
#include <sys/stat.h>

#include "KR_ImageLimits.h"
#include "image_files.h"
#include "stderr_capture.h"

using KORA::KR_Image;
using KORA::KR_RGBA;
using namespace imgtest;

namespace {

// A field of /proc/self/status in kB (VmRSS: resident now, VmHWM: the peak since the last
// reset); -1 when it cannot be read.
long readProcStatus(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return -1;
}
// Resets the peak resident memory (VmHWM); false where the system does not allow it.
bool resetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.close();
  return bool(clear);
}

class HostileFiles : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string err;

  bool load(KR_Image& image, const std::string& path) {
    koratest::StderrCapture capture;
    const bool ok = image.loadImage(path);
    err = capture.stop();
    return ok;
  }
  void TearDown() override { KORA::setImagePixelLimit(KR_Image::MAX_PIXELS); }
};

bool oneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

// ---- headers that claim more than the file holds ----------------------------------------------

TEST_F(HostileFiles, TinyBmpClaimingAHugePictureFailsWithoutAllocatingIt) {
  // 154 bytes claiming 16384 x 16384 true-colour pixels: the reader used to allocate and fill
  // a 1 GiB raster before it found that the pixel data was missing.
  Bytes file = bmpHeader(16384, 16384, 24, 0);
  file.resize(154, 0x5A);
  const std::string path = dir.write("claims.bmp", file);
  KR_Image image(1, 1);
  if (!resetPeakMemory()) GTEST_SKIP() << "/proc/self/clear_refs cannot reset the peak";
  const long before = readProcStatus("VmRSS:");
  EXPECT_FALSE(load(image, path));
  const long peak = readProcStatus("VmHWM:");
  ASSERT_GT(before, 0);
  EXPECT_LT(peak - before, 64 * 1024) << "kB more at the peak than before the load";
  EXPECT_EQ(err, "KR_Image::loadBMP: File is shorter than its pixel data\n");
  EXPECT_EQ(image.rows, 1);  // the old picture stays
  EXPECT_EQ(image.columns, 1);
}

TEST_F(HostileFiles, EightBitRawBmpShortOfItsDataFailsBeforeAllocating) {
  Bytes file = join(bmpHeader(8192, 8192, 8, 0), bmpPalette());
  file.resize(file.size() + 100, 1);
  const std::string path = dir.write("claims8.bmp", file);
  KR_Image image(1, 1);
  if (!resetPeakMemory()) GTEST_SKIP() << "/proc/self/clear_refs cannot reset the peak";
  const long before = readProcStatus("VmRSS:");
  EXPECT_FALSE(load(image, path));
  EXPECT_LT(readProcStatus("VmHWM:") - before, 64 * 1024);
  EXPECT_EQ(err, "KR_Image::loadBMP: File is shorter than its pixel data\n");
}

// ---- files longer than any picture the limits allow ------------------------------------------

TEST_F(HostileFiles, BmpNamedLinkToDevZeroStopsAtTheLargestFileTheLimitsAllow) {
  // Such a link was read until memory ran out. With a limit of 4096 pixels the largest BMP is
  // 54 + 1024 + 4 * 4096 + 2 bytes.
  if (access("/dev/zero", R_OK) != 0) GTEST_SKIP() << "no /dev/zero";
  KORA::setImagePixelLimit(4096);
  const std::string link = dir.file("endless.bmp");
  ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
  KR_Image image(1, 1);
  EXPECT_FALSE(load(image, link));
  EXPECT_TRUE(oneLine(err)) << err;
  EXPECT_EQ(err, "KR_Image::loadBMP: File is larger than the largest picture it may hold (17464 bytes)\n");
  EXPECT_EQ(image.columns, 1);
}

TEST_F(HostileFiles, PcxNamedLinkToDevZeroStopsToo) {
  if (access("/dev/zero", R_OK) != 0) GTEST_SKIP() << "no /dev/zero";
  KORA::setImagePixelLimit(4096);
  const std::string link = dir.file("endless.pcx");
  ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
  KR_Image image(1, 1);
  EXPECT_FALSE(load(image, link));
  // 128 + 768 + 3 planes * 2 bytes * (4096 pixels + one pad value on each of 32768 rows)
  EXPECT_EQ(err, "KR_Image::loadPCX: File is larger than the largest picture it may hold (222080 bytes)\n");
}

TEST_F(HostileFiles, RegularFileOverTheLimitFailsWithoutBeingRead) {
  KORA::setImagePixelLimit(4096);
  Bytes file = bmpHeader(64, 64, 24, 0);
  file.resize(17465, 0);  // one byte over the largest BMP
  KR_Image image(1, 1);
  EXPECT_FALSE(load(image, dir.write("long.bmp", file)));
  EXPECT_EQ(err, "KR_Image::loadBMP: File is larger than the largest picture it may hold (17464 bytes)\n");
  file.resize(17464);  // at the limit: read and decoded (64 x 64 fits in 4096 pixels)
  EXPECT_TRUE(load(image, dir.write("limit.bmp", file))) << err;
  EXPECT_EQ(image.columns, 64);
}

TEST_F(HostileFiles, EndlessPipeStopsAtTheLimit) {
  KORA::setImagePixelLimit(4096);
  const std::string fifo = dir.file("pipe.pcx");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // The writer keeps writing until the reader closes its end (its writes then fail with EPIPE
  // instead of raising SIGPIPE).
  struct IgnorePipeSignal {
    void (*old)(int) = std::signal(SIGPIPE, SIG_IGN);
    ~IgnorePipeSignal() { std::signal(SIGPIPE, old); }
  } ignore;
  FILE* writer = nullptr;
  std::thread feeder([&] {
    writer = std::fopen(fifo.c_str(), "wb");
    if (writer == nullptr) return;
    static const char block[4096] = {10, 5, 1, 8};
    while (std::fwrite(block, 1, sizeof block, writer) == sizeof block) {
    }
    std::fclose(writer);
  });
  KR_Image image(1, 1);
  EXPECT_FALSE(load(image, fifo));
  feeder.join();
  EXPECT_EQ(err, "KR_Image::loadPCX: File is larger than the largest picture it may hold (222080 bytes)\n");
}

}  // namespace
