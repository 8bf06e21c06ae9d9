// KR_ImageReaders.cpp - KR_Image's BMP and PCX readers. Each holds the whole file in memory
// and decodes from that copy; every read of the file image is bounded by its size, and every
// write by the raster. See KR_Image.h for which files load and how damaged ones end.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include "KR_Endian.h"
#include "KR_Image.h"

namespace KORA {

namespace {

const char BMP_READER[] = "KR_Image::loadBMP";
const char PCX_READER[] = "KR_Image::loadPCX";

// A failure inside a reader; its text (possibly empty) goes on the error stream as one line.
struct ReadFailure {
  std::string message;
};

[[noreturn]] void fail(const char* reader, const char* problem) {
  throw ReadFailure{std::string(reader) + ": " + problem};
}

// The whole file in memory: mapped when it is a regular file, else read in one go.
class FileImage {
 public:
  const byte* data = nullptr;
  std::size_t size = 0;

  // Throws ReadFailure: an empty text when the file cannot be opened or read, the reader's
  // allocation message when no buffer can be had.
  FileImage(const std::string& name, const char* reader) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw ReadFailure{""};
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      throw ReadFailure{""};
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
      size = static_cast<std::size_t>(st.st_size);
      void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (map != MAP_FAILED) {
        mapped = map;
        data = static_cast<const byte*>(map);
        ::close(fd);
        return;
      }
      buffer = new (std::nothrow) byte[size];
      if (buffer == nullptr) {
        ::close(fd);
        throw ReadFailure{std::string(reader) + ": Error while allocating memory"};
      }
      std::size_t got = 0;
      while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
      }
      size = got;
    } else if (!S_ISREG(st.st_mode)) {
      readStream(fd, reader);
    }
    ::close(fd);
    data = buffer;
  }

  ~FileImage() {
    if (mapped != nullptr) ::munmap(mapped, size);
    delete[] buffer;
  }

  FileImage(const FileImage&) = delete;
  FileImage& operator=(const FileImage&) = delete;

 private:
  void* mapped = nullptr;
  byte* buffer = nullptr;

  // A pipe or device: its length is known only at its end.
  void readStream(int fd, const char* reader) {
    std::size_t capacity = 0;
    for (;;) {
      if (size == capacity) {
        const std::size_t grown = capacity == 0 ? 65536 : capacity * 2;
        byte* bigger = new (std::nothrow) byte[grown];
        if (bigger == nullptr) {
          ::close(fd);
          delete[] buffer;  // the destructor does not run for a constructor that throws
          buffer = nullptr;
          throw ReadFailure{std::string(reader) + ": Error while allocating memory"};
        }
        if (size != 0) std::memcpy(bigger, buffer, size);
        delete[] buffer;
        buffer = bigger;
        capacity = grown;
      }
      const ssize_t n = ::read(fd, buffer + size, capacity - size);
      if (n <= 0) break;
      size += static_cast<std::size_t>(n);
    }
  }
};

// Little-endian header fields, taken in file order from a copy of the header.
class HeaderCursor {
 public:
  explicit HeaderCursor(byte* at) : cursor(at), endian(KR_Endian::getInstance()) {}
  template <typename T>
  T take() {
    T value;
    endian->getTypedData(&value, cursor, sizeof(T));
    return value;
  }
  void skip(int n) { cursor += n; }

 private:
  byte* cursor;
  KR_Endian* endian;
};

const std::size_t BMP_HEADER_SIZE = 54;
const std::size_t BMP_PALETTE_SIZE = 1024;
const std::size_t BMP_DATA_8BIT = BMP_HEADER_SIZE + BMP_PALETTE_SIZE;  // 1078
const std::size_t PCX_HEADER_SIZE = 128;
const std::size_t PCX_PALETTE_SIZE = 768;

inline KR_RGBA opaque(byte r, byte g, byte b) { return KR_RGBA(r, g, b, 255); }

}  // namespace

