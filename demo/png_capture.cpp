// png_capture.cpp - frame capture through the project's picture writer.
#include "png_capture.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "picture_writer.h"

static_assert(sizeof(picture::Rgb) == 3, "a row of picture::Rgb is a row of RGB bytes");

void readFrame(int width, int height, std::vector<unsigned char>& pixels) {
  pixels.resize(size_t(width) * size_t(height) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

bool captureFramePng(const std::string& path, int width, int height) {
  std::vector<unsigned char> pixels;
  readFrame(width, height, pixels);
  return writeFramePng(path, pixels, width, height);
}

bool writeFramePng(const std::string& path, const std::vector<unsigned char>& pixels, int width,
                   int height) {
  const size_t rowBytes = size_t(width) * 3;
  if (pixels.size() != rowBytes * size_t(height)) return false;
  // GL delivers the lowest row first; the writer takes the top row first.
  std::vector<picture::Rgb> picture(size_t(width) * size_t(height));
  for (int row = 0; row < height; ++row)
    std::memcpy(picture.data() + size_t(row) * size_t(width),
                pixels.data() + size_t(height - 1 - row) * rowBytes, rowBytes);
  if (picture::writePng(path, width, height, picture.data())) return true;
  std::fprintf(stderr, "kora-demo: cannot write %s\n", path.c_str());
  return false;
}
