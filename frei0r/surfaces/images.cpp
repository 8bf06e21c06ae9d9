// IMG_Load of SDL_image.h beside this file: the PCX and BMP font images. Every byte is
// read through one reader that knows where the file ends, so a truncated or lying file
// is refused, never read past.
#include "SDL_image.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

struct failure {
    const char *why;
};

// The file's bytes with the one bounds check.
class reader {
public:
    explicit reader(std::vector<Uint8> bytes) : data_(std::move(bytes)) { }
    size_t size() const
    {
        return data_.size();
    }
    size_t pos() const
    {
        return pos_;
    }
    void seek(size_t at)
    {
        if (at > data_.size())
            throw failure{"file truncated"};
        pos_ = at;
    }
    Uint8 byte()
    {
        if (pos_ >= data_.size())
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
        if (n > data_.size() - pos_)
            throw failure{"file truncated"};
        const Uint8 *p = data_.data() + pos_;
        pos_ += n;
        return p;
    }

private:
    std::vector<Uint8> data_;
    size_t pos_ = 0;
};

const int MAX_SIDE = 16383;  // what a surface can be (SDL.h)

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
    return static_cast<Uint8 *>(s->pixels) + size_t(y) * s->pitch;
}

SDL_Surface *new_surface(int w, int h, int depth, Uint32 R, Uint32 G, Uint32 B)
{
    if (w <= 0 || h <= 0 || w > MAX_SIDE || h > MAX_SIDE)
        throw failure{"picture size out of range"};
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, depth, R, G, B, 0);
    if (!s)
        throw failure{"out of memory"};
    return s;
}

// PCX: 128-byte header, run-length coded scan lines of planes x bytes-per-line bytes
// (a run does not go on into the next line), then for 8 bits a 256-colour palette after
// a byte 12.
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
    if (bytes_per_line < width)
        throw failure{"PCX line shorter than the picture"};
    surface_holder out;
    out.s = new_surface(width, height, paletted ? 8 : 24,
                        SDL_BYTEORDER == SDL_LIL_ENDIAN ? 0x0000ff : 0xff0000, 0x00ff00,
                        SDL_BYTEORDER == SDL_LIL_ENDIAN ? 0xff0000 : 0x0000ff);
    std::vector<Uint8> line(size_t(planes) * bytes_per_line);
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
                    row[x * 3 + p] = line[size_t(p) * bytes_per_line + x];
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

// BMP: uncompressed 8 bits with a palette, 24 or 32 bits; rows padded to 4 bytes,
// bottom-up unless the height is negative.
SDL_Surface *load_bmp(reader &in)
{
    in.seek(10);
    const Uint32 offset = in.le32();
    const Uint32 info_size = in.le32();
    if (info_size < 40)
        throw failure{"unsupported BMP header (older than Windows 3)"};
    const Sint32 width = Sint32(in.le32()), height_field = Sint32(in.le32());
    in.le16();  // planes
    const int bits = int(in.le16());
    const Uint32 compression = in.le32();
    in.seek(46);
    Uint32 colours = in.le32();
    if (compression != 0)
        throw failure{"compressed BMP files are not supported"};
    if (bits != 8 && bits != 24 && bits != 32)
        throw failure{"unsupported BMP depth (8, 24 or 32 bits)"};
    const bool top_down = height_field < 0;
    const int height = top_down ? -height_field : height_field;
    surface_holder out;
    out.s = new_surface(width, height, bits, bits == 8 ? 0 : 0xff0000, bits == 8 ? 0 : 0x00ff00,
                        bits == 8 ? 0 : 0x0000ff);
    if (bits == 8) {
        if (colours == 0 || colours > 256)
            colours = 256;
        in.seek(14 + info_size);
        SDL_Color *colors = out.s->format->palette->colors;
        for (Uint32 i = 0; i < colours; ++i) {
            colors[i].b = in.byte();
            colors[i].g = in.byte();
            colors[i].r = in.byte();
            in.byte();
        }
    }
    const size_t row_bytes = size_t(width) * size_t(bits / 8);
    const size_t stride = (row_bytes + 3) & ~size_t(3);
    for (int i = 0; i < height; ++i) {
        in.seek(offset + size_t(i) * stride);
        const int y = top_down ? i : height - 1 - i;
        memcpy(row_of(out.s, y), in.bytes(row_bytes), row_bytes);
    }
    return out.release();
}

}  // namespace

extern "C" SDL_Surface *IMG_Load(const char *file)
{
    FILE *f = file ? fopen(file, "rb") : nullptr;
    if (!f) {
        SDL_SetError("Couldn't open %s", file ? file : "(null)");
        return nullptr;
    }
    std::vector<Uint8> bytes;
    Uint8 buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    try {
        reader in(std::move(bytes));
        if (in.size() >= 2 && in.byte() == 'B' && in.byte() == 'M')
            return load_bmp(in);
        in.seek(0);
        if (in.size() >= 1 && in.byte() == 0x0a)
            return load_pcx(in);
        SDL_SetError("Unsupported image format");
    } catch (const failure &e) {
        SDL_SetError("%s", e.why);
    } catch (const std::bad_alloc &) {
        SDL_SetError("Out of memory");
    }
    return nullptr;
}
