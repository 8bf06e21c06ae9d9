// reader_fixture.h - the fixture shared by the BMP and PCX reader tests: files written to a
// scratch folder, loaded with what the reader wrote on stderr kept, and an image that shows
// whether a failed load left it alone.
#ifndef KORA_TEST_READER_FIXTURE_H
#define KORA_TEST_READER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "image_files.h"
#include "output_capture.h"

namespace imgtest {

class ImageReaderTest : public ::testing::Test {
 protected:
  explicit ImageReaderTest(std::string defaultName) : defaultName(std::move(defaultName)) {}

  // Loads `bytes`, written as `name` (picture.bmp, picture.pcx ... by default), into `image`,
  // keeping what the reader wrote on stderr in `err`.
  bool load(KORA::KR_Image& image, const Bytes& bytes) { return load(image, bytes, defaultName); }
  bool load(KORA::KR_Image& image, const Bytes& bytes, const std::string& name) {
    const std::string path = dir.write(name, bytes);
    mirvotest::OutputCapture capture(2);
    const bool ok = image.loadImage(path);
    err = capture.stop();
    return ok;
  }

  // An image holding one known pixel and raster position.
  static KORA::KR_Image marked() {
    KORA::KR_Image image(1, 1);
    image.setPixel(0, 0, KORA::KR_RGBA(1, 2, 3, 4));
    image.rasterpos_x = 7;
    return image;
  }
  static void expectUnchanged(const KORA::KR_Image& image) {
    ASSERT_EQ(image.rows, 1);
    ASSERT_EQ(image.columns, 1);
    EXPECT_EQ(at(image, 0, 0), KORA::KR_RGBA(1, 2, 3, 4));
    EXPECT_EQ(image.rasterpos_x, 7);
  }

  ScratchDir dir;
  std::string err;

 private:
  std::string defaultName;
};

}  // namespace imgtest

#endif