bool KR_Image::loadImage(const std::string& file) {
  if (hasValidExtension(file, "bmp")) return loadBMP(file);
  if (hasValidExtension(file, "pcx")) return loadPCX(file);
  return false;
}

bool KR_Image::hasValidExtension(const std::string& file, const std::string& extension) const {
  return file.find("." + extension) != std::string::npos;
}

bool KR_Image::loadBMP(const std::string& file) {
  KR_Endian::getInstance();
  try {
    FileImage image(file, BMP_READER);
    return decodeBMP(image.data, image.size);
  } catch (const ReadFailure& failure) {
    std::cerr << failure.message << '\n';
    return false;
  }
}

bool KR_Image::loadPCX(const std::string& file) {
  KR_Endian::getInstance();
  try {
    FileImage image(file, PCX_READER);
    return decodePCX(image.data, image.size);
  } catch (const ReadFailure& failure) {
    std::cerr << failure.message << '\n';
    return false;
  }
}

void KR_Image::checkSize(long width, long height, const char* reader) const {
  if (width <= 0 || height <= 0) fail(reader, "Width or height is 0 or less");
  if (width > MAX_SIDE || height > MAX_SIDE || width * height > pixel_limit)
    throw ReadFailure{std::string(reader) + ": Picture of " + std::to_string(width) + " x " +
                      std::to_string(height) + " passes the limit of " +
                      std::to_string(MAX_SIDE) + " per side or " +
                      std::to_string(pixel_limit) + " pixels"};
}

void KR_Image::replaceRaster(int width, int height, const char* reader, bool opaqueBlack) {
  releaseRaster(pixels);
  pixels = nullptr;
  rows = height;
  columns = width;
  pixels = allocateRaster(static_cast<std::size_t>(width) * height, opaqueBlack);
  if (pixels == nullptr)
    throw ReadFailure{std::string(reader) + ": Unable to allocate memory for storage of image"};
}

// ---------------------------------------------------------------------------------------------
// BMP

