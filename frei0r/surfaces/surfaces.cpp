// The surface operations of SDL.h beside this file: creation, fills, blits and colour
// mapping with SDL 1.2's clipping and write-back rules.
#include "SDL.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int MAX_WIDTH = 16383;  // SDL 1.2 refuses wider surfaces (its pitch is 16 bits)
const int MAX_HEIGHT = 65535;

char last_error[256];

// Position of a mask's lowest bit, and the bits a channel loses against 8.
void mask_shift_loss(Uint32 mask, Uint8 &shift, Uint8 &loss)
{
    shift = 0;
    loss = 8;
    if (!mask)
        return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        --loss;
    }
}

SDL_PixelFormat *make_format(int depth, Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    SDL_PixelFormat *f = static_cast<SDL_PixelFormat *>(calloc(1, sizeof(SDL_PixelFormat)));
    if (!f)
        return nullptr;
    f->BitsPerPixel = Uint8(depth);
    f->BytesPerPixel = Uint8((depth + 7) / 8);
    f->alpha = 255;
    if (depth == 8) {
        // Classic SDL 1.2 gives a new 8-bit surface 256 black colours.
        f->palette = static_cast<SDL_Palette *>(calloc(1, sizeof(SDL_Palette)));
        SDL_Color *colors = static_cast<SDL_Color *>(calloc(256, sizeof(SDL_Color)));
        if (!f->palette || !colors) {
            free(colors);
            free(f->palette);
            free(f);
            return nullptr;
        }
        f->palette->ncolors = 256;
        f->palette->colors = colors;
        f->Rloss = f->Gloss = f->Bloss = f->Aloss = 8;
        return f;
    }
    if (!Rmask && !Gmask && !Bmask && depth > 16) {
        Rmask = 0xff0000;
        Gmask = 0x00ff00;
        Bmask = 0x0000ff;
    }
    f->Rmask = Rmask;
    f->Gmask = Gmask;
    f->Bmask = Bmask;
    f->Amask = Amask;
    mask_shift_loss(Rmask, f->Rshift, f->Rloss);
    mask_shift_loss(Gmask, f->Gshift, f->Gloss);
    mask_shift_loss(Bmask, f->Bshift, f->Bloss);
    mask_shift_loss(Amask, f->Ashift, f->Aloss);
    return f;
}

void free_format(SDL_PixelFormat *f)
{
    if (!f)
        return;
    if (f->palette)
        free(f->palette->colors);
    free(f->palette);
    free(f);
}

