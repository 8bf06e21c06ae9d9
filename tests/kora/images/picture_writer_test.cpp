// The shared picture writer, read back: every BMP and PCX form through KR_Image's readers
// (odd widths, so rows and plane lines carry padding; runs longer than one code holds), and
// the PNG through libpng.
#include <gtest/gtest.h>

#include <vector>

#include "image_files.h"
#include "output_capture.h"
#include "picture_writer.h"
#include "png_image.h"

using KORA::KR_Image;
using KORA::KR_RGBA;

namespace {

const int W = 301, H = 5;  // odd, and wider than a 255-pixel run or absolute run

// Row 0 one long run, row 1 no two neighbours equal, the rest short runs and singles.
std::vector<std::uint8_t> indices() {
  std::vector<std::uint8_t> v;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      v.push_back(std::uint8_t(y == 0 ? 200 : y == 1 ? x % 256 : (x / (y + 1)) * 37 + y));
  return v;
}

// Palette entry i, or true colour number i of the picture.
picture::Rgb colour(std::size_t i, std::uint8_t index) {
  return {index, std::uint8_t(i), std::uint8_t(i >> 8)};
}

int differences(const KR_Image& image, const std::vector<picture::Rgb>& want) {
  if (image.columns != W || image.rows != H || image.data() == nullptr) return -1;
  int differing = 0;
  for (std::size_t i = 0; i < want.size(); ++i)
    differing += image.data()[i] != KR_RGBA(want[i].r, want[i].g, want[i].b, 255);
  return differing;
}

TEST(PictureWriter, EveryBmpAndPcxFormReadsBackPixelForPixel) {
  const std::vector<std::uint8_t> idx = indices();
  std::vector<picture::Rgb> pal, rgb, paletted;
  for (int i = 0; i < 256; ++i) pal.push_back(colour(std::size_t(i) * 3, std::uint8_t(255 - i)));
  for (std::size_t i = 0; i < idx.size(); ++i) rgb.push_back(colour(i, idx[i]));
  for (std::uint8_t i : idx) paletted.push_back(pal[i]);
  const struct {
    const char* name;
    picture::Bytes bytes;
    const std::vector<picture::Rgb>& want;
  } files[] = {{"p24.bmp", picture::bmp24(W, H, rgb.data()), rgb},
               {"p8.bmp", picture::bmp8(W, H, idx.data(), pal.data()), paletted},
               {"rle8.bmp", picture::bmpRle8(W, H, idx.data(), pal.data()), paletted},
               {"p8.pcx", picture::pcx8(W, H, idx.data(), pal.data()), paletted},
               {"p24.pcx", picture::pcx24(W, H, rgb.data()), rgb}};
  imgtest::ScratchDir dir;
  for (const auto& f : files) {
    KR_Image image;
    mirvotest::captureStderr();
    EXPECT_TRUE(image.loadImage(dir.write(f.name, f.bytes))) << f.name;
    EXPECT_EQ(mirvotest::capturedStderr(), "") << f.name;
    EXPECT_EQ(differences(image, f.want), 0) << f.name;
  }
}

TEST(PictureWriter, PngReadsBackPixelForPixel) {
  const std::vector<std::uint8_t> idx = indices();
  std::vector<picture::Rgb> rgb;
  for (std::size_t i = 0; i < idx.size(); ++i) rgb.push_back(colour(i, idx[i]));
  imgtest::ScratchDir dir;
  ASSERT_TRUE(picture::writePng(dir.file("p.png"), W, H, rgb.data(), 3));
  const mirvo_test::PngImage png = mirvo_test::readPng(dir.file("p.png"));
  ASSERT_EQ(png.width, W);
  ASSERT_EQ(png.height, H);
  int differing = 0;
  for (std::size_t i = 0; i < rgb.size(); ++i)
    differing += png.pixels[i] != mirvo_test::Rgb{rgb[i].r, rgb[i].g, rgb[i].b};
  EXPECT_EQ(differing, 0);
  EXPECT_FALSE(picture::writePng(dir.file("missing/p.png"), W, H, rgb.data()));
}

}  // namespace
