// image_fuzz_entry.cpp - one decode per call, through a KR_Image subclass that reaches the
// in-memory decoders, followed by checks of the result.
#include "image_fuzz_entry.h"

#include <KORA/KR_Image.h>

#include <cstdlib>
#include <iostream>
#include <streambuf>

#include "KR_ImageLimits.h"

namespace korafuzz {

namespace {

const long FUZZ_PIXEL_LIMIT = 1L << 12;  // big rasters only slow the fuzzers down

// Starts as a marked 1 x 1 picture, so that a failed decode can be seen to leave it alone.
class FuzzImage : public KORA::KR_Image {
 public:
  FuzzImage() : KR_Image(1, 1) { setPixel(0, 0, KORA::KR_RGBA(1, 2, 3, 4)); }
  using KR_Image::decodeBMP;
  using KR_Image::decodePCX;
  const KORA::KR_RGBA* raster() const { return pixels; }
};

void require(bool condition) {
  if (!condition) std::abort();
}

// What any decode must leave: on success a whole raster of the stated size, every alpha 255;
// on failure either the old 1 x 1 picture or (after a failed allocation) no pixels.
int check(const FuzzImage& image, bool ok) {
  if (ok) {
    require(image.rows > 0 && image.columns > 0);
    require(long(image.rows) * image.columns <= FUZZ_PIXEL_LIMIT);
    require(image.raster() != nullptr);
    const std::size_t n = std::size_t(image.rows) * std::size_t(image.columns);
    unsigned colours = 0;
    for (std::size_t i = 0; i < n; ++i) {
      require(image.raster()[i].a == 255);
      colours |= image.raster()[i].r;  // reads every pixel: uninitialised memory would show
    }
    volatile unsigned keep = colours;
    (void)keep;
    return 1;
  }
  require(image.rows == 1 && image.columns == 1 && image.raster() != nullptr);
  require(image.raster()[0] == KORA::KR_RGBA(1, 2, 3, 4));
  return 0;
}

// Swallows the readers' messages.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

void setUp() {
  static bool done = false;
  if (done) return;
  done = true;
  static NullBuffer* sink = new NullBuffer;  // outlives the stream's flush at exit
  std::cerr.rdbuf(sink);
  KORA::setImagePixelLimit(FUZZ_PIXEL_LIMIT);
}

int decodeBmp(const std::uint8_t* data, std::size_t size) {
  setUp();
  FuzzImage image;
  const bool ok = image.decodeBMP(data, size);
  return check(image, ok);
}

int decodePcx(const std::uint8_t* data, std::size_t size) {
  setUp();
  FuzzImage image;
  const bool ok = image.decodePCX(data, size);
  return check(image, ok);
}

}  // namespace korafuzz
