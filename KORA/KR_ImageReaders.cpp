// KR_ImageReaders.cpp - KR_Image's BMP and PCX readers. Each reads the whole file into memory
// and decodes it through one bounded byte cursor; every write is bounded by the raster. See
// KR_Image.h for which files load and how damaged ones end.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>

#include "KR_Endian.h"
#include "KR_Image.h"
#include "internal/KR_ImageLimits.h"

namespace KORA {

namespace {

long pixel_limit = KR_Image::MAX_PIXELS;  // see imagePixelLimit()

const char BMP_READER[] = "KR_Image::loadBMP";
const char PCX_READER[] = "KR_Image::loadPCX";

// A failure inside a reader; its text (possibly empty) goes on the error stream as one line.
struct ReadFailure {
  std::string message;
};

[[noreturn]] void fail(const char* reader, const char* problem) {
  throw ReadFailure{std::string(reader) + ": " + problem};
}

ReadFailure tooLarge(const char* reader, std::size_t max_size) {
  return ReadFailure{std::string(reader) +
                     ": File is larger than the largest picture it may hold (" +
                     std::to_string(max_size) + " bytes)"};
}

// A whole file in memory (left uninitialised past what was read).
struct FileBytes {
  struct Free {
    void operator()(byte* p) const { std::free(p); }
  };
  std::unique_ptr<byte, Free> data;
  std::size_t size = 0;
};

// How long a file a reader takes: at most `most` bytes, and once its first header_size bytes
// have come, at most forHeader(them). forHeader returns 0 for a header that the decoder will
// refuse on its own (wrong format, impossible size): reading then stops there.
struct SizeLimit {
  std::size_t most;
  std::size_t header_size;
  std::size_t (*forHeader)(const byte* header);
};

// Reads the whole file into `file`, up to the limit: a longer file, or an endless one (a name
// linked to /dev/zero, a pipe that never ends), fails with one line as soon as it passes the
// limit, and a regular file over the limit is not read at all. On failure writes the reader's
// line (empty when the file cannot be opened or read) and returns false.
bool readWholeFile(const std::string& name, const char* reader, const SizeLimit& limit,
                   FileBytes& file) {
  struct Descriptor {
    int fd;
    ~Descriptor() {
      if (fd >= 0) ::close(fd);
    }
  } in{::open(name.c_str(), O_RDONLY | O_CLOEXEC)};
  try {
    if (in.fd < 0) throw ReadFailure{""};
    std::size_t max_size = limit.most;
    bool header_seen = false;
    struct stat st;
    const bool sized = ::fstat(in.fd, &st) == 0 && st.st_size > 0;
    if (sized && std::uintmax_t(st.st_size) > max_size) throw tooLarge(reader, max_size);
    // One byte more than a regular file's size, so that one read takes it all and the next
    // sees its end; files of unknown length (pipes, devices, /proc) grow the buffer as they
    // come, up to one byte past the limit.
    std::size_t capacity = sized ? std::size_t(st.st_size) + 1 : 4096;
    file.data.reset(static_cast<byte*>(std::malloc(capacity)));
    if (file.data == nullptr) throw std::bad_alloc();
    for (;;) {
      if (!header_seen && file.size >= limit.header_size) {
        header_seen = true;
        const std::size_t for_header = limit.forHeader(file.data.get());
        if (for_header == 0) return true;  // the decoder refuses the header itself
        max_size = std::min(max_size, for_header);
      }
      if (file.size > max_size) throw tooLarge(reader, max_size);
      if (file.size == capacity) {
        const std::size_t bigger = std::min(2 * capacity, max_size + 1);
        byte* grown = static_cast<byte*>(std::realloc(file.data.get(), bigger));
        if (grown == nullptr) throw std::bad_alloc();
        file.data.release();
        file.data.reset(grown);
        capacity = bigger;
      }
      const ssize_t n = ::read(in.fd, file.data.get() + file.size, capacity - file.size);
      if (n < 0) throw ReadFailure{""};
      if (n == 0) return true;
      file.size += std::size_t(n);
    }
  } catch (const std::bad_alloc&) {
    std::cerr << reader << ": Error while allocating memory\n";
  } catch (const ReadFailure& failure) {
    std::cerr << failure.message << '\n';
  }
  return false;
}

// Reads a file image front to back. take() is the one place that knows where the data ends.
class ByteCursor {
 public:
  ByteCursor(const byte* data, std::size_t size) : at(data), end(data + size) {}

