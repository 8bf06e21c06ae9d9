// picture_writer.h - writes pictures as Windows bitmaps (24-bit, 8-bit raw or run-length),
// ZSoft PCX (8-bit with a 256-colour palette, or three 8-bit planes) and PNG. Shared by the
// tools that make the committed pictures, the tests and the benchmarks.
//
// Pictures are given top row first. Palettes have 256 entries. The BMP headers are the
// 54-byte file and 40-byte information header (72 dpi); the PCX files are version 5,
// run-length encoded, 72 dpi, their lines padded to an even length.
#ifndef MIRVO_PICTURE_WRITER_H
#define MIRVO_PICTURE_WRITER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace picture {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  std::uint8_t r, g, b;
};

// Little-endian fields: appended, or written over the bytes at `at`.
void put16(Bytes& b, unsigned v);
void put32(Bytes& b, std::uint32_t v);
void set16(Bytes& b, std::size_t at, unsigned v);
void set32(Bytes& b, std::size_t at, std::uint32_t v);

// The BMP headers for `dataSize` bytes of pixel data; an 8-bit file's palette (1024 bytes)
// counts into the data offset but is not written.
Bytes bmpHeader(std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t compression,
                std::uint32_t dataSize);
Bytes bmpPalette(const Rgb* palette);  // blue, green, red, unused
Bytes bmp24(int width, int height, const Rgb* pixels);
Bytes bmp8(int width, int height, const std::uint8_t* indices, const Rgb* palette);
// Run-length (BI_RLE8): encoded runs for repeats, absolute runs for three or more others.
Bytes bmpRle8(int width, int height, const std::uint8_t* indices, const Rgb* palette);

Bytes pcxHeader(int xMin, int yMin, int xMax, int yMax, int planes, int bytesPerLine);
// One run-length plane line of `width` values, padded with zeros to `bytesPerLine`.
void pcxLine(Bytes& b, const std::uint8_t* values, int width, int bytesPerLine);
Bytes pcx8(int width, int height, const std::uint8_t* indices, const Rgb* palette);
Bytes pcx24(int width, int height, const Rgb* pixels);

// Writes the bytes to `path`; false (with a message naming `who`) on failure.
bool save(const std::string& path, const Bytes& bytes, const char* who);
// An 8-bit RGB PNG; compression level 0 to 9, or -1 for libpng's default.
bool writePng(const std::string& path, int width, int height, const Rgb* pixels,
              int compression = -1);

}  // namespace picture

#endif
