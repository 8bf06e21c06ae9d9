// IMG_Load of SDL_image.h beside this file: the font pictures, PCX, BMP (raw or run-length)
// and PNG, read into the surfaces SDL_image 1.2 reads them into. The file is read whole, up
// to the largest picture the limits allow, and every byte is then taken through one reader
// that knows where the file ends, so a truncated or lying file is refused, never read past.
#include "SDL_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16383
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

struct failure {
    const char *why;
};

// The file's bytes with the one bounds check.
class reader {
public:
    reader(const Uint8 *data, size_t size) : data_(data), size_(size) { }
    size_t size() const
    {
        return size_;
    }
    size_t left() const
    {
        return size_ - pos_;
    }
    void seek(size_t at)
    {
        if (at > size_)
            throw failure{"file truncated"};
        pos_ = at;
    }
    Uint8 byte()
    {
        if (pos_ >= size_)
            throw failure{"file truncated"};
        return data_[pos_++];
    }
    unsigned le16()
    {
        unsigned v = byte();
        return v | unsigned(byte()) << 8;
    }
    Uint32 le32()
    {
        Uint32 v = le16();
        return v | Uint32(le16()) << 16;
    }
    const Uint8 *bytes(size_t n)
    {
        if (n > size_ - pos_)
            throw failure{"file truncated"};
        const Uint8 *p = data_ + pos_;
        pos_ += n;
        return p;
    }

private:
    const Uint8 *data_;
    size_t size_;
    size_t pos_ = 0;
};

// The surface that owns what is decoded so far; freed when decoding fails.
struct surface_holder {
    SDL_Surface *s = nullptr;
    ~surface_holder()
    {
        SDL_FreeSurface(s);
    }
    SDL_Surface *release()
    {
        SDL_Surface *r = s;
        s = nullptr;
        return r;
    }
};

Uint8 *row_of(SDL_Surface *s, int y)
{
    return static_cast<Uint8 *>(s->pixels) + size_t(y) * size_t(s->pitch);
}

// Takes the picture size a header claims; refuses one outside IMG_MAX_SIDE and IMG_MAX_PIXELS.
void check_size(int64_t w, int64_t h)
{
    if (w <= 0 || h <= 0 || w > IMG_MAX_SIDE || h > IMG_MAX_SIDE || w * h > IMG_MAX_PIXELS)
        throw failure{"picture size out of range"};
}

SDL_Surface *new_surface(int w, int h, int depth, Uint32 R, Uint32 G, Uint32 B, Uint32 A = 0)
{
    check_size(w, h);
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, depth, R, G, B, A);
    if (!s)
        throw failure{"out of memory"};
    return s;
}

// Memory order R, G, B (the masks SDL_image gives PCX and PNG pictures).
const bool LIL = SDL_BYTEORDER == SDL_LIL_ENDIAN;
const Uint32 BYTE0 = LIL ? 0x000000ff : 0xff000000, BYTE1 = LIL ? 0x0000ff00 : 0x00ff0000,
             BYTE2 = LIL ? 0x00ff0000 : 0x0000ff00, BYTE3 = LIL ? 0xff000000 : 0x000000ff;