  // The next n bytes, or null when fewer remain (the cursor then stands at the end).
  const byte* take(std::size_t n) {
    if (n > remaining()) {
      at = end;
      return nullptr;
    }
    const byte* taken = at;
    at += n;
    return taken;
  }
  std::size_t remaining() const { return std::size_t(end - at); }
  const byte* position() const { return at; }
  void skip(std::size_t n) { take(std::min(n, remaining())); }  // up to n bytes

  // One little-endian field; 0 past the end.
  template <typename T>
  T field() {
    T value = 0;
    const byte* bytes = take(sizeof(T));
    if (bytes != nullptr) KR_Endian::getInstance()->getTypedData(&value, bytes, sizeof(T));
    return value;
  }

 private:
  const byte* at;
  const byte* end;
};

const std::size_t BMP_HEADER_SIZE = 54;
const std::size_t BMP_PALETTE_SIZE = 1024;
const std::size_t PCX_HEADER_SIZE = 128;
const std::size_t PCX_PALETTE_SIZE = 768;
const char RLE_ENDS_EARLY[] = "Run-length data ends without its end-of-bitmap code";

inline KR_RGBA opaque(byte r, byte g, byte b) { return KR_RGBA(r, g, b, 255); }

// The fields of a BMP header that the reader uses.
struct BmpHeader {
  std::int32_t columns;
  std::int32_t rows;
  std::uint16_t bitsPerPixel;
  std::uint32_t compression;
};

BmpHeader readBmpHeader(ByteCursor& in) {
  const byte* bytes = in.take(BMP_HEADER_SIZE);
  if (bytes == nullptr) fail(BMP_READER, "File is shorter than its header");
  ByteCursor h(bytes, BMP_HEADER_SIZE);
  h.skip(2);  // signature, not checked
  // filesize, reserved1, reserved2, offBits (the data is always at 54 or 1078), headerSize
  // (only the 40-byte layout is understood): read, not used.
  h.skip(4 + 2 + 2 + 4 + 4);
  BmpHeader header;
  header.columns = h.field<std::int32_t>();
  header.rows = h.field<std::int32_t>();
  h.skip(2);  // planes
  header.bitsPerPixel = h.field<std::uint16_t>();
  header.compression = h.field<std::uint32_t>();
  // imageSize, xPels, yPels, numLUTentries (the palette always has 256) and impColors follow.
  return header;
}

// Bytes of raw pixel data a width x height picture needs: every row but the last padded to a
// multiple of four bytes (the last row's pad bytes may be missing).
std::size_t bmpRawDataSize(std::size_t width, std::size_t height, unsigned bitsPerPixel) {
  const std::size_t numberBytesInRow = (bitsPerPixel / 8) * width;
  const std::size_t stride = (numberBytesInRow + 3) & ~std::size_t(3);
  return (height - 1) * stride + numberBytesInRow;
}

// Raw rows, bottom up, each padded to a multiple of four bytes; `data` holds at least
// bmpRawDataSize bytes (checked before the raster was allocated). Constructs every pixel of the
// raster, which may come uninitialised.
void decodeBmpRaw(const byte* data, KR_RGBA* raster, std::size_t width, std::size_t height,
                  unsigned bitsPerPixel, const KR_RGBA* lut) {
  const std::size_t numberBytesInRow = (bitsPerPixel / 8) * width;
  const std::size_t stride = (numberBytesInRow + 3) & ~std::size_t(3);
  for (std::size_t fr = 0; fr < height; ++fr) {
    const byte* src = data + fr * stride;
    KR_RGBA* dst = raster + (height - 1 - fr) * width;
    if (bitsPerPixel == 24) {
      for (std::size_t c = 0; c < width; ++c, src += 3)
        new (dst + c) KR_RGBA(src[2], src[1], src[0], 255);
    } else {
      for (std::size_t c = 0; c < width; ++c) new (dst + c) KR_RGBA(lut[src[c]]);
    }
  }
}

// Run-length encoded (RLE8) data: pairs n, c; decoding ends at end-of-bitmap or below row 0.
// Runs may reach into the row's padding to a multiple of four pixels, whose pixels are
// dropped; past it a code is damage. Returns why decoding stopped early, or null.
const char* decodeBmpRle(ByteCursor& in, KR_RGBA* raster, std::size_t width, long height,
                         const KR_RGBA* lut) {
  const std::size_t padded_width = (width + 3) & ~std::size_t(3);
  long row = height - 1;
  std::size_t x = 0;
  for (;;) {
    const byte* code = in.take(2);
    if (code == nullptr) return RLE_ENDS_EARLY;
    const byte n = code[0];
    const byte c = code[1];
    KR_RGBA* line = raster + static_cast<std::size_t>(row) * width;
    if (n > 0) {  // encoded run
      if (x + n > padded_width) return "Encoded run passes the end of its row";
      if (x < width) std::fill(line + x, line + std::min(x + n, width), lut[c]);
      x += n;
    } else if (c == 0) {  // end of line
      x = 0;
      if (--row < 0) return nullptr;
    } else if (c == 1) {  // end of bitmap
      return nullptr;
    } else if (c == 2) {  // delta
      const byte* delta = in.take(2);
      if (delta == nullptr) return RLE_ENDS_EARLY;
      if (x + delta[0] > padded_width || row - delta[1] < 0)
        return "Delta points outside the picture";
      x += delta[0];
      row -= delta[1];
    } else {  // absolute run of c indices, padded to an even length
      if (x + c > padded_width) return "Absolute run passes the end of its row";
      const byte* run = in.take(c);
      if (run == nullptr) return RLE_ENDS_EARLY;
      for (std::size_t i = x, end = std::min<std::size_t>(x + c, width); i < end; ++i)
        line[i] = lut[run[i - x]];
      x += c;
      in.skip(c & 1);
    }
  }
}

// Decodes one plane line of `bytesPerLine` values, handing value v for column col to
// store(col, v) while col < width. Returns false when the data runs out.
template <typename Store>
inline bool decodePcxLine(ByteCursor& in, std::size_t bytesPerLine, std::size_t width,
                          Store store) {
  std::size_t count = 0;
  // Every value costs one byte, or two for a run of at least one, so when 2 * bytesPerLine
  // bytes remain the line is decoded straight from them and the cursor is checked once for
  // the whole line. Only a run of length 0 (two bytes, no value) breaks that budget: it hands
  // the rest of the line to the byte-by-byte loop below.
  if (in.remaining() / 2 >= bytesPerLine) {
    const byte* const start = in.position();
    const byte* p = start;
    while (count < bytesPerLine) {
      const byte code = *p;
      if ((code & 0xC0) != 0xC0) {
        if (count < width) store(count, code);
        ++count;
        ++p;
        continue;
      }
      const std::size_t run = code & 0x3F;
      if (run == 0) break;
      const byte value = p[1];
      p += 2;
      for (std::size_t col = count, end = std::min(count + run, width); col < end; ++col)
        store(col, value);
      count += run;
    }
    in.skip(std::size_t(p - start));
  }
  while (count < bytesPerLine) {
    const byte* code = in.take(1);
    if (code == nullptr) return false;
    if ((*code & 0xC0) != 0xC0) {
      if (count < width) store(count, *code);
      ++count;
      continue;
    }
    const byte* value = in.take(1);
    if (value == nullptr) return false;
    const std::size_t run = *code & 0x3F;
    for (std::size_t col = count, end = std::min(count + run, width); col < end; ++col)
      store(col, *value);
    count += run;
  }
  return true;
}

}  // namespace

bool KR_Image::loadImage(const std::string& file) {
  if (hasValidExtension(file, "bmp")) return loadBMP(file);
  if (hasValidExtension(file, "pcx")) return loadPCX(file);
  return false;
}

bool KR_Image::hasValidExtension(const std::string& file, const std::string& extension) const {
  return file.find("." + extension) != std::string::npos;
}

// The largest files the size limits allow. BMP: header, palette and at most four bytes per
// pixel (a raw 24-bit row padded to four bytes, or run-length codes of one pixel each with an
// end-of-line per row), and the end-of-bitmap code. PCX: header, palette and, for each of
// three planes, at most two bytes per value on lines of up to one pad value past the width.
// Once the header is known, the same rule for the picture it claims, with TRAILING_SLACK bytes
// for what writers leave after the data.
namespace {

const std::size_t TRAILING_SLACK = 4096;

std::size_t largestBmpFile(std::size_t pixels) {
  return BMP_HEADER_SIZE + BMP_PALETTE_SIZE + 4 * pixels + 2;
}
std::size_t largestPcxFile(std::size_t values) {
  return PCX_HEADER_SIZE + PCX_PALETTE_SIZE + 2 * values;
}

// Pixels the size limits allow for a claimed width and height, or 0 when they allow none.
std::size_t allowedPixels(long width, long height) {
  if (width <= 0 || height <= 0 || width > KR_Image::MAX_SIDE || height > KR_Image::MAX_SIDE ||
      width * height > imagePixelLimit())
    return 0;
  return std::size_t(width) * std::size_t(height);
}

std::size_t bmpForHeader(const byte* header) {
  ByteCursor in(header, BMP_HEADER_SIZE);
  const BmpHeader h = readBmpHeader(in);
  const bool accepted = (h.bitsPerPixel == 24 && h.compression == 0) || h.bitsPerPixel == 8;
  const std::size_t pixels = allowedPixels(h.columns, h.rows);
  if (!accepted || pixels == 0) return 0;
  return largestBmpFile(pixels) + TRAILING_SLACK;
}

std::size_t pcxForHeader(const byte* header) {
  const auto u16 = [header](int at) { return long(header[at]) | long(header[at + 1]) << 8; };
  const bool accepted = header[2] == 1 && header[3] == 8 && header[1] > 4 && header[0] == 10;
  const long width = u16(8) + 1 - u16(4), height = u16(10) + 1 - u16(6);
  if (!accepted || allowedPixels(width, height) == 0) return 0;
  const std::size_t planes = header[65] == 3 ? 3 : 1;
  return largestPcxFile(planes * std::size_t(u16(66)) * std::size_t(height)) + TRAILING_SLACK;
}

SizeLimit bmpLimit() {
  return {largestBmpFile(std::size_t(imagePixelLimit())), BMP_HEADER_SIZE, bmpForHeader};
}
SizeLimit pcxLimit() {
  return {largestPcxFile(3 * (std::size_t(imagePixelLimit()) + std::size_t(KR_Image::MAX_SIDE))),
          PCX_HEADER_SIZE, pcxForHeader};
}

}  // namespace

bool KR_Image::loadBMP(const std::string& file) {
  FileBytes bytes;
  return readWholeFile(file, BMP_READER, bmpLimit(), bytes) &&
         decodeBMP(bytes.data.get(), bytes.size);
}

bool KR_Image::loadPCX(const std::string& file) {
  FileBytes bytes;
  return readWholeFile(file, PCX_READER, pcxLimit(), bytes) &&
         decodePCX(bytes.data.get(), bytes.size);
}

long imagePixelLimit() { return pixel_limit; }

void setImagePixelLimit(long pixels) { pixel_limit = pixels; }

void KR_Image::checkSize(long width, long height, const char* reader) const {
  if (width <= 0 || height <= 0) fail(reader, "Width or height is 0 or less");
  if (width > MAX_SIDE || height > MAX_SIDE || width * height > pixel_limit)
    throw ReadFailure{std::string(reader) + ": Picture of " + std::to_string(width) + " x " +
                      std::to_string(height) + " passes the limit of " + std::to_string(MAX_SIDE) +
                      " per side or " + std::to_string(pixel_limit) + " pixels"};
}

KR_Image::Raster KR_Image::newRaster(int width, int height, const char* reader, bool opaque_black) {
  Raster raster(allocatePixels(std::size_t(width) * std::size_t(height), opaque_black));
  if (raster == nullptr) {
    replaceRaster(nullptr, width, height);
    fail(reader, "Unable to allocate memory for storage of image");
  }
  return raster;
}

void KR_Image::replaceRaster(Raster raster, int width, int height) {
  releasePixels(pixels);
  pixels = raster.release();
  rows = height;
  columns = width;
}

bool KR_Image::decodeBMP(const byte* file, std::size_t size) {
  try {
    ByteCursor in(file, size);
    const BmpHeader header = readBmpHeader(in);
    const unsigned bpp = header.bitsPerPixel;
    if (!((bpp == 24 && header.compression == 0) || bpp == 8)) throw ReadFailure{""};
    checkSize(header.columns, header.rows, BMP_READER);

    KR_RGBA lut[256];
    if (bpp == 8) {
      const byte* pal = in.take(BMP_PALETTE_SIZE);  // blue, green, red, unused
      if (pal == nullptr) fail(BMP_READER, "File is shorter than its palette");
      for (int i = 0; i < 256; ++i) lut[i] = opaque(pal[4 * i + 2], pal[4 * i + 1], pal[4 * i]);
    }
    const std::size_t width = std::size_t(header.columns);
    if (bpp == 24 || header.compression == 0) {
      // The data's length is checked against the header before the raster is allocated, so
      // a short file claiming a huge picture costs nothing.
      const byte* data = in.take(bmpRawDataSize(width, std::size_t(header.rows), bpp));
      if (data == nullptr) fail(BMP_READER, "File is shorter than its pixel data");
      Raster raster = newRaster(header.columns, header.rows, BMP_READER, false);
      decodeBmpRaw(data, raster.get(), width, std::size_t(header.rows), bpp, lut);
      replaceRaster(std::move(raster), header.columns, header.rows);
      return true;
    }
    Raster raster = newRaster(header.columns, header.rows, BMP_READER);
    if (const char* stopped = decodeBmpRle(in, raster.get(), width, header.rows, lut)) {
      std::cerr << BMP_READER << ": " << stopped << '\n';
    }
    replaceRaster(std::move(raster), header.columns, header.rows);
    return true;
  } catch (const ReadFailure& failure) {
    std::cerr << failure.message << '\n';
    return false;
  }
}

bool KR_Image::decodePCX(const byte* file, std::size_t size) {
  try {
    ByteCursor in(file, size);
    const byte* bytes = in.take(PCX_HEADER_SIZE);
    if (bytes == nullptr) fail(PCX_READER, "File is shorter than its header");
    ByteCursor h(bytes, PCX_HEADER_SIZE);
    const byte manufacturer = h.field<byte>();
    const byte version = h.field<byte>();
    const byte encoding = h.field<byte>();
    const byte bitsPerPixel = h.field<byte>();
    const std::uint16_t xMin = h.field<std::uint16_t>();
    const std::uint16_t yMin = h.field<std::uint16_t>();
    const std::uint16_t xMax = h.field<std::uint16_t>();
    const std::uint16_t yMax = h.field<std::uint16_t>();
    h.skip(2 + 2 + 48 + 1);  // hdPi, vdPi, 16-colour map, reserved
    const byte nPlanes = h.field<byte>();
    const std::uint16_t bytesPerLine = h.field<std::uint16_t>();
    // paletteInfo, hScreenSize, vScreenSize and the filler follow; the data starts at 128.

    if (!(encoding == 1 && bitsPerPixel == 8 && version > 4 && manufacturer == 10))
      throw ReadFailure{""};
    const long height = long(yMax) + 1 - long(yMin);
    const long width = long(xMax) + 1 - long(xMin);
    checkSize(width, height, PCX_READER);
    const bool planar = nPlanes == 3;
    KR_RGBA lut[256];
    if (!planar) {  // the palette is the file's last 768 bytes
      ByteCursor tail = in;
      tail.skip(tail.remaining() - std::min(tail.remaining(), PCX_PALETTE_SIZE));
      const byte* pal = tail.take(PCX_PALETTE_SIZE);  // red, green, blue
      if (pal == nullptr) fail(PCX_READER, "File is shorter than its header and palette");
      for (int i = 0; i < 256; ++i) lut[i] = opaque(pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]);
    }
    Raster raster = newRaster(int(width), int(height), PCX_READER);

    const std::size_t w = std::size_t(width);
    bool complete = true;
    for (long i = 0; i < height && complete; ++i) {
      KR_RGBA* line = raster.get() + std::size_t(i) * w;
      if (planar) {
        complete =
            decodePcxLine(in, bytesPerLine, w, [line](std::size_t c, byte v) { line[c].r = v; }) &&
            decodePcxLine(in, bytesPerLine, w, [line](std::size_t c, byte v) { line[c].g = v; }) &&
            decodePcxLine(in, bytesPerLine, w, [line](std::size_t c, byte v) { line[c].b = v; });
      } else {
        complete = decodePcxLine(in, bytesPerLine, w,
                                 [line, &lut](std::size_t c, byte v) { line[c] = lut[v]; });
      }
    }
    if (!complete) std::cerr << PCX_READER << ": Run-length data ends before the last scan line\n";
    replaceRaster(std::move(raster), int(width), int(height));
    return true;
  } catch (const ReadFailure& failure) {
    std::cerr << failure.message << '\n';
    return false;
  }
}

}  // namespace KORA
