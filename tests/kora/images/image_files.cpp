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

Bytes bmpHeader(std::int32_t width, std::int32_t height, std::uint16_t bits,
                std::uint32_t compression) {
  return picture::bmpHeader(width, height, bits, compression, 0);
}

KORA::KR_RGBA bmpPaletteColour(int i) {
  return KORA::KR_RGBA(std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2), 255);
}

static std::vector<picture::Rgb> defaultBmpPalette() {
  std::vector<picture::Rgb> palette;
  for (int i = 0; i < 256; ++i) {
    const KORA::KR_RGBA c = bmpPaletteColour(i);
    palette.push_back({c.r, c.g, c.b});
  }
  return palette;
}

Bytes bmpPalette() { return picture::bmpPalette(defaultBmpPalette().data()); }

void setBmpPalette(Bytes& file, int index, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  file.at(54 + 4 * index) = b;
  file.at(54 + 4 * index + 1) = g;
  file.at(54 + 4 * index + 2) = r;
}

Bytes bmp24(int width, int height, const std::vector<KORA::KR_RGBA>& topFirst) {
  std::vector<picture::Rgb> pixels;
  for (std::size_t i = 0; i < std::size_t(width) * height; ++i)
    pixels.push_back({topFirst.at(i).r, topFirst.at(i).g, topFirst.at(i).b});
  return picture::bmp24(width, height, pixels.data());
}

Bytes bmp8(int width, int height, const std::vector<std::uint8_t>& topFirst) {
  return picture::bmp8(width, height, topFirst.data(), defaultBmpPalette().data());
}

Bytes bmpRle(int width, int height, const Bytes& data) {
  return join(
      join(picture::bmpHeader(width, height, 8, 1, std::uint32_t(data.size())), bmpPalette()),
      data);
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
