// Independent checks: pictures written by ImageMagick are decoded by KR_Image, by ImageMagick
// itself and by SDL_image's IMG_Load, and every pixel must agree (alpha 255, top row first).
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image_files.h"
#include "output_capture.h"

using KORA::KR_Image;
using KORA::KR_RGBA;
using namespace imgtest;

namespace {

using Picture = std::vector<KR_RGBA>;  // row 0 first

// A true-colour test picture with no two neighbours alike.
Picture trueColour(int w, int h) {
  Picture p;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p.push_back(KR_RGBA(std::uint8_t(x * 37 + y * 11), std::uint8_t(x * y * 3 + 17),
                          std::uint8_t(x * 5 + y * 71), 255));
  return p;
}

// A palette picture using min(256, w * h) distinct colours (at least 17, so that ImageMagick
// writes 8 bits per pixel rather than 1 or 4).
Picture paletteColours(int w, int h) {
  const int k = std::min(256, w * h);
  Picture p;
  for (int i = 0; i < w * h; ++i) {
    const int c = (i * 7) % k;
    p.push_back(
        KR_RGBA(std::uint8_t(c * 13), std::uint8_t(c * 101), std::uint8_t(c * 7 + 50), 255));
  }
  return p;
}

class CrossCheck : public ::testing::Test {
 protected:
  ScratchDir dir;

  void SetUp() override {
    if (std::string(KORA_IMAGEMAGICK_CONVERT).empty() || KORA_IMAGEMAGICK_CONVERT[0] != '/')
      FAIL() << "ImageMagick's convert was not found at configure time";
  }

  static int run(const std::string& command) { return std::system((command + " 2>&1").c_str()); }

  // Writes `p` as a PPM and converts it with ImageMagick: `options` then `format:name`.
  std::string magickWrite(const Picture& p, int w, int h, const std::string& options,
                          const std::string& target) {
    Bytes ppm;
    const std::string head = "P6 " + std::to_string(w) + " " + std::to_string(h) + " 255\n";
    ppm.assign(head.begin(), head.end());
    for (const KR_RGBA& c : p) ppm.insert(ppm.end(), {c.r, c.g, c.b});
    const std::string source = dir.write("source.ppm", ppm);
    const std::string out = dir.file(target.substr(target.find(':') + 1));
    EXPECT_EQ(run(std::string(KORA_IMAGEMAGICK_CONVERT) + " " + source + " " + options + " " +
                  target.substr(0, target.find(':') + 1) + out),
              0);
    return out;
  }

  // ImageMagick's own decode of `file`, as RGB top row first.
  Picture magickRead(const std::string& file, int w, int h) {
    const std::string raw = dir.file("decoded.rgb");
    EXPECT_EQ(run(std::string(KORA_IMAGEMAGICK_CONVERT) + " " + file + " -depth 8 RGB:" + raw), 0);
    const Bytes b = readFile(raw);
    Picture p;
    for (std::size_t i = 0; i + 2 < b.size(); i += 3)
      p.push_back(KR_RGBA(b[i], b[i + 1], b[i + 2], 255));
    EXPECT_EQ(p.size(), std::size_t(w) * h);
    return p;
  }

  // SDL_image's decode of `file`, whatever the surface format, as RGB with alpha 255.
  static Picture sdlRead(const std::string& file) {
    Picture p;
    SDL_Surface* s = IMG_Load(file.c_str());
    if (s == nullptr) {
      ADD_FAILURE() << "IMG_Load: " << IMG_GetError();
      return p;
    }
    SDL_LockSurface(s);
    const int bpp = s->format->BytesPerPixel;
    for (int y = 0; y < s->h; ++y) {
      for (int x = 0; x < s->w; ++x) {
        const Uint8* at = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * bpp;
        Uint32 value = 0;
        switch (bpp) {
          case 1: value = *at; break;
          case 2: value = *reinterpret_cast<const Uint16*>(at); break;
          case 3:
            value = SDL_BYTEORDER == SDL_LIL_ENDIAN ? at[0] | at[1] << 8 | at[2] << 16
                                                    : at[2] | at[1] << 8 | at[0] << 16;
            break;
          default: value = *reinterpret_cast<const Uint32*>(at);
        }
        Uint8 r, g, b;
        SDL_GetRGB(value, s->format, &r, &g, &b);
        p.push_back(KR_RGBA(r, g, b, 255));
      }
    }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return p;
  }

