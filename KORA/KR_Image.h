// KR_Image.h - an RGBA picture in memory: read from BMP and PCX files, read from and drawn to
// the OpenGL frame buffer, and turned into an OpenGL texture. The image owns its raster;
// copies get their own.
//
// Pixels are row-major, row 0 first, four bytes r, g, b, a each and no row padding: exactly an
// OpenGL GL_RGBA / GL_UNSIGNED_BYTE image of `columns` x `rows`. The file readers store the
// picture's top scan line in row 0, with alpha 255 everywhere.
//
// Which files load (loadImage takes the BMP reader when ".bmp" stands anywhere in the name,
// else the PCX reader when ".pcx" does; case-sensitive):
//   BMP with the 40-byte information header: 24-bit (uncompressed) and 8-bit (raw when the
//     compression code is 0; any other code reads the data as RLE8: RLE8's own 1, and 2 (RLE4),
//     3 or any other, which other readers refuse). 24-bit data is read from offset 54; an 8-bit
//     file has a 256-entry palette at 54 and its data at 1078, whatever the header's offsets
//     and colour count say. Rows run bottom up.
//   PCX (manufacturer 10, version above 4), 8 bits per plane, run-length encoded: three planes
//     (red, green, blue), or any other plane count read as one plane of indices into the
//     256-colour palette in the last 768 bytes of the file. Each plane line is decoded up to
//     its bytesPerLine, the pad bytes past the width being dropped; a run carried past the
//     line's end loses its excess.
//
// Damaged and hostile files never make a reader read outside the file or write outside the
// raster, and the raster is allocated only after the header's claims were checked:
// - A file is read up to the largest one the size limits allow (BMP: header, palette and four
//   bytes per pixel of the pixel limit; PCX: header, palette and two bytes per value of three
//   planes) and, once its header has come, the largest one that header's picture allows (the
//   same rule for its own size, plus 4096 bytes for what writers leave after the data). A
//   longer file, or an endless one (a pipe that never ends), fails with one line once it
//   passes that size, without reading further; a regular file over the size limits fails
//   without being read. A header the reader refuses anyway (a name linked to /dev/zero reads
//   as a header of zeros) ends the reading at once, and the load fails as for that header.
// - Raw BMP data (24-bit, or 8-bit uncompressed) must be as long as the header's width and
//   height require before the raster is allocated, so a file of a few bytes that claims
//   16384 x 16384 pixels fails at once. Run-length data (RLE8 BMP, PCX) can describe a large
//   picture in a few bytes (an end-of-bitmap code leaves the rest black), so such a picture is
//   allocated at its full size, up to the pixel limit, as the format allows.
// - Memory: a load holds the whole file and the new raster at once, and an image that already
//   holds a picture keeps it until the new one has loaded, so the peak is the file plus both
//   rasters (up to 1 GiB each at the limit: 2 GiB from a file of about 1 KB of RLE data).
// Each problem writes one line on the error stream and then either
//   fails (result false, the image keeps its old contents):
//     the file cannot be opened or read (an empty line), the format is not one of the above
//     (an empty line), the file is longer than the limits allow, the file is shorter than its
//     header, palette or raw pixel data, the width or height is 0 or less (a top-down BMP
//     with a negative height included), or the size passes 32768 per side or 2^28 pixels;
//   or fails with the new size and no pixels, when the raster cannot be allocated;
//   or stops decoding (result true; what was decoded stays, the rest is opaque black):
//     run-length data that ends before its end-of-bitmap code or last scan line, and BMP
//     runs, absolute runs and deltas that point outside the raster.
// BMP run-length rows: encoders code whole rows padded to a multiple of four pixels, so an
// encoded or absolute run may reach past the width into that padding. The pixels that fall
// in the padding are dropped and decoding goes on; only a run or delta that passes the
// padded row stops it.
#ifndef KORA_KR_IMAGE_H
#define KORA_KR_IMAGE_H

#include <GL/gl.h>

#include <cstddef>
#include <memory>
#include <string>

#include "KR_Def.h"

namespace KORA {

// One pixel; the default is opaque black.
struct KR_RGBA {
  byte r;
  byte g;
  byte b;
  byte a;

  KR_RGBA() : r(0), g(0), b(0), a(255) {}
  KR_RGBA(byte red, byte green, byte blue, byte alpha) : r(red), g(green), b(blue), a(alpha) {}

