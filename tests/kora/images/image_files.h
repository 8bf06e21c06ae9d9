// image_files.h - builders for BMP and PCX file images, and scratch files, for the reader tests.
#ifndef KORA_TEST_IMAGE_FILES_H
#define KORA_TEST_IMAGE_FILES_H

#include <KORA/KR_Image.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture_writer.h"

namespace imgtest {

using Bytes = std::vector<std::uint8_t>;
using picture::set16;  // little-endian fields written over the bytes at an offset
using picture::set32;

// The 54-byte BMP file and 40-byte information header, nothing after it.
Bytes bmpHeader(std::int32_t width, std::int32_t height, std::uint16_t bits,
                std::uint32_t compression);
// 256 palette entries of blue, green, red, unused: entry i is (r, g, b) = (i, 255 - i, i / 2)
// unless overridden afterwards with setBmpPalette.
Bytes bmpPalette();
void setBmpPalette(Bytes& file, int index, std::uint8_t r, std::uint8_t g, std::uint8_t b);
KORA::KR_RGBA bmpPaletteColour(int index);  // the default entry above

// A 24-bit BMP of the given pixels (row 0 = top), rows padded to four bytes.
Bytes bmp24(int width, int height, const std::vector<KORA::KR_RGBA>& topFirst);
// An 8-bit raw BMP with the default palette and the given indices (row 0 = top).
Bytes bmp8(int width, int height, const std::vector<std::uint8_t>& topFirst);
// An 8-bit RLE BMP with the default palette followed by the given run-length data.
Bytes bmpRle(int width, int height, const Bytes& data);

// The 128-byte PCX header: manufacturer 10, version 5, encoding 1, 8 bits.
using picture::pcxHeader;
// A 768-byte palette of red, green, blue: entry i is (255 - i, i, i / 3).
Bytes pcxPalette();
KORA::KR_RGBA pcxPaletteColour(int index);
// Appends `tail` to `head`.
Bytes join(Bytes head, const Bytes& tail);

// A fresh scratch directory, removed with its contents on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return dir; }
  std::string file(const std::string& name) const { return dir + "/" + name; }
  std::string write(const std::string& name, const Bytes& bytes) const;  // returns the path
 private:
  std::string dir;
};

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);

// Read access to a loaded image's pixels, for comparisons.
inline KORA::KR_RGBA at(const KORA::KR_Image& image, int row, int column) {
  return image.data()[static_cast<std::size_t>(row) * image.columns + column];
}

}  // namespace imgtest

#endif