  static void expectSame(const KR_Image& ours, const Picture& theirs, int w, int h,
                         const char* who) {
    ASSERT_EQ(ours.columns, w) << who;
    ASSERT_EQ(ours.rows, h) << who;
    ASSERT_EQ(theirs.size(), std::size_t(w) * h) << who;
    int differing = 0;
    for (int i = 0; i < w * h; ++i)
      if (ours.data()[i] != theirs[i] && ++differing <= 3)
        ADD_FAILURE() << who << ": pixel (" << i / w << ", " << i % w << ") is ("
                      << int(ours.data()[i].r) << ", " << int(ours.data()[i].g) << ", "
                      << int(ours.data()[i].b) << ", " << int(ours.data()[i].a) << "), expected ("
                      << int(theirs[i].r) << ", " << int(theirs[i].g) << ", " << int(theirs[i].b)
                      << ")";
    EXPECT_EQ(differing, 0) << who;
  }

  // Writes the picture with ImageMagick, loads it, and compares with the picture itself,
  // ImageMagick's decode and SDL_image's decode.
  void check(const Picture& p, int w, int h, const std::string& options, const std::string& target,
             int expectedBits) {
    SCOPED_TRACE(target + " " + options + " " + std::to_string(w) + " x " + std::to_string(h));
    const std::string file = magickWrite(p, w, h, options, target);
    const Bytes bytes = readFile(file);
    if (target.rfind("BMP3", 0) == 0) {
      ASSERT_EQ(bytes.at(28), expectedBits) << "ImageMagick chose another depth";
      ASSERT_EQ(bytes.at(14), 40) << "not the 40-byte information header";
    } else {
      ASSERT_EQ(bytes.at(65) * 8, expectedBits) << "ImageMagick chose another plane count";
    }
    KR_Image image;
    mirvotest::captureStderr();
    const bool ok = image.loadImage(file);
    const std::string err = mirvotest::capturedStderr();
    ASSERT_TRUE(ok) << err;
    EXPECT_EQ(err, "");
    expectSame(image, p, w, h, "the picture written");
    expectSame(image, magickRead(file, w, h), w, h, "ImageMagick");
    expectSame(image, sdlRead(file), w, h, "SDL_image");
  }
};

const std::pair<int, int> TRUE_COLOUR_SIZES[] = {{1, 1},  {2, 2},   {3, 5},
                                                 {17, 4}, {64, 48}, {255, 3}};
const std::pair<int, int> PALETTE_SIZES[] = {{17, 1},  {5, 4},   {31, 9},
                                             {64, 64}, {255, 3}, {33, 40}};

TEST_F(CrossCheck, Bmp3TrueColour) {
  for (auto [w, h] : TRUE_COLOUR_SIZES)
    check(trueColour(w, h), w, h, "-type TrueColor", "BMP3:t.bmp", 24);
}

TEST_F(CrossCheck, Bmp3EightBitRaw) {
  for (auto [w, h] : PALETTE_SIZES)
    check(paletteColours(w, h), w, h, "-type Palette -compress None", "BMP3:p.bmp", 8);
}

TEST_F(CrossCheck, Bmp3EightBitRle8) {
  for (auto [w, h] : PALETTE_SIZES) {
    check(paletteColours(w, h), w, h, "-type Palette -compress RLE", "BMP3:r.bmp", 8);
    const Bytes b = readFile(dir.file("r.bmp"));
    EXPECT_EQ(b.at(30), 1) << "not run-length encoded";
  }
  // Long runs of one colour too.
  Picture flat(100 * 7, KR_RGBA(9, 9, 9, 255));
  for (int i = 0; i < 20; ++i) flat[i * 31] = KR_RGBA(std::uint8_t(i * 12), 1, 2, 255);
  check(flat, 100, 7, "-type Palette -compress RLE", "BMP3:r.bmp", 8);
}

TEST_F(CrossCheck, PcxPalette) {
  for (auto [w, h] : PALETTE_SIZES)
    check(paletteColours(w, h), w, h, "-type Palette", "PCX:p.pcx", 8);
  check(paletteColours(3, 1), 3, 1, "-type Palette", "PCX:p.pcx", 8);
  check(paletteColours(1, 7), 1, 7, "-type Palette", "PCX:p.pcx", 8);
}

TEST_F(CrossCheck, PcxTrueColour) {
  for (auto [w, h] : TRUE_COLOUR_SIZES)
    check(trueColour(w, h), w, h, "-type TrueColor", "PCX:t.pcx", 24);
}

// Where the readers' fixed rules part from other decoders.

TEST_F(CrossCheck, LargerBmpHeadersAreReadAsIfTheyHeld40Bytes) {
  // ImageMagick's default BMP has a 124-byte header and its data at offBits = 138; the reader
  // knows only the 40-byte layout and takes the pixel data from offset 54, so its picture is
  // the header's tail followed by the data, not the picture ImageMagick wrote.
  const int w = 4, h = 2;
  const std::string file = magickWrite(trueColour(w, h), w, h, "-type TrueColor", "BMP:v5.bmp");
  const Bytes b = readFile(file);
  ASSERT_EQ(b.at(14), 124);
  ASSERT_EQ(b.at(10), 138);
  KR_Image image;
  ASSERT_TRUE(image.loadImage(file));
  // The bottom row comes first in the file: pixel (1, 0) is made of bytes 54, 55, 56 (b, g, r).
  EXPECT_EQ(at(image, 1, 0), KR_RGBA(b[56], b[55], b[54], 255));
  EXPECT_NE(at(image, 1, 0), trueColour(w, h)[4]);
}

TEST_F(CrossCheck, PcxPadBytesCodedOnTheirOwnAreSkippedAsImageMagickDoes) {
  // An encoder that pads odd lines to an even bytesPerLine may code the pad byte on its own.
  // Reading a plane line only up to the width would take that byte as the next plane line's
  // first value; the reader reads every plane line to bytesPerLine and so agrees with
  // ImageMagick. SDL_image 1.2 takes the plane lines at intervals of the width, so it shifts
  // the green and blue planes by the pad bytes: the one decode that differs here.
  const int w = 3, h = 2;
  Bytes file = join(pcxHeader(0, 0, w - 1, h - 1, 3, 4),
                    {10, 11, 12, 0x2A, 20, 21, 22, 0x2A, 30, 31, 32, 0x2A,
                     40, 41, 42, 0x2A, 50, 51, 52, 0x2A, 60, 61, 62, 0x2A});
  const std::string path = dir.write("padded.pcx", file);
  KR_Image image;
  ASSERT_TRUE(image.loadImage(path));
  const Picture expected = {KR_RGBA(10, 20, 30, 255), KR_RGBA(11, 21, 31, 255),
                            KR_RGBA(12, 22, 32, 255), KR_RGBA(40, 50, 60, 255),
                            KR_RGBA(41, 51, 61, 255), KR_RGBA(42, 52, 62, 255)};
  expectSame(image, expected, w, h, "the picture written");
  expectSame(image, magickRead(path, w, h), w, h, "ImageMagick");
  const Picture sdl = sdlRead(path);
  ASSERT_EQ(sdl.size(), 6u);
  EXPECT_EQ(sdl[0], KR_RGBA(10, 0x2A, 22, 255));  // green from the red plane's pad byte
}

}  // namespace