bool KR_Image::decodeBMP(const byte* file, std::size_t size) {
  try {
    if (size < BMP_HEADER_SIZE) fail(BMP_READER, "File is shorter than its header");
    byte header[BMP_HEADER_SIZE];
    std::memcpy(header, file, BMP_HEADER_SIZE);
    HeaderCursor h(header + 2);
    h.take<std::uint32_t>();  // filesize
    h.take<std::uint16_t>();  // reserved1
    h.take<std::uint16_t>();  // reserved2
    h.take<std::uint32_t>();  // offBits: the data is always at 54 or 1078
    h.take<std::uint32_t>();  // headerSize: only the 40-byte layout is understood
    const std::int32_t file_columns = h.take<std::int32_t>();
    const std::int32_t file_rows = h.take<std::int32_t>();
    h.take<std::uint16_t>();  // planes
    const std::uint16_t bitsPerPixel = h.take<std::uint16_t>();
    const std::uint32_t compression = h.take<std::uint32_t>();
    // imageSize, xPels, yPels, numLUTentries (the palette always has 256) and impColors follow.

    if (!((bitsPerPixel == 24 && compression == 0) || bitsPerPixel == 8))
      throw ReadFailure{""};
    checkSize(file_columns, file_rows, BMP_READER);

    const std::size_t width = static_cast<std::size_t>(file_columns);
    const std::size_t height = static_cast<std::size_t>(file_rows);
    const std::size_t numberBytesInRow = (bitsPerPixel / 8) * width;
    const std::size_t numberPadBytes = ((numberBytesInRow + 3) & ~std::size_t(3)) - numberBytesInRow;
    const std::size_t stride = numberBytesInRow + numberPadBytes;

    if (bitsPerPixel == 8 && size < BMP_DATA_8BIT) fail(BMP_READER, "File is shorter than its palette");
    const bool raw = bitsPerPixel == 24 || compression == 0;
    const std::size_t start = bitsPerPixel == 24 ? BMP_HEADER_SIZE : BMP_DATA_8BIT;
    // The last row's pad bytes are never read, so a file may end without them.
    if (raw && size - start < (height - 1) * stride + numberBytesInRow)
      fail(BMP_READER, "File is shorter than its pixel data");

    KR_RGBA lut[256];
    if (bitsPerPixel == 8) {
      const byte* pal = file + BMP_HEADER_SIZE;  // blue, green, red, unused
      for (int i = 0; i < 256; ++i) lut[i] = opaque(pal[4 * i + 2], pal[4 * i + 1], pal[4 * i]);
    }

    replaceRaster(file_columns, file_rows, BMP_READER, !raw);  // raw data covers every pixel

    if (bitsPerPixel == 24) {
      for (std::size_t fr = 0; fr < height; ++fr) {  // the file's rows run bottom up
        const byte* src = file + start + fr * stride;
        KR_RGBA* dst = pixels + (height - 1 - fr) * width;
        for (std::size_t c = 0; c < width; ++c, src += 3) dst[c] = opaque(src[2], src[1], src[0]);
      }
      return true;
    }
    if (raw) {
      for (std::size_t fr = 0; fr < height; ++fr) {
        const byte* src = file + start + fr * stride;
        KR_RGBA* dst = pixels + (height - 1 - fr) * width;
        for (std::size_t c = 0; c < width; ++c) dst[c] = lut[src[c]];
      }
      return true;
    }

    // Run-length encoded (RLE8): pairs n, c; decoding ends at end-of-bitmap or below row 0.
    // Encoders code whole rows padded to four pixels (ImageMagick does), so runs may reach
    // into that padding: those pixels are dropped. Past the padding a code is damage.
    const std::size_t padded_width = stride;
    const char* stopped = nullptr;
    std::size_t pos = BMP_DATA_8BIT;
    long row = file_rows - 1;
    std::size_t x = 0;
    for (;;) {
      if (size - pos < 2) {
        stopped = "Run-length data ends without its end-of-bitmap code";
        break;
      }
      const byte n = file[pos];
      const byte c = file[pos + 1];
      pos += 2;
      if (n > 0) {  // encoded run
        if (x + n > padded_width) {
          stopped = "Encoded run passes the end of its row";
          break;
        }
        if (x < width)
          std::fill_n(pixels + static_cast<std::size_t>(row) * width + x, std::min(x + n, width) - x,
                      lut[c]);
        x += n;
      } else if (c == 0) {  // end of line
        x = 0;
        if (--row < 0) break;
      } else if (c == 1) {  // end of bitmap
        break;
      } else if (c == 2) {  // delta
        if (size - pos < 2) {
          stopped = "Run-length data ends without its end-of-bitmap code";
          break;
        }
        const byte dx = file[pos];
        const byte dy = file[pos + 1];
        pos += 2;
        if (x + dx > padded_width || row - dy < 0) {
          stopped = "Delta points outside the picture";
          break;
        }
        x += dx;
        row -= dy;
      } else {  // absolute run of c indices, padded to an even length
        if (x + c > padded_width) {
          stopped = "Absolute run passes the end of its row";
          break;
        }
        if (size - pos < c) {
          stopped = "Run-length data ends without its end-of-bitmap code";
          break;
        }
        KR_RGBA* dst = pixels + static_cast<std::size_t>(row) * width;
        for (std::size_t i = x, end = std::min<std::size_t>(x + c, width); i < end; ++i)
          dst[i] = lut[file[pos + i - x]];
        x += c;
        pos += c + (c & 1);
        if (pos > size) pos = size;
      }
    }
    if (stopped != nullptr) std::cerr << BMP_READER << ": " << stopped << '\n';
    return true;
  } catch (const ReadFailure& failure) {
    std::cerr << failure.message << '\n';
    return false;
  }
}

// ---------------------------------------------------------------------------------------------
// PCX

