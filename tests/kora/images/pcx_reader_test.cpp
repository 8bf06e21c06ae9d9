// The PCX reader: header acceptance, run-length codes, palette and three-plane pictures, line
// bounds and pad bytes, and damaged files.
#include <gtest/gtest.h>

#include <string>

#include "output_capture.h"
#include "reader_fixture.h"

using KORA::KR_Image;
using KORA::KR_RGBA;
using namespace imgtest;

namespace {

const KR_RGBA BLACK(0, 0, 0, 255);

class PcxReader : public ImageReaderTest {
 protected:
  PcxReader() : ImageReaderTest("picture.pcx") {}
  // A palette picture: header, the given run-length data, a marker byte and the palette.
  static Bytes paletted(int width, int height, int bytesPerLine, const Bytes& data) {
    Bytes file = join(pcxHeader(0, 0, width - 1, height - 1, 1, bytesPerLine), data);
    file.push_back(12);
    return join(file, pcxPalette());
  }
};

// ---- header ----------------------------------------------------------------------------------

TEST_F(PcxReader, Dimensions0To319And0To199Give320By200) {
  Bytes data;
  for (int row = 0; row < 200; ++row) {
    for (int i = 0; i < 5; ++i) data.insert(data.end(), {0xFF, std::uint8_t(row)});  // 5 x 63
    data.insert(data.end(), {0xC5, std::uint8_t(row)});                              // + 5
  }
  KR_Image image;
  ASSERT_TRUE(load(image, paletted(320, 200, 320, data))) << err;
  EXPECT_EQ(image.columns, 320);
  EXPECT_EQ(image.rows, 200);
  EXPECT_EQ(at(image, 0, 0), pcxPaletteColour(0));
  EXPECT_EQ(at(image, 199, 319), pcxPaletteColour(199));
  EXPECT_EQ(at(image, 120, 17), pcxPaletteColour(120));
  EXPECT_EQ(err, "");
}

TEST_F(PcxReader, WindowNotAtTheOriginGivesItsOwnSize) {
  Bytes file = join(pcxHeader(10, 20, 11, 20, 1, 2), {5, 6, 12});
  file = join(file, pcxPalette());
  KR_Image image;
  ASSERT_TRUE(load(image, file)) << err;
  EXPECT_EQ(image.columns, 2);
  EXPECT_EQ(image.rows, 1);
  EXPECT_EQ(at(image, 0, 1), pcxPaletteColour(6));
}

TEST_F(PcxReader, Version3OrManufacturer9OrOtherEncodingsAreRejectedWithAnEmptyLine) {
  const Bytes good = paletted(1, 1, 1, {1});
  for (auto [offset, value] :
       {std::pair<int, int>{1, 3}, {1, 4}, {0, 9}, {2, 0}, {2, 2}, {3, 4}, {3, 1}}) {
    Bytes file = good;
    file[offset] = std::uint8_t(value);
    KR_Image image = marked();
    EXPECT_FALSE(load(image, file)) << "byte " << offset << " = " << value;
    EXPECT_EQ(err, "\n");
    expectUnchanged(image);
  }
  KR_Image later;
  Bytes v3 = good;
  v3[1] = 3;
  EXPECT_FALSE(load(later, v3));
  Bytes v6 = good;
  v6[1] = 6;  // any version above 4 is read
  EXPECT_TRUE(load(later, v6));
}

// ---- run-length codes ------------------------------------------------------------------------

TEST_F(PcxReader, RunHeaderC4Then07StoresIndex7IntoFourPixels) {
  KR_Image image;
  ASSERT_TRUE(load(image, paletted(6, 1, 6, {0xC4, 0x07, 0x01, 0x02}))) << err;
  for (int c = 0; c < 4; ++c) EXPECT_EQ(at(image, 0, c), pcxPaletteColour(7)) << c;
  EXPECT_EQ(at(image, 0, 4), pcxPaletteColour(1));
  EXPECT_EQ(at(image, 0, 5), pcxPaletteColour(2));
}

TEST_F(PcxReader, RunOfLengthZeroStoresNothingAndConsumesItsValue) {
  KR_Image image;
  ASSERT_TRUE(load(image, paletted(2, 1, 2, {0xC0, 0x55, 0x03, 0x04}))) << err;
  EXPECT_EQ(at(image, 0, 0), pcxPaletteColour(3));
  EXPECT_EQ(at(image, 0, 1), pcxPaletteColour(4));
}

TEST_F(PcxReader, ValuesFrom0xC0UpNeedARunOfOne) {
  KR_Image image;
  ASSERT_TRUE(load(image, paletted(2, 1, 2, {0xC1, 0xC0, 0xBF}))) << err;
  EXPECT_EQ(at(image, 0, 0), pcxPaletteColour(0xC0));
  EXPECT_EQ(at(image, 0, 1), pcxPaletteColour(0xBF));
}

TEST_F(PcxReader, PaletteIsTheLast768BytesWhateverComesBefore) {
  Bytes file = paletted(1, 1, 1, {0xC1, 200});
  file[file.size() - 769] = 0;  // the marker byte is not checked
  file[file.size() - 768 + 3 * 200] = 0x42;
  KR_Image image;
  ASSERT_TRUE(load(image, file));
  EXPECT_EQ(at(image, 0, 0), KR_RGBA(0x42, 200, 200 / 3, 255));
}

TEST_F(PcxReader, PlaneCountOtherThanThreeMeansAPalettePicture) {
  Bytes file = paletted(1, 1, 1, {9});
  file[65] = 4;
  KR_Image image;
  ASSERT_TRUE(load(image, file));
  EXPECT_EQ(at(image, 0, 0), pcxPaletteColour(9));
}

// ---- three planes ----------------------------------------------------------------------------

TEST_F(PcxReader, TrueColourLineIsRedThenGreenThenBluePlane) {
  Bytes file = join(pcxHeader(0, 0, 1, 1, 3, 2), {10, 20, 30, 40, 50, 60,       // row 0: r, g, b
                                                  0xC2, 1, 0xC2, 2, 0xC2, 3});  // row 1
  KR_Image image;
  ASSERT_TRUE(load(image, file)) << err;
  EXPECT_EQ(at(image, 0, 0), KR_RGBA(10, 30, 50, 255));
  EXPECT_EQ(at(image, 0, 1), KR_RGBA(20, 40, 60, 255));
  EXPECT_EQ(at(image, 1, 0), KR_RGBA(1, 2, 3, 255));
  EXPECT_EQ(at(image, 1, 1), KR_RGBA(1, 2, 3, 255));
  EXPECT_EQ(err, "");
}

// ---- line bounds and pad bytes ---------------------------------------------------------------

TEST_F(PcxReader, OddWidthPadByteCodedOnItsOwnIsConsumed) {
  // Width 3, lines padded to 4 bytes, each pad byte coded on its own. A reader that stops a
  // line at the width would take the pad as the first value of the next line (row 1 would read
  // 0, 4, 5): each line is read to bytesPerLine instead, and the pad value is dropped.
  KR_Image image;
  ASSERT_TRUE(load(image, paletted(3, 2, 4, {1, 2, 3, 0, 4, 5, 6, 0}))) << err;
  EXPECT_EQ(at(image, 0, 0), pcxPaletteColour(1));
  EXPECT_EQ(at(image, 0, 2), pcxPaletteColour(3));
  EXPECT_EQ(at(image, 1, 0), pcxPaletteColour(4));
  EXPECT_EQ(at(image, 1, 2), pcxPaletteColour(6));
  EXPECT_EQ(err, "");
}

TEST_F(PcxReader, OddWidthThreePlanePadBytesAreConsumedPerPlane) {
  Bytes file = join(pcxHeader(0, 0, 0, 0, 3, 2), {7, 0x2A, 8, 0x2A, 9, 0x2A});
  KR_Image image;
  ASSERT_TRUE(load(image, file)) << err;
  EXPECT_EQ(at(image, 0, 0), KR_RGBA(7, 8, 9, 255));
}

TEST_F(PcxReader, RunCarriedPastTheLineBoundIsStoredOnlyWithinTheWidth) {
  // Width 3, bytesPerLine 4: a run of 5 fills the line (its excess is lost), row 1 starts afresh.
  KR_Image image;
  ASSERT_TRUE(load(image, paletted(3, 2, 4, {0xC5, 9, 0xC2, 4, 0xC2, 5}))) << err;
  for (int c = 0; c < 3; ++c) EXPECT_EQ(at(image, 0, c), pcxPaletteColour(9));
  EXPECT_EQ(at(image, 1, 0), pcxPaletteColour(4));
  EXPECT_EQ(at(image, 1, 1), pcxPaletteColour(4));
  EXPECT_EQ(at(image, 1, 2), pcxPaletteColour(5));
}

TEST_F(PcxReader, LinesShorterThanTheWidthLeaveTheRestBlack) {
  KR_Image image;
  ASSERT_TRUE(load(image, paletted(4, 2, 2, {1, 2, 3, 4}))) << err;
  EXPECT_EQ(at(image, 0, 1), pcxPaletteColour(2));
  EXPECT_EQ(at(image, 0, 2), BLACK);
  EXPECT_EQ(at(image, 1, 0), pcxPaletteColour(3));
  EXPECT_EQ(at(image, 1, 3), BLACK);
}

// ---- damaged and hostile files ---------------------------------------------------------------

TEST_F(PcxReader, FileShorterThanItsHeaderFails) {
  Bytes file = paletted(1, 1, 1, {1});
  file.resize(127);
  KR_Image image = marked();
  EXPECT_FALSE(load(image, file));
  EXPECT_EQ(err, "KR_Image::loadPCX: File is shorter than its header\n");
  expectUnchanged(image);
}

TEST_F(PcxReader, PalettePictureShorterThanHeaderAndPaletteFails) {
  Bytes file = join(pcxHeader(0, 0, 0, 0, 1, 1), {1});
  file.resize(128 + 767, 0);
  KR_Image image = marked();
  EXPECT_FALSE(load(image, file));
  EXPECT_EQ(err, "KR_Image::loadPCX: File is shorter than its header and palette\n");
  expectUnchanged(image);
}

TEST_F(PcxReader, RightOrBottomBeforeLeftOrTopFails) {
  for (auto [x0, y0, x1, y1] :
       {std::tuple<int, int, int, int>{5, 0, 4, 0}, {0, 9, 0, 3}, {65535, 0, 0, 0}}) {
    Bytes file = join(pcxHeader(x0, y0, x1, y1, 1, 1), pcxPalette());
    KR_Image image = marked();
    EXPECT_FALSE(load(image, file)) << x0 << "," << y0 << " - " << x1 << "," << y1;
    EXPECT_EQ(err, "KR_Image::loadPCX: Width or height is 0 or less\n");
    expectUnchanged(image);
  }
}

TEST_F(PcxReader, OversizedPicturesFail) {
  for (auto [x1, y1] : {std::pair<int, int>{65535, 0}, {0, 32768}, {32767, 8192}}) {
    Bytes file = join(pcxHeader(0, 0, x1, y1, 1, 1), pcxPalette());
    KR_Image image = marked();
    EXPECT_FALSE(load(image, file));
    EXPECT_NE(err.find("KR_Image::loadPCX: Picture of"), std::string::npos) << err;
    expectUnchanged(image);
  }
}

TEST_F(PcxReader, RunLengthDataEndingEarlyStopsAndKeepsWhatWasDecoded) {
  // Three-plane 2 x 2 picture whose data ends inside row 1's green plane.
  Bytes file = join(pcxHeader(0, 0, 1, 1, 3, 2), {10, 11, 20, 21, 30, 31, 40, 41, 50});
  KR_Image image = marked();
  EXPECT_TRUE(load(image, file));
  EXPECT_EQ(err, "KR_Image::loadPCX: Run-length data ends before the last scan line\n");
  ASSERT_EQ(image.rows, 2);
  EXPECT_EQ(at(image, 0, 1), KR_RGBA(11, 21, 31, 255));
  EXPECT_EQ(at(image, 1, 0), KR_RGBA(40, 50, 0, 255));
  EXPECT_EQ(at(image, 1, 1), KR_RGBA(41, 0, 0, 255));
  // A run header that is the last byte of the file has no value to repeat.
  EXPECT_TRUE(load(image, join(pcxHeader(0, 0, 1, 0, 3, 2), {0xC2})));
  EXPECT_EQ(err, "KR_Image::loadPCX: Run-length data ends before the last scan line\n");
  EXPECT_EQ(at(image, 0, 0), KR_RGBA(0, 0, 0, 255));
}

TEST_F(PcxReader, UpperCaseNameIsNotLoaded) {
  KR_Image image = marked();
  EXPECT_FALSE(load(image, paletted(1, 1, 1, {1}), "picture.PCX"));
  EXPECT_EQ(err, "");
  expectUnchanged(image);
}

TEST_F(PcxReader, MissingFileWritesAnEmptyLine) {
  KR_Image image = marked();
  mirvotest::captureStderr();
  EXPECT_FALSE(image.loadImage(dir.file("absent.pcx")));
  EXPECT_EQ(mirvotest::capturedStderr(), "\n");
  expectUnchanged(image);
}

}  // namespace
