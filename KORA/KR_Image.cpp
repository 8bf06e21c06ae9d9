// KR_Image.cpp - the RGBA raster, its copies and its OpenGL operations.
#include "KR_Image.h"

#include <GL/glu.h>

#include <algorithm>
#include <memory>
#include <new>

namespace KORA {

static std::size_t pixelCount(int rows, int columns) {
  if (rows <= 0 || columns <= 0) return 0;
  return static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
}

KR_RGBA* KR_Image::allocatePixels(std::size_t n, bool opaque_black) {
  void* block = ::operator new[](n * sizeof(KR_RGBA), std::nothrow);
  if (block == nullptr) return nullptr;
  KR_RGBA* p = static_cast<KR_RGBA*>(block);
  if (opaque_black) std::uninitialized_fill_n(p, n, KR_RGBA());
  return p;
}

void KR_Image::releasePixels(KR_RGBA* p) { ::operator delete[](p); }

KR_RGBA* KR_Image::opaqueBlack(std::size_t n) {
  KR_RGBA* p = allocatePixels(n, true);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

KR_Image::KR_Image() : rasterpos_x(0), rasterpos_y(0), rows(0), columns(0), pixels(nullptr) {
  glPixelZoom(1.0f, -1.0f);
}

KR_Image::KR_Image(int width, int height)
    : rasterpos_x(0), rasterpos_y(0), rows(height), columns(width), pixels(nullptr) {
  pixels = opaqueBlack(pixelCount(rows, columns));
  glPixelZoom(1.0f, -1.0f);
}

KR_Image::KR_Image(const std::string& filename)
    : rasterpos_x(0), rasterpos_y(0), rows(0), columns(0), pixels(nullptr) {
  loadImage(filename);
  glPixelZoom(1.0f, -1.0f);
}

KR_Image::KR_Image(NoGL) : rasterpos_x(0), rasterpos_y(0), rows(0), columns(0), pixels(nullptr) {}

KR_Image::KR_Image(const KR_Image& image)
    : rasterpos_x(image.rasterpos_x),
      rasterpos_y(image.rasterpos_y),
      rows(image.rows),
      columns(image.columns),
      pixels(nullptr) {
  // An image left without pixels by a failed allocation is copied as opaque black.
  const std::size_t n = pixelCount(rows, columns);
  pixels = opaqueBlack(n);
  if (n != 0 && image.pixels != nullptr) std::copy(image.pixels, image.pixels + n, pixels);
}

KR_Image::~KR_Image() { releasePixels(pixels); }

KR_Image& KR_Image::operator=(const KR_Image& image) {
  if (this == &image) return *this;
  const std::size_t n = pixelCount(image.rows, image.columns);
  KR_RGBA* fresh = opaqueBlack(n);  // first: a failure leaves *this as it was
  if (n != 0 && image.pixels != nullptr) std::copy(image.pixels, image.pixels + n, fresh);
  rasterpos_x = image.rasterpos_x;
  rasterpos_y = image.rasterpos_y;
  rows = image.rows;
  columns = image.columns;
  releasePixels(pixels);
  pixels = fresh;
  return *this;
}

void KR_Image::setTextureGL(GLuint* texture_id, GLint wrap_s, GLint wrap_t, GLint mag_filter,
                            GLint min_filter, bool mipmapping) {
  glGenTextures(1, texture_id);
  glBindTexture(GL_TEXTURE_2D, *texture_id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap_s);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap_t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
  if (mipmapping && pixels != nullptr)  // GLU would read through a null raster
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  else
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, columns, rows, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

bool KR_Image::readFromFrameBuffer(int x, int y, int width, int height) {
  releasePixels(pixels);
  pixels = nullptr;
  rows = height;
  columns = width;
  if (width < 0 || height < 0) return false;  // no such block; glReadPixels would refuse it
  // A width or height of 0 still gets an array of its own (empty) and the same GL calls,
  // which read nothing.
  pixels = allocatePixels(pixelCount(rows, columns), true);
  if (pixels == nullptr) return false;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glReadPixels(x, y, columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  return true;
}

void KR_Image::drawToFrameBuffer() const {
  if (rows <= 0 || columns <= 0 || pixels == nullptr) return;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glRasterPos2i(rasterpos_x, rasterpos_y);
  glDrawPixels(columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

void KR_Image::chromaKey(const KR_RGBA& key, byte alpha) {
  const std::size_t n = pixels != nullptr ? pixelCount(rows, columns) : 0;
  for (std::size_t i = 0; i < n; ++i) {
    KR_RGBA& p = pixels[i];
    if (p.r == key.r && p.g == key.g && p.b == key.b) p.a = alpha;
  }
}

bool KR_Image::setPixel(int row, int column, const KR_RGBA& colour) {
  KR_RGBA* p = getPixel(row, column);
  if (p == nullptr) return false;
  *p = colour;
  return true;
}

KR_RGBA* KR_Image::getPixel(int row, int column) {
  if (pixels == nullptr || row < 0 || row >= rows || column < 0 || column >= columns)
    return nullptr;
  return getFastPixel(row, column);
}

const KR_RGBA* KR_Image::getPixel(int row, int column) const {
  return const_cast<KR_Image*>(this)->getPixel(row, column);
}

KR_Image KR_Image::copy(int row, int column, int height, int width) const {
  KR_Image block{NoGL()};
  // Clip [row, row + height) x [column, column + width) to the raster, in 64-bit arithmetic.
  const long top = std::max<long>(row, 0);
  const long left = std::max<long>(column, 0);
  const long bottom = std::min<long>(static_cast<long>(row) + height, pixels ? rows : 0);
  const long right = std::min<long>(static_cast<long>(column) + width, pixels ? columns : 0);
  if (bottom <= top || right <= left) {
    block.pixels = opaqueBlack(0);
    return block;
  }
  block.rows = static_cast<int>(bottom - top);
  block.columns = static_cast<int>(right - left);
  block.pixels = opaqueBlack(pixelCount(block.rows, block.columns));
  for (int r = 0; r < block.rows; ++r) {
    const KR_RGBA* src = pixels + static_cast<std::size_t>(top + r) * columns + left;
    std::copy(src, src + block.columns, block.pixels + static_cast<std::size_t>(r) * block.columns);
  }
  return block;
}

}  // namespace KORA