// PCX: 128-byte header, scan lines of planes x bytes-per-line bytes, run-length coded (a
// run does not go on into the next line; a run of 0 gives no pixels) or raw, then for 8
// bits a 256-colour palette after a byte 12. The three planes of a 24-bit line are taken
// one picture width apart, as SDL_image takes them (not bytes-per-line apart). Every run takes two
// bytes of the file, so the work is bounded by the file's length.
SDL_Surface *load_pcx(reader &in)
{
    in.seek(0);
    const Uint8 *h = in.bytes(128);
    const int encoding = h[2], bits = h[3];
    const int xmin = h[4] | h[5] << 8, ymin = h[6] | h[7] << 8;
    const int xmax = h[8] | h[9] << 8, ymax = h[10] | h[11] << 8;
    const int planes = h[65], bytes_per_line = h[66] | h[67] << 8;
    const int width = xmax - xmin + 1, height = ymax - ymin + 1;
    const bool paletted = bits == 8 && planes == 1, rgb = bits == 8 && planes == 3;
    if (!paletted && !rgb)
        throw failure{"unsupported PCX format (only 8 bits in 1 or 3 planes)"};
    check_size(width, height);
    if (bytes_per_line < width)
        throw failure{"PCX line shorter than the picture"};
    surface_holder out;
    out.s = paletted ? new_surface(width, height, 8, 0, 0, 0)
                     : new_surface(width, height, 24, BYTE0, BYTE1, BYTE2);
    std::vector<Uint8> line(size_t(planes) * size_t(bytes_per_line));
    for (int y = 0; y < height; ++y) {
        size_t i = 0;
        while (i < line.size()) {
            Uint8 ch = in.byte();
            int count = 1;
            if (encoding && (ch & 0xc0) == 0xc0) {
                count = ch & 0x3f;
                ch = in.byte();
            }
            for (; count > 0 && i < line.size(); --count)
                line[i++] = ch;
        }
        Uint8 *row = row_of(out.s, y);
        if (paletted) {
            memcpy(row, line.data(), size_t(width));
        } else {
            for (int x = 0; x < width; ++x)
                for (int p = 0; p < 3; ++p)
                    row[x * 3 + p] = line[size_t(p) * size_t(width) + size_t(x)];
        }
    }
    if (paletted) {
        while (in.byte() != 12) { }
        SDL_Color *colors = out.s->format->palette->colors;
        for (int i = 0; i < 256; ++i) {
            colors[i].r = in.byte();
            colors[i].g = in.byte();
            colors[i].b = in.byte();
        }
    }
    return out.release();
}

// BMP run-length data (RLE8, or RLE4 with two colours a byte), written as SDL_image writes
// it: into the rows as laid out in memory, bottom-up, a run past a row's end going on into
// the row after it in memory, and whatever falls outside the picture dropped. Ends at the
// end-of-bitmap code; a file that ends first is refused. Each byte of the file gives at most
// 255 pixels.
void read_rle(reader &in, SDL_Surface *s, bool rle8)
{
    const int64_t pitch = s->pitch, end = pitch * s->h;
    Uint8 *const pixels = static_cast<Uint8 *>(s->pixels);
    int64_t row = end - pitch, x = 0;
    auto put = [&](Uint8 v) {
        const int64_t at = row + x++;
        if (at >= 0 && at < end)
            pixels[at] = v;
    };
    for (;;) {
        Uint8 count = in.byte();
        if (count) {
            const Uint8 v = in.byte();
            for (int i = 0; i < count; ++i)
                put(rle8 ? v : (i & 1) ? v & 0x0f : v >> 4);
            continue;
        }
        const Uint8 code = in.byte();
        if (code == 0) {  // end of line
            x = 0;
            row -= pitch;
        } else if (code == 1) {  // end of bitmap
            return;
        } else if (code == 2) {  // delta: right, then up
            x += in.byte();
            row -= int64_t(in.byte()) * pitch;
        } else {  // absolute run of `code` pixels, padded to 16 bits
            const size_t bytes = rle8 ? code : (code + 1u) / 2;
            const Uint8 *p = in.bytes(bytes);
            for (int i = 0; i < code; ++i)
                put(rle8 ? p[i] : (i & 1) ? p[i / 2] & 0x0f : p[i / 2] >> 4);
            if (bytes & 1)
                in.byte();
        }
    }
}