bool depth_supported(int depth)
{
    return depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

inline Uint8 *pixel_at(const SDL_Surface *s, int x, int y)
{
    return static_cast<Uint8 *>(s->pixels) + ptrdiff_t(y) * s->pitch +
           ptrdiff_t(x) * s->format->BytesPerPixel;
}

inline Uint32 read_pixel(const Uint8 *p, int bpp)
{
    switch (bpp) {
    case 1:
        return *p;
    case 2: {
        Uint16 v;
        memcpy(&v, p, 2);
        return v;
    }
    case 3:
        if (SDL_BYTEORDER == SDL_BIG_ENDIAN)
            return Uint32(p[0]) << 16 | Uint32(p[1]) << 8 | p[2];
        return p[0] | Uint32(p[1]) << 8 | Uint32(p[2]) << 16;
    default: {
        Uint32 v;
        memcpy(&v, p, 4);
        return v;
    }
    }
}

inline void write_pixel(Uint8 *p, int bpp, Uint32 v)
{
    switch (bpp) {
    case 1:
        *p = Uint8(v);
        break;
    case 2: {
        Uint16 h = Uint16(v);
        memcpy(p, &h, 2);
        break;
    }
    case 3:
        if (SDL_BYTEORDER == SDL_BIG_ENDIAN) {
            p[0] = Uint8(v >> 16);
            p[1] = Uint8(v >> 8);
            p[2] = Uint8(v);
        } else {
            p[0] = Uint8(v);
            p[1] = Uint8(v >> 8);
            p[2] = Uint8(v >> 16);
        }
        break;
    default:
        memcpy(p, &v, 4);
        break;
    }
}

// The palette index nearest to (r, g, b), the first of equals: SDL 1.2's choice.
Uint8 find_color(const SDL_Palette *pal, Uint8 r, Uint8 g, Uint8 b)
{
    unsigned smallest = ~0u;
    Uint8 pixel = 0;
    for (int i = 0; i < pal->ncolors; ++i) {
        const int rd = pal->colors[i].r - r, gd = pal->colors[i].g - g, bd = pal->colors[i].b - b;
        const unsigned distance = unsigned(rd * rd + gd * gd + bd * bd);
        if (distance < smallest) {
            pixel = Uint8(i);
            if (distance == 0)
                break;
            smallest = distance;
        }
    }
    return pixel;
}

struct rgba {
    Uint8 r, g, b, a;
};

inline rgba colour_of(const SDL_PixelFormat *f, Uint32 v)
{
    if (f->palette) {
        const SDL_Color &c = f->palette->colors[v < Uint32(f->palette->ncolors) ? v : 0];
        return {c.r, c.g, c.b, 255};
    }
    return {Uint8(((v & f->Rmask) >> f->Rshift) << f->Rloss),
            Uint8(((v & f->Gmask) >> f->Gshift) << f->Gloss),
            Uint8(((v & f->Bmask) >> f->Bshift) << f->Bloss),
            Uint8(f->Amask ? ((v & f->Amask) >> f->Ashift) << f->Aloss : 255)};
}

// A blitted pixel in the destination's format: an opaque one where it has alpha.
inline Uint32 blit_value(const SDL_PixelFormat *to, rgba c, bool source_alpha)
{
    if (to->palette)
        return find_color(to->palette, c.r, c.g, c.b);
    Uint32 v = Uint32(c.r >> to->Rloss) << to->Rshift | Uint32(c.g >> to->Gloss) << to->Gshift |
               Uint32(c.b >> to->Bloss) << to->Bshift;
    if (to->Amask)
        v |= Uint32((source_alpha ? c.a : 255) >> to->Aloss) << to->Ashift;
    return v;
}

bool same_layout(const SDL_PixelFormat *a, const SDL_PixelFormat *b)
{
    if (a->BitsPerPixel != b->BitsPerPixel)
        return false;
    if (a->palette || b->palette)
        return a->palette && b->palette && a->palette->ncolors == b->palette->ncolors &&
               memcmp(a->palette->colors, b->palette->colors,
                      size_t(a->palette->ncolors) * sizeof(SDL_Color)) == 0;
    return a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask &&
           a->Amask == b->Amask;
}

// A 32-bit pixel written to a surface, with the bits it keeps and the bits it gets.
inline Uint32 combined(Uint32 old, Uint32 value, Uint32 keep, Uint32 force)
{
    return (old & keep) | (value & ~keep) | force;
}

// Copies the w x h block at (sx, sy) of src to (dx, dy) of dst; both lie inside.
void lower_blit(SDL_Surface *src, int sx, int sy, SDL_Surface *dst, int dx, int dy, int w, int h)
{
    const SDL_PixelFormat *sf = src->format, *df = dst->format;
    const int sbpp = sf->BytesPerPixel, dbpp = df->BytesPerPixel;
    const bool keyed = (src->flags & SDL_SRCCOLORKEY) != 0;
    const Uint32 keep = dst->keep_bits, force = dst->force_bits;
    const bool masked = (keep | force) != 0 && dbpp == 4;
    // Over the same surface, rows and pixels are taken in the order that reads each before
    // it is overwritten.
    const bool upward = src == dst && dy > sy;
    const bool leftward = src == dst && dy == sy && dx > sx;

    if (!keyed && same_layout(sf, df)) {
        const size_t bytes = size_t(w) * sbpp;
        for (int i = 0; i < h; ++i) {
            const int row = upward ? h - 1 - i : i;
            if (!masked && w > 4) {
                memmove(pixel_at(dst, dx, dy + row), pixel_at(src, sx, sy + row), bytes);
            } else if (sbpp == 4) {
                // Slices a few pixels wide (the sine scroller's) cost less without a call.
                const Uint32 *from = reinterpret_cast<const Uint32 *>(pixel_at(src, sx, sy + row));
                Uint32 *to = reinterpret_cast<Uint32 *>(pixel_at(dst, dx, dy + row));
                if (leftward) {
                    for (int x = w - 1; x >= 0; --x)
                        to[x] = combined(to[x], from[x], keep, force);
                } else {
                    for (int x = 0; x < w; ++x)
                        to[x] = combined(to[x], from[x], keep, force);
                }
            } else {
                memmove(pixel_at(dst, dx, dy + row), pixel_at(src, sx, sy + row), bytes);
            }
        }
        return;
    }

    const Uint32 rgbmask = ~sf->Amask;
    const Uint32 key = sf->colorkey & rgbmask;
    if (sbpp == 1 && dbpp == 4) {
        // Paletted glyphs onto a 32-bit target: one table lookup a pixel.
        Uint32 map[256];
        for (int i = 0; i < 256; ++i)
            map[i] = blit_value(df, colour_of(sf, Uint32(i)), false);
        for (int y = 0; y < h; ++y) {
            const Uint8 *from = pixel_at(src, sx, sy + y);
            Uint32 *to = reinterpret_cast<Uint32 *>(pixel_at(dst, dx, dy + y));
            for (int x = 0; x < w; ++x)
                if (!keyed || from[x] != key)
                    to[x] = combined(to[x], map[from[x]], keep, force);
        }
        return;
    }
    const bool source_alpha = sf->Amask != 0;
    for (int y = 0; y < h; ++y) {
        const Uint8 *from = pixel_at(src, sx, sy + y);
        Uint8 *to = pixel_at(dst, dx, dy + y);
        for (int x = 0; x < w; ++x, from += sbpp, to += dbpp) {
            const Uint32 v = read_pixel(from, sbpp);
            if (keyed && (v & rgbmask) == key)
                continue;
            Uint32 out = blit_value(df, colour_of(sf, v), source_alpha);
            if (masked)
                out = combined(read_pixel(to, 4), out, keep, force);
            write_pixel(to, dbpp, out);
        }
    }
}

}  // namespace