  bool operator==(const KR_RGBA& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const KR_RGBA& o) const { return !(*this == o); }
};

class KR_Image {
 public:
  int rasterpos_x;  // window position used by drawToFrameBuffer
  int rasterpos_y;
  int rows;     // height in pixels
  int columns;  // width in pixels

  // Largest picture the readers accept.
  static const int MAX_SIDE = 32768;
  static const long MAX_PIXELS = 1L << 28;

  // The three constructors below set the GL pixel zoom to (1, -1) so that drawToFrameBuffer
  // draws row 0 at the top; they need a current GL context.
  KR_Image();
  KR_Image(int width, int height);        // opaque black
  KR_Image(const std::string& filename);  // loadImage, result ignored
  KR_Image(const KR_Image& image);
  ~KR_Image();
  KR_Image& operator=(const KR_Image& image);

  // Makes a GL 2D texture from the pixels: writes its new name to *texture_id and leaves it
  // bound. With mipmapping the picture is scaled to powers of two and every level is built.
  void setTextureGL(GLuint* texture_id, GLint wrap_s, GLint wrap_t, GLint mag_filter,
                    GLint min_filter, bool mipmapping);
  // Replaces the image by a block of the frame buffer, lowest window row first.
  bool readFromFrameBuffer(int x, int y, int width, int height);
  // Draws the image with its top-left corner at (rasterpos_x, rasterpos_y).
  void drawToFrameBuffer() const;
  // Gives every pixel whose r, g and b equal the key's the alpha `alpha`.
  void chromaKey(const KR_RGBA& key, byte alpha);

  // Reads a .bmp or .pcx file; false (and the image unchanged) for other names.
  bool loadImage(const std::string& file);

  // Pixel access by (row, column). The checked forms ignore or return null outside the raster;
  // the fast forms do no checking.
  bool setPixel(int row, int column, const KR_RGBA& colour);
  void setFastPixel(int row, int column, const KR_RGBA& colour) {
    pixels[static_cast<std::size_t>(row) * columns + column] = colour;
  }
  KR_RGBA* getPixel(int row, int column);
  const KR_RGBA* getPixel(int row, int column) const;
  KR_RGBA* getFastPixel(int row, int column) {
    return pixels + static_cast<std::size_t>(row) * columns + column;
  }
  // A new image holding the block of `height` rows and `width` columns whose top-left pixel is
  // (row, column), clipped to the raster (empty when nothing of it lies inside). No GL call.
  KR_Image copy(int row, int column, int height, int width) const;

  // The raster itself, row 0 first; null for an empty image.
  const KR_RGBA* data() const { return pixels; }

 protected:
  KR_RGBA* pixels;  // rows * columns pixels from allocatePixels, released with releasePixels

  // The one way rasters are made and released: storage for n pixels from operator new[]
  // (null when there is no memory). With opaque_black every pixel is made opaque black;
  // without, the caller constructs every pixel before anything reads it (the raw readers
  // write each pixel once, so they skip a whole pass over the raster).
  static KR_RGBA* allocatePixels(std::size_t n, bool opaque_black);
  static void releasePixels(KR_RGBA* p);
  // n opaque black pixels; throws std::bad_alloc when there is no memory.
  static KR_RGBA* opaqueBlack(std::size_t n);

  bool hasValidExtension(const std::string& file, const std::string& extension) const;
  bool loadBMP(const std::string& file);
  bool loadPCX(const std::string& file);

  // The readers' decoders, working on a whole file image in memory. Each decodes into a new
  // raster and puts it in place only when the picture loads.
  bool decodeBMP(const byte* file, std::size_t size);
  bool decodePCX(const byte* file, std::size_t size);

 private:
  struct NoGL {};
  explicit KR_Image(NoGL);
  void checkSize(long width, long height, const char* reader) const;
  // A raster for a picture of width x height, opaque black unless opaque_black is false (the
  // reader then constructs every pixel). When there is no memory the old
  // raster is released, the image takes the new size and the reader fails.
  struct RasterDeleter {
    void operator()(KR_RGBA* p) const { releasePixels(p); }
  };
  using Raster = std::unique_ptr<KR_RGBA[], RasterDeleter>;
  Raster newRaster(int width, int height, const char* reader, bool opaque_black = true);
  // Puts a decoded raster in place of the old one.
  void replaceRaster(Raster raster, int width, int height);
};

}  // namespace KORA

#endif