// BMP with a Windows 3 (or later) header: 1, 4 or 8 bits with a palette (4 and 8 bits also
// run-length coded), 24 or 32 bits raw; rows padded to 4 bytes, bottom-up unless the height
// is negative. 1 and 4 bits are widened to one byte a pixel, as SDL_image does.
SDL_Surface *load_bmp(reader &in)
{
    in.seek(10);
    const Uint32 offset = in.le32();
    const Uint32 info_size = in.le32();
    if (info_size < 40)
        throw failure{"unsupported BMP header (older than Windows 3)"};
    const int64_t width = Sint32(in.le32()), height_field = Sint32(in.le32());
    in.le16();  // planes
    const int bits = int(in.le16());
    const Uint32 compression = in.le32();
    in.seek(46);
    Uint32 colours = in.le32();
    const bool rle = compression == 1 || compression == 2;
    if (compression > 2 || (compression == 1 && bits != 8) || (compression == 2 && bits != 4))
        throw failure{"unsupported BMP compression"};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        throw failure{"unsupported BMP depth (1, 4, 8, 24 or 32 bits)"};
    const bool top_down = height_field < 0 && !rle;
    const int64_t height = height_field < 0 ? -height_field : height_field;
    check_size(width, height);
    const int w = int(width), h = int(height);
    const size_t row_bytes = (size_t(w) * size_t(bits) + 7) / 8;
    const size_t stride = (row_bytes + 3) & ~size_t(3);
    if (!rle && (offset > in.size() || stride * size_t(h) > in.size() - offset))
        throw failure{"file truncated"};

    surface_holder out;
    const bool paletted = bits <= 8;
    // SDL_image gives the format's own masks (a 32-bit picture with alpha in its top byte)
    // only to a file whose pixels follow the header at once; any other gets SDL's defaults.
    const bool own_masks = !paletted && offset == 14 + info_size;
    out.s =
        new_surface(w, h, paletted ? 8 : bits, own_masks ? 0xff0000 : 0, own_masks ? 0x00ff00 : 0,
                    own_masks ? 0x0000ff : 0, own_masks && bits == 32 ? 0xff000000 : 0);
    if (paletted) {
        // SDL_image reads 256 colours unless the header says how many; what the file lacks
        // stays black.
        if (colours == 0 || colours > 256)
            colours = 256;
        in.seek(14 + info_size);
        SDL_Color *colors = out.s->format->palette->colors;
        for (Uint32 i = 0; i < colours && in.left() >= 4; ++i) {
            const Uint8 *c = in.bytes(4);
            colors[i] = SDL_Color{c[2], c[1], c[0], 0};
        }
    }
    in.seek(offset);
    if (rle) {
        read_rle(in, out.s, bits == 8);
        return out.release();
    }
    for (int i = 0; i < h; ++i) {
        const Uint8 *from = in.bytes(stride);
        Uint8 *row = row_of(out.s, top_down ? i : h - 1 - i);
        if (bits >= 8) {
            memcpy(row, from, row_bytes);
        } else {
            const int per_byte = 8 / bits, mask = (1 << bits) - 1;
            for (int x = 0; x < w; ++x)
                row[x] = Uint8(from[x / per_byte] >> (8 - bits * (x % per_byte + 1)) & mask);
        }
    }
    return out.release();
}

// PNG through stb_image: grey as 8 bits with a grey palette, colour as 24 bits, with alpha
// (or grey with alpha) as 32 bits with an alpha mask; bytes R, G, B(, A) in memory order, as
// SDL_image reads them. A paletted picture comes in its colours, as 24 (or with transparency
// 32) bits.
SDL_Surface *load_png(reader &in)
{
    // Every chunk must lie inside the file before stb_image sees it: it grows its buffer to
    // a chunk's stated length before reading the chunk (2 GiB for a lying one).
    in.seek(8);
    while (in.left()) {
        const Uint8 *h = in.bytes(8);
        const Uint32 length = Uint32(h[0]) << 24 | Uint32(h[1]) << 16 | Uint32(h[2]) << 8 | h[3];
        if (length > in.left() || in.left() - length < 4)
            throw failure{"PNG chunk longer than the file"};
        // stb_image copies an empty IDAT into a buffer it has not made yet (undefined
        // behaviour); writers never write one.
        if (length == 0 && memcmp(h + 4, "IDAT", 4) == 0)
            throw failure{"empty PNG data chunk"};
        in.bytes(length + 4);
        if (memcmp(h + 4, "IEND", 4) == 0)
            break;
    }
    in.seek(0);
    const Uint8 *data = in.bytes(in.size());
    const int size = in.size() > size_t(INT32_MAX) ? INT32_MAX : int(in.size());
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &w, &h, &channels))
        throw failure{"unreadable PNG file"};
    check_size(w, h);
    const int want = channels == 2 ? 4 : channels;
    struct decoded {
        stbi_uc *p;
        ~decoded()
        {
            stbi_image_free(p);
        }
    } image{stbi_load_from_memory(data, size, &w, &h, &channels, want)};
    if (!image.p)
        throw failure{"damaged PNG file"};
    check_size(w, h);
    surface_holder out;
    out.s = new_surface(w, h, want * 8, want == 1 ? 0 : BYTE0, want == 1 ? 0 : BYTE1,
                        want == 1 ? 0 : BYTE2, want == 4 ? BYTE3 : 0);
    if (want == 1)
        for (int i = 0; i < 256; ++i)
            out.s->format->palette->colors[i] = SDL_Color{Uint8(i), Uint8(i), Uint8(i), 0};
    const size_t row = size_t(w) * size_t(want);
    for (int y = 0; y < h; ++y)
        memcpy(row_of(out.s, y), image.p + size_t(y) * row, row);
    return out.release();
}