extern "C" {

const char *SDL_GetError(void)
{
    return last_error;
}

void SDL_SetError(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(last_error, sizeof last_error, fmt, ap);
    va_end(ap);
}

SDL_Surface *SDL_CreateRGBSurfaceFrom(void *pixels, int width, int height, int depth, int pitch,
                                      Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    if (width < 0 || height < 0 || width > MAX_WIDTH || height > MAX_HEIGHT) {
        SDL_SetError("Width or height is too large");
        return nullptr;
    }
    if (!depth_supported(depth)) {
        SDL_SetError("%d bits per pixel are not supported", depth);
        return nullptr;
    }
    SDL_Surface *s = static_cast<SDL_Surface *>(calloc(1, sizeof(SDL_Surface)));
    if (!s || !(s->format = make_format(depth, Rmask, Gmask, Bmask, Amask))) {
        free(s);
        SDL_SetError("Out of memory");
        return nullptr;
    }
    s->flags = SDL_PREALLOC;
    s->w = width;
    s->h = height;
    s->pitch = pitch;
    s->pixels = pixels;
    s->clip_rect.w = Uint16(width);
    s->clip_rect.h = Uint16(height);
    return s;
}

SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask,
                                  Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    // Rows are padded to 4 bytes, as SDL 1.2 pads them.
    const int pitch = (width * ((depth + 7) / 8) + 3) & ~3;
    SDL_Surface *s =
        SDL_CreateRGBSurfaceFrom(nullptr, width, height, depth, pitch, Rmask, Gmask, Bmask, Amask);
    if (!s)
        return nullptr;
    s->flags = flags & ~SDL_PREALLOC;
    if (width && height && !(s->pixels = calloc(size_t(height), size_t(pitch)))) {
        SDL_FreeSurface(s);
        SDL_SetError("Out of memory");
        return nullptr;
    }
    return s;
}

void SDL_FreeSurface(SDL_Surface *s)
{
    if (!s)
        return;
    if (!(s->flags & SDL_PREALLOC))
        free(s->pixels);
    free_format(s->format);
    free(s);
}

Uint32 SDL_MapRGB(const SDL_PixelFormat *f, Uint8 r, Uint8 g, Uint8 b)
{
    if (f->palette)
        return find_color(f->palette, r, g, b);
    return Uint32(r >> f->Rloss) << f->Rshift | Uint32(g >> f->Gloss) << f->Gshift |
           Uint32(b >> f->Bloss) << f->Bshift | f->Amask;
}

Uint32 SDL_MapRGBA(const SDL_PixelFormat *f, Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    if (f->palette)
        return find_color(f->palette, r, g, b);
    return Uint32(r >> f->Rloss) << f->Rshift | Uint32(g >> f->Gloss) << f->Gshift |
           Uint32(b >> f->Bloss) << f->Bshift | (f->Amask ? Uint32(a >> f->Aloss) << f->Ashift : 0);
}

int SDL_SetColorKey(SDL_Surface *s, Uint32 flag, Uint32 key)
{
    if (flag & SDL_SRCCOLORKEY) {
        s->flags |= SDL_SRCCOLORKEY;
        s->format->colorkey = key;
    } else {
        s->flags &= ~SDL_SRCCOLORKEY;
        s->format->colorkey = 0;
    }
    return 0;
}

SDL_Surface *SDL_ConvertSurface(SDL_Surface *src, SDL_PixelFormat *fmt, Uint32 flags)
{
    SDL_Surface *s = SDL_CreateRGBSurface(flags, src->w, src->h, fmt->BitsPerPixel, fmt->Rmask,
                                          fmt->Gmask, fmt->Bmask, fmt->Amask);
    if (!s)
        return nullptr;
    if (fmt->palette)
        memcpy(s->format->palette->colors, fmt->palette->colors,
               size_t(fmt->palette->ncolors < 256 ? fmt->palette->ncolors : 256) *
                   sizeof(SDL_Color));
    const Uint32 keyed = src->flags & SDL_SRCCOLORKEY;
    src->flags &= ~SDL_SRCCOLORKEY;  // the picture is copied whole; the key is carried over
    if (src->w && src->h)
        lower_blit(src, 0, 0, s, 0, 0, src->w, src->h);
    src->flags |= keyed;
    if (keyed) {
        const rgba c = colour_of(src->format, src->format->colorkey);
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, SDL_MapRGB(s->format, c.r, c.g, c.b));
    }
    return s;
}

