// The BMP reader: 24-bit and 8-bit raw rows, RLE8 codes, the fixed 40-byte header layout,
// rejected formats and damaged files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <thread>

#include "output_capture.h"
#include "reader_fixture.h"

using KORA::KR_Image;
using KORA::KR_RGBA;
using namespace imgtest;

namespace {

const KR_RGBA BLACK(0, 0, 0, 255);
const KR_RGBA RED(255, 0, 0, 255);
const KR_RGBA GREEN(0, 255, 0, 255);
const KR_RGBA BLUE(0, 0, 255, 255);
const KR_RGBA WHITE(255, 255, 255, 255);

class BmpReader : public ImageReaderTest {
 protected:
  BmpReader() : ImageReaderTest("picture.bmp") {}
};

// ---- true colour --------------------------------------------------------------------------

TEST_F(BmpReader, TwoByTwo24BitStoresTheTopScanLineInRowZero) {
  Bytes file = bmpHeader(2, 2, 24, 0);
  // bottom row: blue, green; top row: red, white; each row 6 bytes + 2 pad (b, g, r order)
  file = join(file, {0xFF, 0, 0, 0, 0xFF, 0, 0xAA, 0xBB, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xCC, 0xDD});
  KR_Image image;
  ASSERT_TRUE(load(image, file)) << err;
  ASSERT_EQ(image.rows, 2);
  ASSERT_EQ(image.columns, 2);
  EXPECT_EQ(at(image, 0, 0), RED);
  EXPECT_EQ(at(image, 0, 1), WHITE);
  EXPECT_EQ(at(image, 1, 0), BLUE);
  EXPECT_EQ(at(image, 1, 1), GREEN);
  EXPECT_EQ(err, "");
}

TEST_F(BmpReader, OddWidth24BitRowsSkipTheirPadBytes) {
  std::vector<KR_RGBA> px;
  for (int i = 0; i < 5 * 3; ++i)
    px.push_back(KR_RGBA(std::uint8_t(i * 10), std::uint8_t(i), std::uint8_t(200 - i), 255));
  KR_Image image;
  ASSERT_TRUE(load(image, bmp24(5, 3, px))) << err;
  ASSERT_EQ(image.columns, 5);
  ASSERT_EQ(image.rows, 3);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(at(image, i / 5, i % 5), px[i]) << "pixel " << i;
}

// A pipe has no size to read ahead of time: the reader takes what comes until its end. The
// picture is larger than one first read of a file of unknown length.
TEST_F(BmpReader, ReadsAPictureFromAPipe) {
  const int w = 64, h = 48;
  std::vector<KR_RGBA> px;
  for (int i = 0; i < w * h; ++i)
    px.push_back(KR_RGBA(std::uint8_t(i), std::uint8_t(i >> 8), 9, 255));
  const Bytes file = bmp24(w, h, px);
  ASSERT_GT(file.size(), 8192u);
  const std::string fifo = dir.file("picture.bmp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { writeFile(fifo, file); });
  KR_Image image;
  mirvotest::captureStderr();
  const bool ok = image.loadImage(fifo);
  err = mirvotest::capturedStderr();
  writer.join();
  ASSERT_TRUE(ok) << err;
  ASSERT_EQ(image.columns, w);
  ASSERT_EQ(image.rows, h);
  int differing = 0;
  for (int i = 0; i < w * h; ++i) differing += at(image, i / w, i % w) != px[std::size_t(i)];
  EXPECT_EQ(differing, 0);
}

TEST_F(BmpReader, AFolderIsAFileThatCannotBeRead) {
  KR_Image image = marked();
  ASSERT_EQ(mkdir(dir.file("folder.bmp").c_str(), 0700), 0);
  mirvotest::captureStderr();
  EXPECT_FALSE(image.loadImage(dir.file("folder.bmp")));
  EXPECT_EQ(mirvotest::capturedStderr(), "\n");
  expectUnchanged(image);
}

TEST_F(BmpReader, LoadKeepsTheRasterPosition) {
  KR_Image image;
  image.rasterpos_x = 12;
  image.rasterpos_y = 34;
  ASSERT_TRUE(load(image, bmp24(1, 1, {RED})));
  EXPECT_EQ(image.rasterpos_x, 12);
  EXPECT_EQ(image.rasterpos_y, 34);
}

TEST_F(BmpReader, PixelDataIsReadFromOffset54WhateverTheHeaderSays) {
  // A writer with a larger header would put its data at offBits; the reader only knows the
  // 40-byte layout and reads from 54, so the bytes at 54 make the picture.
  Bytes file = bmp24(1, 1, {RED});
  set32(file, 10, 200);  // offBits
  set32(file, 14, 124);  // headerSize
  KR_Image image;
  ASSERT_TRUE(load(image, file));
  EXPECT_EQ(at(image, 0, 0), RED);
}

// ---- 8-bit raw ------------------------------------------------------------------------------

TEST_F(BmpReader, EightBitRawOfWidthThreeSkipsOnePadBytePerRow) {
  Bytes file = join(bmpHeader(3, 2, 8, 0), bmpPalette());
  // bottom row 10 11 12, pad 0x77; top row 20 21 22, pad 0x78
  file = join(file, {10, 11, 12, 0x77, 20, 21, 22, 0x78});
  KR_Image image;
  ASSERT_TRUE(load(image, file)) << err;
  ASSERT_EQ(image.columns, 3);
  ASSERT_EQ(image.rows, 2);
  EXPECT_EQ(at(image, 0, 0), bmpPaletteColour(20));
  EXPECT_EQ(at(image, 0, 2), bmpPaletteColour(22));
  EXPECT_EQ(at(image, 1, 0), bmpPaletteColour(10));
  EXPECT_EQ(at(image, 1, 2), bmpPaletteColour(12));
}

TEST_F(BmpReader, EightBitPaletteIsBlueGreenRedAndAlwaysHas256Entries) {
  Bytes file = bmp8(2, 1, {0, 255});
  set32(file, 46, 2);  // numLUTentries says 2: the palette is still 256 entries, data at 1078
  setBmpPalette(file, 255, 0x12, 0x34, 0x56);
  KR_Image image;
  ASSERT_TRUE(load(image, file));
  EXPECT_EQ(at(image, 0, 0), bmpPaletteColour(0));
  EXPECT_EQ(at(image, 0, 1), KR_RGBA(0x12, 0x34, 0x56, 255));
}

TEST_F(BmpReader, FileMayEndWithoutTheLastRowsPadBytes) {
  Bytes file = bmp8(3, 2, {1, 2, 3, 4, 5, 6});
  file.pop_back();  // the top row's pad byte, never read
  KR_Image image;
  ASSERT_TRUE(load(image, file)) << err;
  EXPECT_EQ(at(image, 0, 2), bmpPaletteColour(3));
}

// ---- RLE8 ----------------------------------------------------------------------------------

TEST_F(BmpReader, RunThenEndOfLineThenEndOfBitmap) {
  KR_Image image;
  ASSERT_TRUE(load(image, bmpRle(4, 2, {3, 5, 0, 0, 0, 1}))) << err;
  ASSERT_EQ(image.rows, 2);
  ASSERT_EQ(image.columns, 4);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(at(image, 1, c), bmpPaletteColour(5)) << c;
  EXPECT_EQ(at(image, 1, 3), BLACK);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(at(image, 0, c), BLACK) << c;
  EXPECT_EQ(err, "");
}

TEST_F(BmpReader, EncodedRunUsesPaletteEntry200) {
  Bytes file = bmpRle(2, 1, {2, 200, 0, 1});
  setBmpPalette(file, 200, 9, 8, 7);
  KR_Image image;
  ASSERT_TRUE(load(image, file));
  EXPECT_EQ(at(image, 0, 0), KR_RGBA(9, 8, 7, 255));
  EXPECT_EQ(at(image, 0, 1), KR_RGBA(9, 8, 7, 255));
}

TEST_F(BmpReader, AbsoluteRunOfThreeSkipsAPadByteAndRunOfFourDoesNot) {
  KR_Image three;
  ASSERT_TRUE(load(three, bmpRle(5, 1, {0, 3, 10, 11, 12, 0xEE, 2, 40, 0, 1}))) << err;
  EXPECT_EQ(at(three, 0, 0), bmpPaletteColour(10));
  EXPECT_EQ(at(three, 0, 2), bmpPaletteColour(12));
  EXPECT_EQ(at(three, 0, 3), bmpPaletteColour(40));  // not 0xEE: the pad byte was skipped
  EXPECT_EQ(at(three, 0, 4), bmpPaletteColour(40));
  KR_Image four;
  ASSERT_TRUE(load(four, bmpRle(6, 1, {0, 4, 10, 11, 12, 13, 2, 40, 0, 1}))) << err;
  EXPECT_EQ(at(four, 0, 3), bmpPaletteColour(13));
  EXPECT_EQ(at(four, 0, 4), bmpPaletteColour(40));
  EXPECT_EQ(at(four, 0, 5), bmpPaletteColour(40));
}

TEST_F(BmpReader, DeltaMovesRightAndUp) {
  // 4 x 3: one pixel at the bottom-left, then delta (2, 1) to row 1 (from the bottom), col 3.
  KR_Image image;
  ASSERT_TRUE(load(image, bmpRle(4, 3, {1, 7, 0, 2, 2, 1, 1, 9, 0, 1}))) << err;
  EXPECT_EQ(at(image, 2, 0), bmpPaletteColour(7));
  EXPECT_EQ(at(image, 1, 3), bmpPaletteColour(9));
  EXPECT_EQ(at(image, 1, 0), BLACK);
  EXPECT_EQ(at(image, 2, 3), BLACK);
}

TEST_F(BmpReader, EndOfLinePastTheTopRowEndsDecoding) {
  // Two rows ended by end-of-line each, without end-of-bitmap: a normal end, no message.
  KR_Image image;
  ASSERT_TRUE(load(image, bmpRle(1, 2, {1, 3, 0, 0, 1, 4, 0, 0, 1, 99}))) << err;
  EXPECT_EQ(at(image, 1, 0), bmpPaletteColour(3));
  EXPECT_EQ(at(image, 0, 0), bmpPaletteColour(4));
  EXPECT_EQ(err, "");
}

TEST_F(BmpReader, RunLengthIsChosenByAnyNonZeroCompression) {
  KR_Image image;
  Bytes file = bmpRle(2, 1, {2, 33, 0, 1});
  set32(file, 30, 7);
  ASSERT_TRUE(load(image, file));
  EXPECT_EQ(at(image, 0, 1), bmpPaletteColour(33));
}

// ---- rejected formats ------------------------------------------------------------------------

TEST_F(BmpReader, SixteenAndThirtyTwoBitAndCompressed24BitAreRejectedWithAnEmptyLine) {
  for (auto [bits, compression] : {std::pair<int, int>{16, 0}, {32, 0}, {24, 1}, {4, 0}, {1, 0}}) {
    Bytes file = bmpHeader(1, 1, std::uint16_t(bits), std::uint32_t(compression));
    file.resize(2000, 0x55);
    KR_Image image = marked();
    EXPECT_FALSE(load(image, file)) << bits << "/" << compression;
    EXPECT_EQ(err, "\n");
    expectUnchanged(image);
  }
}

TEST_F(BmpReader, MissingFileWritesAnEmptyLine) {
  KR_Image image = marked();
  mirvotest::captureStderr();
  EXPECT_FALSE(image.loadImage(dir.file("absent.bmp")));
  EXPECT_EQ(mirvotest::capturedStderr(), "\n");
  expectUnchanged(image);
}

TEST_F(BmpReader, DirectoryIsNotAFile) {
  KR_Image image = marked();
  mirvotest::captureStderr();
  EXPECT_FALSE(image.loadImage(dir.file("folder.bmp") + "/.."));
  EXPECT_EQ(mirvotest::capturedStderr(), "\n");
  expectUnchanged(image);
}

// ---- damaged and hostile files ---------------------------------------------------------------

TEST_F(BmpReader, FileShorterThanItsHeaderFails) {
  Bytes file = bmp24(1, 1, {RED});
  file.resize(53);
  KR_Image image = marked();
  EXPECT_FALSE(load(image, file));
  EXPECT_EQ(err, "KR_Image::loadBMP: File is shorter than its header\n");
  expectUnchanged(image);
  EXPECT_FALSE(load(image, {}));
  expectUnchanged(image);
}

TEST_F(BmpReader, ZeroOrNegativeSizesFail) {
  for (auto [w, h] : {std::pair<int, int>{0, 1}, {1, 0}, {1, -1}, {-3, 2}, {INT32_MIN, 1}}) {
    Bytes file = bmpHeader(w, h, 24, 0);
    file.resize(4096, 0);
    KR_Image image = marked();
    EXPECT_FALSE(load(image, file)) << w << " x " << h;
    EXPECT_EQ(err, "KR_Image::loadBMP: Width or height is 0 or less\n");
    expectUnchanged(image);
  }
}

TEST_F(BmpReader, OversizedPicturesFailBeforeAnyAllocation) {
  for (auto [w, h] :
       {std::pair<int, int>{32769, 1}, {1, 32769}, {32768, 8193}, {0x7FFFFFFF, 0x7FFFFFFF}}) {
    Bytes file = bmpHeader(w, h, 8, 1);
    file = join(file, bmpPalette());
    file = join(file, {0, 1});
    KR_Image image = marked();
    EXPECT_FALSE(load(image, file)) << w << " x " << h;
    EXPECT_NE(err.find("passes the limit of 32768 per side or 268435456 pixels"), std::string::npos)
        << err;
    expectUnchanged(image);
  }
}

TEST_F(BmpReader, LargestSideIsAccepted) {
  KR_Image image;
  ASSERT_TRUE(load(image, bmpRle(32768, 1, {255, 4, 0, 1}))) << err;
  EXPECT_EQ(image.columns, 32768);
  EXPECT_EQ(at(image, 0, 254), bmpPaletteColour(4));
  EXPECT_EQ(at(image, 0, 255), BLACK);
}

TEST_F(BmpReader, TruncatedRawDataFails) {
  Bytes file24 = bmp24(3, 3, std::vector<KR_RGBA>(9, RED));
  file24.resize(file24.size() - 3 - 4);  // loses the last pixel of the top row
  KR_Image image = marked();
  EXPECT_FALSE(load(image, file24));
  EXPECT_EQ(err, "KR_Image::loadBMP: File is shorter than its pixel data\n");
  expectUnchanged(image);
  Bytes file8 = bmp8(4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
  file8.resize(file8.size() - 1);
  EXPECT_FALSE(load(image, file8));
  expectUnchanged(image);
}

TEST_F(BmpReader, EightBitFileShorterThanItsPaletteFails) {
  Bytes file = join(bmpHeader(1, 1, 8, 0), bmpPalette());
  file.resize(1077);
  KR_Image image = marked();
  EXPECT_FALSE(load(image, file));
  EXPECT_EQ(err, "KR_Image::loadBMP: File is shorter than its palette\n");
  expectUnchanged(image);
}

TEST_F(BmpReader, RunLengthDataWithoutEndOfBitmapStopsAndKeepsWhatWasDecoded) {
  KR_Image image;
  EXPECT_TRUE(load(image, bmpRle(4, 2, {2, 6, 0})));  // the last code is cut in half
  EXPECT_EQ(err, "KR_Image::loadBMP: Run-length data ends without its end-of-bitmap code\n");
  ASSERT_EQ(image.rows, 2);
  EXPECT_EQ(at(image, 1, 1), bmpPaletteColour(6));
  EXPECT_EQ(at(image, 1, 2), BLACK);
  EXPECT_TRUE(load(image, bmpRle(4, 2, {0, 2, 1})));  // delta without its offsets
  EXPECT_NE(err.find("end-of-bitmap"), std::string::npos);
  EXPECT_TRUE(load(image, bmpRle(4, 2, {0, 4, 1, 2, 3})));  // absolute run cut short
  EXPECT_NE(err.find("end-of-bitmap"), std::string::npos);
  EXPECT_TRUE(load(image, bmpRle(4, 2, {})));
  EXPECT_NE(err.find("end-of-bitmap"), std::string::npos);
}

TEST_F(BmpReader, RunPastTheEndOfItsRowStopsDecoding) {
  KR_Image image;
  EXPECT_TRUE(load(image, bmpRle(4, 2, {3, 8, 2, 9, 0, 1})));
  EXPECT_EQ(err, "KR_Image::loadBMP: Encoded run passes the end of its row\n");
  EXPECT_EQ(at(image, 1, 2), bmpPaletteColour(8));
  EXPECT_EQ(at(image, 1, 3), BLACK);  // the offending run wrote nothing
  EXPECT_EQ(at(image, 0, 0), BLACK);  // and did not wrap into the next row
}

TEST_F(BmpReader, RunsIntoTheRowPaddingAreClippedAndDecodingGoesOn) {
  // Width 3: rows are coded as 4 pixels, the fourth being padding that is dropped.
  KR_Image image;
  ASSERT_TRUE(load(image, bmpRle(3, 2, {4, 8, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1})));
  EXPECT_EQ(err, "");
  EXPECT_EQ(at(image, 1, 2), bmpPaletteColour(8));
  EXPECT_EQ(at(image, 0, 0), bmpPaletteColour(1));  // not shifted by the dropped pixel
  EXPECT_EQ(at(image, 0, 2), bmpPaletteColour(3));
  // A fifth pixel is outside even the padding.
  EXPECT_TRUE(load(image, bmpRle(3, 1, {5, 8, 0, 1})));
  EXPECT_EQ(err, "KR_Image::loadBMP: Encoded run passes the end of its row\n");
  EXPECT_EQ(at(image, 0, 0), BLACK);
}

TEST_F(BmpReader, AbsoluteRunPastTheEndOfItsRowStopsDecoding) {
  KR_Image image;
  EXPECT_TRUE(load(image, bmpRle(4, 1, {2, 8, 0, 3, 1, 2, 3, 0, 0, 1})));
  EXPECT_EQ(err, "KR_Image::loadBMP: Absolute run passes the end of its row\n");
  EXPECT_EQ(at(image, 0, 1), bmpPaletteColour(8));
  EXPECT_EQ(at(image, 0, 2), BLACK);
}

TEST_F(BmpReader, DeltaOutsideThePictureStopsDecoding) {
  KR_Image image;
  EXPECT_TRUE(load(image, bmpRle(4, 2, {0, 2, 0, 2, 1, 5, 0, 1})));  // two rows up from row 1
  EXPECT_EQ(err, "KR_Image::loadBMP: Delta points outside the picture\n");
  EXPECT_TRUE(load(image, bmpRle(4, 2, {1, 5, 0, 2, 4, 0, 1, 6, 0, 1})));  // right of column 4
  EXPECT_EQ(err, "KR_Image::loadBMP: Delta points outside the picture\n");
  EXPECT_EQ(at(image, 1, 0), bmpPaletteColour(5));
  // A delta to the right edge itself is allowed; an end of line may follow.
  EXPECT_TRUE(load(image, bmpRle(4, 2, {0, 2, 4, 1, 0, 0, 0, 1})));
  EXPECT_EQ(err, "");
}

// ---- file names ------------------------------------------------------------------------------

class ExtensionProbe : public KR_Image {
 public:
  using KR_Image::hasValidExtension;
};

TEST(ImageFileNames, ExtensionIsAPlainCaseSensitiveSubstring) {
  ExtensionProbe probe;
  EXPECT_TRUE(probe.hasValidExtension("sky.bmp", "bmp"));
  EXPECT_TRUE(probe.hasValidExtension("a.bmp.old", "bmp"));
  EXPECT_TRUE(probe.hasValidExtension("x.pcx.bmp", "bmp"));
  EXPECT_TRUE(probe.hasValidExtension("x.pcx.bmp", "pcx"));
  EXPECT_FALSE(probe.hasValidExtension("SKY.BMP", "bmp"));
  EXPECT_FALSE(probe.hasValidExtension("SKY.BMP", "pcx"));
  EXPECT_FALSE(probe.hasValidExtension("bmp", "bmp"));
  EXPECT_FALSE(probe.hasValidExtension("picture_bmp", "bmp"));
}

TEST_F(BmpReader, UpperCaseNameIsNotLoadedAndSaysNothing) {
  KR_Image image = marked();
  EXPECT_FALSE(load(image, bmp24(1, 1, {RED}), "picture.BMP"));
  EXPECT_EQ(err, "");
  expectUnchanged(image);
}

TEST_F(BmpReader, NameWithBmpAnywhereGoesToTheBmpReader) {
  KR_Image image;
  ASSERT_TRUE(load(image, bmp24(1, 1, {GREEN}), "x.pcx.bmp"));  // BMP is tried first
  EXPECT_EQ(at(image, 0, 0), GREEN);
  ASSERT_TRUE(load(image, bmp24(1, 1, {BLUE}), "a.bmp.old"));
  EXPECT_EQ(at(image, 0, 0), BLUE);
}

}  // namespace
