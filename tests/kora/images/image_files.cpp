// image_files.cpp - BMP and PCX builders and scratch files for the reader tests.
#include "image_files.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace imgtest {

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b.at(at) = v & 0xFF;
  b.at(at + 1) = v >> 8;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = (v >> (8 * i)) & 0xFF;
}

Bytes bmpHeader(std::int32_t width, std::int32_t height, std::uint16_t bits,
                std::uint32_t compression) {
  Bytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, bits == 8 ? 1078 : 54);
  put32(b, 14, 40);
  put32(b, 18, static_cast<std::uint32_t>(width));
  put32(b, 22, static_cast<std::uint32_t>(height));
  put16(b, 26, 1);
  put16(b, 28, bits);
  put32(b, 30, compression);
  put32(b, 46, bits == 8 ? 256 : 0);
  return b;
}

KORA::KR_RGBA bmpPaletteColour(int i) {
  return KORA::KR_RGBA(std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2), 255);
}

Bytes bmpPalette() {
  Bytes p;
  for (int i = 0; i < 256; ++i) {
    const KORA::KR_RGBA c = bmpPaletteColour(i);
    p.insert(p.end(), {c.b, c.g, c.r, 0});
  }
  return p;
}

void setBmpPalette(Bytes& file, int index, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  file.at(54 + 4 * index) = b;
  file.at(54 + 4 * index + 1) = g;
  file.at(54 + 4 * index + 2) = r;
}

static std::size_t padded(std::size_t n) { return (n + 3) & ~std::size_t(3); }

Bytes bmp24(int width, int height, const std::vector<KORA::KR_RGBA>& topFirst) {
  Bytes b = bmpHeader(width, height, 24, 0);
  for (int row = height - 1; row >= 0; --row) {
    const std::size_t start = b.size();
    for (int c = 0; c < width; ++c) {
      const KORA::KR_RGBA& p = topFirst.at(std::size_t(row) * width + c);
      b.insert(b.end(), {p.b, p.g, p.r});
    }
    b.resize(start + padded(std::size_t(width) * 3), 0);
  }
  put32(b, 2, std::uint32_t(b.size()));
  return b;
}

Bytes bmp8(int width, int height, const std::vector<std::uint8_t>& topFirst) {
  Bytes b = join(bmpHeader(width, height, 8, 0), bmpPalette());
  for (int row = height - 1; row >= 0; --row) {
    const std::size_t start = b.size();
    for (int c = 0; c < width; ++c) b.push_back(topFirst.at(std::size_t(row) * width + c));
    b.resize(start + padded(std::size_t(width)), 0);
  }
  put32(b, 2, std::uint32_t(b.size()));
  return b;
}

Bytes bmpRle(int width, int height, const Bytes& data) {
  Bytes b = join(join(bmpHeader(width, height, 8, 1), bmpPalette()), data);
  put32(b, 2, std::uint32_t(b.size()));
  return b;
}

Bytes pcxHeader(int xMin, int yMin, int xMax, int yMax, int planes, int bytesPerLine) {
  Bytes b(128, 0);
  b[0] = 10;
  b[1] = 5;
  b[2] = 1;
  b[3] = 8;
  put16(b, 4, std::uint16_t(xMin));
  put16(b, 6, std::uint16_t(yMin));
  put16(b, 8, std::uint16_t(xMax));
  put16(b, 10, std::uint16_t(yMax));
  put16(b, 12, 72);
  put16(b, 14, 72);
  b[65] = std::uint8_t(planes);
  put16(b, 66, std::uint16_t(bytesPerLine));
  put16(b, 68, 1);
  return b;
}

KORA::KR_RGBA pcxPaletteColour(int i) {
  return KORA::KR_RGBA(std::uint8_t(255 - i), std::uint8_t(i), std::uint8_t(i / 3), 255);
}

Bytes pcxPalette() {
  Bytes p;
  for (int i = 0; i < 256; ++i) {
    const KORA::KR_RGBA c = pcxPaletteColour(i);
    p.insert(p.end(), {c.r, c.g, c.b});
  }
  return p;
}

Bytes join(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

ScratchDir::ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/kora_images_XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

std::string ScratchDir::write(const std::string& name, const Bytes& bytes) const {
  const std::string path = file(name);
  writeFile(path, bytes);
  return path;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace imgtest
