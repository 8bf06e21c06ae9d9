// png_capture.cpp - frame capture through libpng.
#include "png_capture.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <vector>

std::vector<unsigned char> readFrame(int width, int height) {
  std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

bool captureFramePng(const std::string& path, int width, int height) {
  return writeFramePng(path, readFrame(width, height), width, height);
}

bool writeFramePng(const std::string& path, const std::vector<unsigned char>& pixels, int width, int height) {
  if (pixels.size() != size_t(width) * size_t(height) * 3) return false;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "kora-demo: cannot write %s\n", path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    std::fprintf(stderr, "kora-demo: error writing %s\n", path.c_str());
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // GL delivers the lowest row first; PNG wants the top row first.
  for (int row = height - 1; row >= 0; --row)
    png_write_row(png, pixels.data() + size_t(row) * size_t(width) * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}