// The file's bytes, up to IMG_MAX_FILE_BYTES; only a regular file is read (a FIFO or a device
// would block or never end), and without blocking.
std::vector<Uint8> read_file(const char *file)
{
    struct stat st;
    if (stat(file, &st) != 0)
        throw failure{strerror(errno)};
    if (!S_ISREG(st.st_mode))
        throw failure{"not a regular file"};
    struct descriptor {
        int fd;
        ~descriptor()
        {
            if (fd >= 0)
                close(fd);
        }
    } in{open(file, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (in.fd < 0)
        throw failure{strerror(errno)};
    if (fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw failure{"not a regular file"};
    if (uintmax_t(st.st_size) > IMG_MAX_FILE_BYTES)
        throw failure{"file larger than the largest picture allowed"};
    // One byte more than the file's size, so that a file that grows is seen to.
    std::vector<Uint8> bytes(size_t(st.st_size) + 1);
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > IMG_MAX_FILE_BYTES)
                throw failure{"file larger than the largest picture allowed"};
            bytes.resize(got + got / 2 + 4096 < IMG_MAX_FILE_BYTES + 1 ? got + got / 2 + 4096
                                                                       : IMG_MAX_FILE_BYTES + 1);
        }
        const ssize_t n = read(in.fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw failure{strerror(errno)};
        if (n == 0)
            break;
        got += size_t(n);
    }
    bytes.resize(got);
    return bytes;
}

const Uint8 PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

}  // namespace

extern "C" SDL_Surface *IMG_Load_Memory(const void *data, size_t size)
{
    try {
        reader in(static_cast<const Uint8 *>(data), size);
        if (size >= 2 && in.byte() == 'B' && in.byte() == 'M')
            return load_bmp(in);
        if (size >= 8 && memcmp(data, PNG_SIGNATURE, 8) == 0)
            return load_png(in);
        if (size >= 1 && static_cast<const Uint8 *>(data)[0] == 0x0a)
            return load_pcx(in);
        SDL_SetError("Unsupported image format");
    } catch (const failure &e) {
        SDL_SetError("%s", e.why);
    } catch (const std::bad_alloc &) {
        SDL_SetError("Out of memory");
    } catch (...) {
        SDL_SetError("cannot read the picture");
    }
    return nullptr;
}

extern "C" SDL_Surface *IMG_Load(const char *file)
{
    if (!file) {
        SDL_SetError("Couldn't open (null)");
        return nullptr;
    }
    try {
        const std::vector<Uint8> bytes = read_file(file);
        return IMG_Load_Memory(bytes.data(), bytes.size());
    } catch (const failure &e) {
        SDL_SetError("Couldn't open %s: %s", file, e.why);
    } catch (const std::bad_alloc &) {
        SDL_SetError("Out of memory");
    } catch (...) {
        SDL_SetError("cannot read the picture");
    }
    return nullptr;
}