int SDL_FillRect(SDL_Surface *dst, SDL_Rect *dstrect, Uint32 color)
{
    SDL_Rect whole = dst->clip_rect;
    SDL_Rect *r = &whole;
    if (dstrect) {
        // Clipped to the surface and written back as it goes: an empty result keeps the
        // clipped x and y with w or h 0.
        int x0 = dstrect->x, x1 = dstrect->x + dstrect->w;
        int y0 = dstrect->y, y1 = dstrect->y + dstrect->h;
        const SDL_Rect &c = dst->clip_rect;
        if (c.x > x0)
            x0 = c.x;
        if (c.x + c.w < x1)
            x1 = c.x + c.w;
        if (c.y > y0)
            y0 = c.y;
        if (c.y + c.h < y1)
            y1 = c.y + c.h;
        dstrect->x = Sint16(x0);
        dstrect->w = Uint16(x1 > x0 ? x1 - x0 : 0);
        dstrect->y = Sint16(y0);
        dstrect->h = Uint16(y1 > y0 ? y1 - y0 : 0);
        if (!dstrect->w || !dstrect->h)
            return 0;
        r = dstrect;
    }
    const int bpp = dst->format->BytesPerPixel;
    if (bpp == 4) {
        const Uint32 keep = dst->keep_bits, value = (color & ~keep) | dst->force_bits;
        const int w = r->w;
        for (int y = 0; y < r->h; ++y) {
            Uint32 *row = reinterpret_cast<Uint32 *>(pixel_at(dst, r->x, r->y + y));
            if (keep) {
                for (int x = 0; x < w; ++x)
                    row[x] = (row[x] & keep) | value;
            } else {
                for (int x = 0; x < w; ++x)
                    row[x] = value;
            }
        }
    } else if (bpp == 1) {
        for (int y = 0; y < r->h; ++y)
            memset(pixel_at(dst, r->x, r->y + y), int(color & 0xff), r->w);
    } else {
        for (int y = 0; y < r->h; ++y) {
            Uint8 *p = pixel_at(dst, r->x, r->y + y);
            for (int x = 0; x < r->w; ++x, p += bpp)
                write_pixel(p, bpp, color);
        }
    }
    return 0;
}

}  // extern "C"

namespace {

// One axis of a blit: the source span [from, from + len) is cut to the source's [0, size);
// what is cut before 0 moves the destination position `to` on.
void clip_to_source(int &from, int &len, Sint16 &to, int size)
{
    if (from < 0) {
        len += from;
        to = Sint16(to - from);
        from = 0;
    }
    if (size - from < len)
        len = size - from;
}

// One axis of a blit: the destination span [to, to + len) is cut to the clip span
// [lo, lo + extent); what is cut at its start moves the source position `from` on.
void clip_to_destination(int &from, int &len, Sint16 &to, int lo, int extent)
{
    const int before = lo - to;
    if (before > 0) {
        len -= before;
        to = Sint16(to + before);
        from += before;
    }
    const int after = to + len - lo - extent;
    if (after > 0)
        len -= after;
}

}  // namespace

extern "C" {

int SDL_UpperBlit(SDL_Surface *src, SDL_Rect *srcrect, SDL_Surface *dst, SDL_Rect *dstrect)
{
    if (!src || !dst) {
        SDL_SetError("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    SDL_Rect fulldst = {0, 0, 0, 0};
    if (!dstrect)
        dstrect = &fulldst;

    // The source rectangle clipped to the source, then to the destination's clip rectangle,
    // one axis at a time.
    int srcx = 0, srcy = 0, w = src->w, h = src->h;
    if (srcrect) {
        srcx = srcrect->x;
        w = srcrect->w;
        srcy = srcrect->y;
        h = srcrect->h;
        clip_to_source(srcx, w, dstrect->x, src->w);
        clip_to_source(srcy, h, dstrect->y, src->h);
    }
    clip_to_destination(srcx, w, dstrect->x, dst->clip_rect.x, dst->clip_rect.w);
    clip_to_destination(srcy, h, dstrect->y, dst->clip_rect.y, dst->clip_rect.h);

    if (w > 0 && h > 0) {
        dstrect->w = Uint16(w);
        dstrect->h = Uint16(h);
        lower_blit(src, srcx, srcy, dst, dstrect->x, dstrect->y, w, h);
        return 0;
    }
    dstrect->w = dstrect->h = 0;
    return 0;
}

}  // extern "C"
