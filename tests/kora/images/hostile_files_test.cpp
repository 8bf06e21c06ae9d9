// Hostile picture files: headers that claim far more than the file holds, and names that lead
// to endless files. Each must fail at once, with one line, without a large allocation.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <csignal>

#include "KR_ImageLimits.h"
#include "image_files.h"
#include "output_capture.h"

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
    mirvotest::OutputCapture capture;
    const bool ok = image.loadImage(path);
    err = capture.stop();
    return ok;
  }
  void TearDown() override { KORA::setImagePixelLimit(KR_Image::MAX_PIXELS); }
};

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

TEST_F(HostileFiles, NamesLinkedToDevZeroFailAtOnceOnTheirHeader) {
  // Such a link was read until memory ran out (1 GiB and 17 s under a 2.5 GB limit). Its
  // header of zeros is no picture: reading stops there and the format is refused as any
  // other (an empty line).
  if (access("/dev/zero", R_OK) != 0) GTEST_SKIP() << "no /dev/zero";
  for (const char* name : {"endless.bmp", "endless.pcx"}) {
    const std::string link = dir.file(name);
    ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
    KR_Image image(1, 1);
    if (!resetPeakMemory()) GTEST_SKIP() << "/proc/self/clear_refs cannot reset the peak";
    const long before = readProcStatus("VmRSS:");
    EXPECT_FALSE(load(image, link)) << name;
    EXPECT_LT(readProcStatus("VmHWM:") - before, 64 * 1024) << name;
    EXPECT_EQ(err, "\n") << name;
    EXPECT_EQ(image.columns, 1);
  }
}

TEST_F(HostileFiles, RegularFileOverTheLimitFailsWithoutBeingRead) {
  KORA::setImagePixelLimit(4096);
  Bytes file = bmpHeader(64, 64, 24, 0);
  file.resize(17465, 0);  // one byte over the largest BMP
  KR_Image image(1, 1);
  EXPECT_FALSE(load(image, dir.write("long.bmp", file)));
  EXPECT_EQ(
      err,
      "KR_Image::loadBMP: File is larger than the largest picture it may hold (17464 bytes)\n");
  file.resize(17464);  // at the limit: read and decoded (64 x 64 fits in 4096 pixels)
  EXPECT_TRUE(load(image, dir.write("limit.bmp", file))) << err;
  EXPECT_EQ(image.columns, 64);
}

// Writes `head` and then zeros into the fifo until the reader closes its end.
void feedEndlessly(const std::string& fifo, const Bytes& head) {
  FILE* writer = std::fopen(fifo.c_str(), "wb");
  if (writer == nullptr) return;
  if (std::fwrite(head.data(), 1, head.size(), writer) == head.size()) {
    static const char zeros[4096] = {};
    while (std::fwrite(zeros, 1, sizeof zeros, writer) == sizeof zeros) {
    }
  }
  std::fclose(writer);
}

TEST_F(HostileFiles, EndlessPipesStopAtTheLargestFileTheirHeaderAllows) {
  // The writers' writes fail with EPIPE, not SIGPIPE, once the reader has closed its end.
  struct IgnorePipeSignal {
    void (*old)(int) = std::signal(SIGPIPE, SIG_IGN);
    ~IgnorePipeSignal() { std::signal(SIGPIPE, old); }
  } ignore;
  struct Case {
    const char* name;
    Bytes head;
    const char* line;
  } cases[] = {
      // A 1 x 1 palette PCX with bytesPerLine 0: header, palette and 4096 bytes of slack.
      {"pipe.pcx", pcxHeader(0, 0, 0, 0, 1, 0),
       "KR_Image::loadPCX: File is larger than the largest picture it may hold (4992 bytes)\n"},
      // A 2 x 2 true-colour BMP: header, palette room, four bytes a pixel, end code, slack.
      {"pipe.bmp", bmpHeader(2, 2, 24, 0),
       "KR_Image::loadBMP: File is larger than the largest picture it may hold (5192 bytes)\n"},
  };
  for (const Case& c : cases) {
    const std::string fifo = dir.file(c.name);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread feeder(feedEndlessly, fifo, c.head);
    KR_Image image(1, 1);
    EXPECT_FALSE(load(image, fifo)) << c.name;
    feeder.join();
    EXPECT_EQ(err, c.line);
  }
}

TEST_F(HostileFiles, EndlessPipeStopsAtTheSizeLimitsWhateverTheHeaderClaims) {
  // A header that claims the largest picture the (lowered) limits allow: reading stops at the
  // largest BMP of 4096 pixels, 54 + 1024 + 4 * 4096 + 2 bytes.
  KORA::setImagePixelLimit(4096);
  struct IgnorePipeSignal {
    void (*old)(int) = std::signal(SIGPIPE, SIG_IGN);
    ~IgnorePipeSignal() { std::signal(SIGPIPE, old); }
  } ignore;
  const std::string fifo = dir.file("big.bmp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread feeder(feedEndlessly, fifo, bmpHeader(64, 64, 8, 1));
  KR_Image image(1, 1);
  EXPECT_FALSE(load(image, fifo));
  feeder.join();
  EXPECT_EQ(
      err,
      "KR_Image::loadBMP: File is larger than the largest picture it may hold (17464 bytes)\n");
}

}  // namespace
