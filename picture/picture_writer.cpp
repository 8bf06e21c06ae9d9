// picture_writer.cpp - BMP, PCX and PNG writers.
#include "picture_writer.h"

#include <png.h>

#include <cstdio>

namespace picture {

void put16(Bytes& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}

void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFFu);
  put16(b, v >> 16);
}

void set16(Bytes& b, std::size_t at, unsigned v) {
  b.at(at) = std::uint8_t(v);
  b.at(at + 1) = std::uint8_t(v >> 8);
}

void set32(Bytes& b, std::size_t at, std::uint32_t v) {
  set16(b, at, v & 0xFFFFu);
  set16(b, at + 2, v >> 16);
}

Bytes bmpHeader(std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t compression,
                std::uint32_t dataSize) {
  const std::uint32_t offset = bits == 8 ? 54 + 1024 : 54;
  Bytes b{'B', 'M'};
  put32(b, offset + dataSize);
  put32(b, 0);
  put32(b, offset);
  put32(b, 40);
  put32(b, std::uint32_t(width));
  put32(b, std::uint32_t(height));
  put16(b, 1);
  put16(b, bits);
  put32(b, compression);
  put32(b, dataSize);
  put32(b, 2835);  // 72 dpi
  put32(b, 2835);
  put32(b, bits == 8 ? 256 : 0);
  put32(b, 0);
  return b;
}

Bytes bmpPalette(const Rgb* palette) {
  Bytes b;
  for (int i = 0; i < 256; ++i) b.insert(b.end(), {palette[i].b, palette[i].g, palette[i].r, 0});
  return b;
}

namespace {

std::size_t padded4(std::size_t n) { return (n + 3) & ~std::size_t(3); }

Bytes join(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// Raw rows, bottom scan line first, each padded to four bytes.
template <typename PutPixel>
Bytes bmpRows(int width, int height, std::size_t bytesPerPixel, PutPixel put) {
  const std::size_t rowBytes = padded4(std::size_t(width) * bytesPerPixel);
  Bytes data;
  data.reserve(rowBytes * std::size_t(height));
  for (int row = height - 1; row >= 0; --row) {
    const std::size_t start = data.size();
    for (int col = 0; col < width; ++col) put(data, std::size_t(row) * width + col);
    data.resize(start + rowBytes, 0);
  }
  return data;
}

}  // namespace

Bytes bmp24(int width, int height, const Rgb* pixels) {
  const Bytes data = bmpRows(width, height, 3, [pixels](Bytes& d, std::size_t i) {
    d.insert(d.end(), {pixels[i].b, pixels[i].g, pixels[i].r});
  });
  return join(bmpHeader(width, height, 24, 0, std::uint32_t(data.size())), data);
}

Bytes bmp8(int width, int height, const std::uint8_t* indices, const Rgb* palette) {
  const Bytes data =
      bmpRows(width, height, 1, [indices](Bytes& d, std::size_t i) { d.push_back(indices[i]); });
  return join(join(bmpHeader(width, height, 8, 0, std::uint32_t(data.size())), bmpPalette(palette)),
              data);
}

Bytes bmpRle8(int width, int height, const std::uint8_t* indices, const Rgb* palette) {
  Bytes data;
  for (int row = height - 1; row >= 0; --row) {
    const std::uint8_t* line = indices + std::size_t(row) * width;
    int x = 0;
    while (x < width) {
      int run = 1;
      while (x + run < width && run < 255 && line[x + run] == line[x]) ++run;
      if (run >= 2) {
        data.insert(data.end(), {std::uint8_t(run), line[x]});
        x += run;
        continue;
      }
      // Gather literals up to the next pair of equal indices.
      int lit = 1;
      while (x + lit < width && lit < 255 &&
             !(x + lit + 1 < width && line[x + lit] == line[x + lit + 1]))
        ++lit;
      if (lit < 3) {
        for (int i = 0; i < lit; ++i) data.insert(data.end(), {1, line[x + i]});
      } else {
        data.insert(data.end(), {0, std::uint8_t(lit)});
        data.insert(data.end(), line + x, line + x + lit);
        if (lit & 1) data.push_back(0);
      }
      x += lit;
    }
    data.insert(data.end(), {0, std::uint8_t(row == 0 ? 1 : 0)});  // end of line; of bitmap
  }
  return join(join(bmpHeader(width, height, 8, 1, std::uint32_t(data.size())), bmpPalette(palette)),
              data);
}

Bytes pcxHeader(int xMin, int yMin, int xMax, int yMax, int planes, int bytesPerLine) {
  Bytes b{10, 5, 1, 8};  // ZSoft, version 5, run-length, 8 bits per pixel and plane
  put16(b, unsigned(xMin));
  put16(b, unsigned(yMin));
  put16(b, unsigned(xMax));
  put16(b, unsigned(yMax));
  put16(b, 72);
  put16(b, 72);
  b.resize(65, 0);  // 16-colour map and reserved byte
  b.push_back(std::uint8_t(planes));
  put16(b, unsigned(bytesPerLine));
  put16(b, 1);  // colour palette
  b.resize(128, 0);
  return b;
}

void pcxLine(Bytes& b, const std::uint8_t* values, int width, int bytesPerLine) {
  auto at = [&](int x) { return x < width ? values[x] : std::uint8_t(0); };
  int x = 0;
  while (x < bytesPerLine) {
    const std::uint8_t v = at(x);
    int run = 1;
    while (x + run < bytesPerLine && run < 63 && at(x + run) == v) ++run;
    if (run > 1 || (v & 0xC0) == 0xC0) b.push_back(std::uint8_t(0xC0 | run));
    b.push_back(v);
    x += run;
  }
}

Bytes pcx8(int width, int height, const std::uint8_t* indices, const Rgb* palette) {
  const int line = (width + 1) & ~1;
  Bytes b = pcxHeader(0, 0, width - 1, height - 1, 1, line);
  for (int row = 0; row < height; ++row)
    pcxLine(b, indices + std::size_t(row) * width, width, line);
  b.push_back(12);  // palette marker
  for (int i = 0; i < 256; ++i) b.insert(b.end(), {palette[i].r, palette[i].g, palette[i].b});
  return b;
}

Bytes pcx24(int width, int height, const Rgb* pixels) {
  const int line = (width + 1) & ~1;
  Bytes b = pcxHeader(0, 0, width - 1, height - 1, 3, line);
  std::vector<std::uint8_t> plane(std::size_t(width) + 1);
  for (int row = 0; row < height; ++row)
    for (int k = 0; k < 3; ++k) {
      for (int col = 0; col < width; ++col) {
        const Rgb& c = pixels[std::size_t(row) * width + col];
        plane[std::size_t(col)] = k == 0 ? c.r : (k == 1 ? c.g : c.b);
      }
      pcxLine(b, plane.data(), width, line);
    }
  return b;
}

bool save(const std::string& path, const Bytes& bytes, const char* who) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", who, path.c_str());
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  ok = std::fclose(out) == 0 && ok;
  if (!ok) std::fprintf(stderr, "%s: error writing %s\n", who, path.c_str());
  return ok;
}

bool writePng(const std::string& path, int width, int height, const Rgb* pixels, int compression) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    std::fclose(out);
    return false;
  }
  png_init_io(png, out);
  if (compression >= 0) png_set_compression_level(png, compression);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int row = 0; row < height; ++row)
    png_write_row(png, reinterpret_cast<png_const_bytep>(pixels + std::size_t(row) * width));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}

}  // namespace picture