namespace {

// Decodes one plane line of `bytesPerLine` values starting at file[pos], handing value v for
// column col to store(col, v) while col < width. Returns false when the data runs out.
template <typename Store>
inline bool decodePcxLine(const byte* file, std::size_t size, std::size_t& pos,
                          std::size_t bytesPerLine, std::size_t width, Store store) {
  std::size_t count = 0;
  while (count < bytesPerLine) {
    if (pos >= size) return false;
    const byte b = file[pos++];
    if ((b & 0xC0) != 0xC0) {
      if (count < width) store(count, b);
      ++count;
      continue;
    }
    if (pos >= size) return false;
    const byte value = file[pos++];
    const std::size_t run = b & 0x3F;
    const std::size_t end = std::min(count + run, width);
    for (std::size_t col = count; col < end; ++col) store(col, value);
    count += run;
  }
  return true;
}

}  // namespace

bool KR_Image::decodePCX(const byte* file, std::size_t size) {
  try {
    if (size < PCX_HEADER_SIZE) fail(PCX_READER, "File is shorter than its header");
    byte header[PCX_HEADER_SIZE];
    std::memcpy(header, file, PCX_HEADER_SIZE);
    const byte manufacturer = header[0];
    const byte version = header[1];
    const byte encoding = header[2];
    const byte bitsPerPixel = header[3];
    HeaderCursor h(header + 4);
    const std::uint16_t xMin = h.take<std::uint16_t>();
    const std::uint16_t yMin = h.take<std::uint16_t>();
    const std::uint16_t xMax = h.take<std::uint16_t>();
    const std::uint16_t yMax = h.take<std::uint16_t>();
    h.take<std::uint16_t>();  // hdPi
    h.take<std::uint16_t>();  // vdPi
    h.skip(49);               // 16-colour map and reserved byte
    const byte nPlanes = header[65];
    h.skip(1);
    const std::uint16_t bytesPerLine = h.take<std::uint16_t>();
    // paletteInfo, hScreenSize, vScreenSize and the filler follow; the data starts at 128.

    if (!(encoding == 1 && bitsPerPixel == 8 && version > 4 && manufacturer == 10))
      throw ReadFailure{""};
    const long width = long(xMax) + 1 - long(xMin);
    const long height = long(yMax) + 1 - long(yMin);
    checkSize(width, height, PCX_READER);
    const bool planar = nPlanes == 3;
    if (!planar && size < PCX_HEADER_SIZE + PCX_PALETTE_SIZE)
      fail(PCX_READER, "File is shorter than its header and palette");

    replaceRaster(int(width), int(height), PCX_READER, true);

    const std::size_t w = static_cast<std::size_t>(width);
    std::size_t pos = PCX_HEADER_SIZE;
    bool complete = true;
    if (planar) {
      for (long i = 0; i < height && complete; ++i) {
        KR_RGBA* line = pixels + static_cast<std::size_t>(i) * w;
        complete = decodePcxLine(file, size, pos, bytesPerLine, w,
                                 [line](std::size_t c, byte v) { line[c].r = v; }) &&
                   decodePcxLine(file, size, pos, bytesPerLine, w,
                                 [line](std::size_t c, byte v) { line[c].g = v; }) &&
                   decodePcxLine(file, size, pos, bytesPerLine, w,
                                 [line](std::size_t c, byte v) { line[c].b = v; });
      }
    } else {
      const byte* pal = file + size - PCX_PALETTE_SIZE;  // red, green, blue
      KR_RGBA lut[256];
      for (int i = 0; i < 256; ++i) lut[i] = opaque(pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]);
      for (long i = 0; i < height && complete; ++i) {
        KR_RGBA* line = pixels + static_cast<std::size_t>(i) * w;
        complete = decodePcxLine(file, size, pos, bytesPerLine, w,
                                 [line, &lut](std::size_t c, byte v) { line[c] = lut[v]; });
      }
    }
    if (!complete)
      std::cerr << PCX_READER << ": Run-length data ends before the last scan line\n";
    return true;
  } catch (const ReadFailure& failure) {
    std::cerr << failure.message << '\n';
    return false;
  }
}

}  // namespace KORA
