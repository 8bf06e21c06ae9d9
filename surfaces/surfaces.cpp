// The surface operations of SDL.h beside this file: creation, palettes, colour keys, colour
// mapping, fills and blits. Every rule that decides a pixel is SDL 1.2's own: the clipping of
// blits and fills (with the clipped rectangle written back), the nearest-colour mapping
// between palettes (first nearest entry wins; equal palettes copy indices), colour keys
// compared on the source pixel, and a colour assembled into a packed pixel with the
// destination's shifts and losses.
#include "SDL.h"
#include "surfaces_host.h"

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

const int MAX_WIDTH = 16383;  // SDL 1.2 refuses wider surfaces (its pitch is 16 bits)
const int MAX_HEIGHT = 65535;

thread_local char last_error[256];
SDL_Surface *video_surface = nullptr;

// Palette versions are unique in the process, so that a cached colour map never matches a
// later surface that happens to get the same address.
std::atomic<Uint32> last_version{0};

void new_version(SDL_Surface *s)
{
    s->palette_version = ++last_version;
}

// Lowest set bit and width of a colour mask, as SDL turns a mask into shift and loss.
void mask_shift_loss(Uint32 mask, Uint8 &shift, Uint8 &loss)
{
    shift = 0;
    loss = 8;
    if (!mask)
        return;
    for (; (mask & 1) == 0; mask >>= 1)
        ++shift;
    for (; (mask & 1) != 0; mask >>= 1)
        --loss;
}

SDL_PixelFormat *make_format(int bpp, Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    SDL_PixelFormat *f = static_cast<SDL_PixelFormat *>(calloc(1, sizeof(SDL_PixelFormat)));
    if (!f)
        return nullptr;
    f->BitsPerPixel = Uint8(bpp);
    f->BytesPerPixel = Uint8((bpp + 7) / 8);
    f->alpha = 255;
    if (Rmask || Gmask || Bmask) {
        f->Rmask = Rmask;
        f->Gmask = Gmask;
        f->Bmask = Bmask;
        f->Amask = Amask;
    } else if (bpp > 16) {  // SDL's default layouts: 8-8-8 above 16 bits, else 5-6-5 style
        f->Rmask = 0xff0000;
        f->Gmask = 0x00ff00;
        f->Bmask = 0x0000ff;
    } else if (bpp > 8) {
        f->Rmask = ((1u << (bpp / 3)) - 1) << (bpp / 3 + bpp % 3 + bpp / 3);
        f->Gmask = ((1u << (bpp / 3 + bpp % 3)) - 1) << (bpp / 3);
        f->Bmask = (1u << (bpp / 3)) - 1;
    }
    mask_shift_loss(f->Rmask, f->Rshift, f->Rloss);
    mask_shift_loss(f->Gmask, f->Gshift, f->Gloss);
    mask_shift_loss(f->Bmask, f->Bshift, f->Bloss);
    mask_shift_loss(f->Amask, f->Ashift, f->Aloss);
    if (bpp <= 8) {
        SDL_Palette *pal = static_cast<SDL_Palette *>(calloc(1, sizeof(SDL_Palette)));
        const int n = 1 << bpp;
        SDL_Color *colors = static_cast<SDL_Color *>(calloc(size_t(n), sizeof(SDL_Color)));
        if (!pal || !colors) {
            free(pal);
            free(colors);
            free(f);
            return nullptr;
        }
        pal->ncolors = n;
        pal->colors = colors;
        if (Rmask || Gmask || Bmask) {
            // A palette that spells out the masks, as SDL makes it.
            for (int i = 0; i < n; ++i) {
                colors[i].r = Uint8(((Uint32(i) & Rmask) >> f->Rshift) << f->Rloss);
                colors[i].g = Uint8(((Uint32(i) & Gmask) >> f->Gshift) << f->Gloss);
                colors[i].b = Uint8(((Uint32(i) & Bmask) >> f->Bshift) << f->Bloss);
            }
        }
        f->palette = pal;
    }
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
        const Uint16 h = Uint16(v);
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

bool same_masks(const SDL_PixelFormat *a, const SDL_PixelFormat *b)
{
    return a->BitsPerPixel == b->BitsPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask &&
           a->Bmask == b->Bmask && a->Amask == b->Amask;
}

// A 32-bit pixel written to a surface, with the bits it keeps and the bits it gets.
inline Uint32 combined(Uint32 old, Uint32 value, Uint32 keep, Uint32 force)
{
    return (old & keep) | (value & ~keep) | force;
}

// The colour map of a blit from a paletted surface, kept with the source until either
// palette (or the destination) changes.
struct blit_map {
    const SDL_Surface *dst = nullptr;
    Uint32 src_version = 0, dst_version = 0;
    bool identity = false;  // 8 to 8 bits with equal palettes: indices are copied
    Uint32 pixels[256];     // per source index: the destination pixel
};

// Null when there is no memory for it.
const blit_map *map_for(SDL_Surface *src, const SDL_Surface *dst)
{
    blit_map *m = static_cast<blit_map *>(src->blit_map);
    if (!m) {
        m = new (std::nothrow) blit_map;
        if (!m)
            return nullptr;
        src->blit_map = m;
    } else if (m->dst == dst && m->src_version == src->palette_version &&
               m->dst_version == dst->palette_version) {
        return m;
    }
    m->dst = dst;
    m->src_version = src->palette_version;
    m->dst_version = dst->palette_version;
    const SDL_Palette *sp = src->format->palette;
    const SDL_PixelFormat *df = dst->format;
    const int n = sp->ncolors < 256 ? sp->ncolors : 256;
    // Equal palettes (every byte of the colours, as SDL compares them) copy indices.
    m->identity = df->palette && sp->ncolors <= df->palette->ncolors &&
                  memcmp(sp->colors, df->palette->colors, size_t(n) * sizeof(SDL_Color)) == 0;
    for (int i = 0; i < 256; ++i)
        m->pixels[i] =
            m->identity ? Uint32(i) : blit_value(df, colour_of(src->format, Uint32(i)), false);
    return m;
}

void forget_map(SDL_Surface *s)
{
    delete static_cast<blit_map *>(s->blit_map);
    s->blit_map = nullptr;
}

// A source with an alpha channel blended onto dst pixel by pixel, as SDL 1.2 blends it (the
// colour key then plays no part): alpha 0 leaves the pixel, 255 takes the source's colour.
// Between two 32-bit layouts with the same colour masks SDL works on two channels at once
// (its BlitRGBtoRGBPixelAlpha); otherwise channel by channel (BlitNtoNPixelAlpha).
void alpha_blit(SDL_Surface *src, int sx, int sy, SDL_Surface *dst, int dx, int dy, int w, int h)
{
    const SDL_PixelFormat *sf = src->format, *df = dst->format;
    const int sbpp = sf->BytesPerPixel, dbpp = df->BytesPerPixel;
    const Uint32 keep = dst->keep_bits, force = dst->force_bits;
    const bool masked = (keep | force) != 0 && dbpp == 4;
    const bool paired = sbpp == 4 && dbpp == 4 && sf->Rmask == df->Rmask &&
                        sf->Gmask == df->Gmask && sf->Bmask == df->Bmask && sf->Gmask == 0xff00 &&
                        ((sf->Rmask == 0xff && sf->Bmask == 0xff0000) ||
                         (sf->Rmask == 0xff0000 && sf->Bmask == 0xff));
    for (int y = 0; y < h; ++y) {
        const Uint8 *from = pixel_at(src, sx, sy + y);
        Uint8 *to = pixel_at(dst, dx, dy + y);
        for (int x = 0; x < w; ++x, from += sbpp, to += dbpp) {
            const Uint32 s = read_pixel(from, sbpp), d = read_pixel(to, dbpp);
            const rgba c = colour_of(sf, s);
            if (!c.a)
                continue;
            Uint32 out;
            if (paired) {
                const Uint32 a = c.a, dalpha = d & ~(sf->Rmask | sf->Gmask | sf->Bmask);
                if (a == 255) {
                    out = (s & (sf->Rmask | sf->Gmask | sf->Bmask)) | dalpha;
                } else {
                    const Uint32 s1 = s & 0xff00ff, d1 = d & 0xff00ff;
                    const Uint32 rb = (d1 + ((s1 - d1) * a >> 8)) & 0xff00ff;
                    const Uint32 g =
                        ((d & 0xff00) + (((s & 0xff00) - (d & 0xff00)) * a >> 8)) & 0xff00;
                    out = rb | g | dalpha;
                }
            } else {
                // SDL's unsigned arithmetic, whose borrows spill into the bits above a
                // channel when the source is the darker.
                const rgba old = colour_of(df, d);
                const auto blend = [&c](Uint32 sv, Uint32 dv) {
                    return (((sv - dv) * c.a + 255) >> 8) + dv;
                };
                out = (blend(c.r, old.r) >> df->Rloss) << df->Rshift |
                      (blend(c.g, old.g) >> df->Gloss) << df->Gshift |
                      (blend(c.b, old.b) >> df->Bloss) << df->Bshift |
                      (Uint32(df->Amask ? old.a : 0) >> df->Aloss) << df->Ashift;
            }
            if (masked)
                out = combined(d, out, keep, force);
            write_pixel(to, dbpp, out);
        }
    }
}

// Copies the w x h block at (sx, sy) of src to (dx, dy) of dst; both lie inside. -1 when the
// colour map cannot be made.
int lower_blit(SDL_Surface *src, int sx, int sy, SDL_Surface *dst, int dx, int dy, int w, int h)
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

    if ((src->flags & SDL_SRCALPHA) && sf->Amask && !df->palette) {
        alpha_blit(src, sx, sy, dst, dx, dy, w, h);
        return 0;
    }
    const blit_map *map = nullptr;
    if (sf->palette && !(map = map_for(src, dst)))
        return -1;
    const bool copy = sf->palette ? map->identity : same_masks(sf, df);
    if (copy && !keyed) {
        const size_t bytes = size_t(w) * sbpp;
        for (int i = 0; i < h; ++i) {
            const int row = upward ? h - 1 - i : i;
            if (!masked || sbpp != 4) {
                memmove(pixel_at(dst, dx, dy + row), pixel_at(src, sx, sy + row), bytes);
                continue;
            }
            const Uint32 *from = reinterpret_cast<const Uint32 *>(pixel_at(src, sx, sy + row));
            Uint32 *to = reinterpret_cast<Uint32 *>(pixel_at(dst, dx, dy + row));
            if (leftward) {
                for (int x = w - 1; x >= 0; --x)
                    to[x] = combined(to[x], from[x], keep, force);
            } else {
                for (int x = 0; x < w; ++x)
                    to[x] = combined(to[x], from[x], keep, force);
            }
        }
        return 0;
    }

    const Uint32 rgbmask = ~sf->Amask;
    const Uint32 key = sf->colorkey & rgbmask;
    if (map) {
        // Paletted pictures (the fonts): one table lookup a pixel.
        for (int y = 0; y < h; ++y) {
            const Uint8 *from = pixel_at(src, sx, sy + y);
            Uint8 *to = pixel_at(dst, dx, dy + y);
            for (int x = 0; x < w; ++x, to += dbpp) {
                if (keyed && from[x] == key)
                    continue;
                if (masked)
                    write_pixel(to, 4,
                                combined(read_pixel(to, 4), map->pixels[from[x]], keep, force));
                else
                    write_pixel(to, dbpp, map->pixels[from[x]]);
            }
        }
        return 0;
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
    return 0;
}

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

// One axis of a fill: [at, at + len) cut to [lo, lo + extent), written back; an empty
// result keeps the clipped start with length 0.
void clip_fill(Sint16 &at, Uint16 &len, int lo, int extent)
{
    int from = at, to = at + len;
    if (lo > from)
        from = lo;
    if (lo + extent < to)
        to = lo + extent;
    at = Sint16(from);
    len = Uint16(to > from ? to - from : 0);
}

}  // namespace

extern "C" {

char *SDL_GetError(void)
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

void MIRVO_set_video_surface(SDL_Surface *screen)
{
    video_surface = screen;
}

SDL_Surface *SDL_GetVideoSurface(void)
{
    return video_surface;
}

SDL_Surface *SDL_CreateRGBSurfaceFrom(void *pixels, int width, int height, int depth, int pitch,
                                      Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    if (width < 0 || height < 0 || width > MAX_WIDTH || height > MAX_HEIGHT) {
        SDL_SetError("Width or height is too large");
        return nullptr;
    }
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        SDL_SetError("%d bits per pixel are not supported", depth);
        return nullptr;
    }
    SDL_Surface *s = static_cast<SDL_Surface *>(calloc(1, sizeof(SDL_Surface)));
    if (!s || !(s->format = make_format(depth, Rmask, Gmask, Bmask, Amask))) {
        free(s);
        SDL_SetError("Out of memory");
        return nullptr;
    }
    s->flags = SDL_PREALLOC | (Amask ? SDL_SRCALPHA : 0);
    s->w = width;
    s->h = height;
    s->pitch = pitch;
    s->pixels = pixels;
    s->clip_rect.w = Uint16(width);
    s->clip_rect.h = Uint16(height);
    s->refcount = 1;
    new_version(s);
    return s;
}

SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask,
                                  Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    // Rows are padded to 4 bytes, as SDL 1.2 pads them.
    const int pitch = width >= 0 && width <= MAX_WIDTH ? (width * ((depth + 7) / 8) + 3) & ~3 : 0;
    SDL_Surface *s =
        SDL_CreateRGBSurfaceFrom(nullptr, width, height, depth, pitch, Rmask, Gmask, Bmask, Amask);
    if (!s)
        return nullptr;
    s->flags = (flags & SDL_HWPALETTE) | (Amask ? SDL_SRCALPHA : 0);
    if (width && height && !(s->pixels = calloc(size_t(height), size_t(pitch)))) {
        SDL_FreeSurface(s);
        SDL_SetError("Out of memory");
        return nullptr;
    }
    return s;
}

void SDL_FreeSurface(SDL_Surface *s)
{
    if (!s || s == video_surface)
        return;
    if (--s->refcount > 0)
        return;
    if (!(s->flags & SDL_PREALLOC))
        free(s->pixels);
    forget_map(s);
    free_format(s->format);
    free(s);
}

int SDL_LockSurface(SDL_Surface *s)
{
    ++s->locked;
    return 0;
}

void SDL_UnlockSurface(SDL_Surface *s)
{
    if (s->locked > 0)
        --s->locked;
}

int SDL_SetPalette(SDL_Surface *s, int flags, SDL_Color *colors, int firstcolor, int ncolors)
{
    if (!s || !s->format->palette || !(flags & (SDL_LOGPAL | SDL_PHYSPAL)))
        return 0;
    int got_all = 1;
    const int size = s->format->palette->ncolors;
    if (firstcolor < 0 || firstcolor > size)
        return 0;
    if (ncolors > size - firstcolor) {
        ncolors = size - firstcolor;
        got_all = 0;
    }
    if (ncolors > 0 && colors != s->format->palette->colors + firstcolor)
        memmove(s->format->palette->colors + firstcolor, colors,
                size_t(ncolors) * sizeof(SDL_Color));
    new_version(s);
    return got_all;
}

int SDL_SetColors(SDL_Surface *s, SDL_Color *colors, int firstcolor, int ncolors)
{
    return SDL_SetPalette(s, SDL_LOGPAL | SDL_PHYSPAL, colors, firstcolor, ncolors);
}

int SDL_SetColorKey(SDL_Surface *s, Uint32 flag, Uint32 key)
{
    if (flag & SDL_SRCCOLORKEY) {
        s->flags |= SDL_SRCCOLORKEY;
        s->format->colorkey = key;
    } else {
        s->flags &= ~Uint32(SDL_SRCCOLORKEY);
        s->format->colorkey = 0;
    }
    new_version(s);
    return 0;
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
           Uint32(b >> f->Bloss) << f->Bshift | ((Uint32(a >> f->Aloss) << f->Ashift) & f->Amask);
}

void SDL_GetRGB(Uint32 pixel, const SDL_PixelFormat *f, Uint8 *r, Uint8 *g, Uint8 *b)
{
    if (f->palette) {
        const SDL_Color &c = f->palette->colors[pixel & 0xff];
        *r = c.r;
        *g = c.g;
        *b = c.b;
        return;
    }
    // Widened as SDL widens: the top bits repeated into the lost low bits.
    unsigned v = (pixel & f->Rmask) >> f->Rshift;
    *r = Uint8((v << f->Rloss) + (v >> (8 - (f->Rloss << 1))));
    v = (pixel & f->Gmask) >> f->Gshift;
    *g = Uint8((v << f->Gloss) + (v >> (8 - (f->Gloss << 1))));
    v = (pixel & f->Bmask) >> f->Bshift;
    *b = Uint8((v << f->Bloss) + (v >> (8 - (f->Bloss << 1))));
}

SDL_Surface *SDL_ConvertSurface(SDL_Surface *src, SDL_PixelFormat *fmt, Uint32 flags)
{
    if (fmt->palette) {
        // SDL 1.2 refuses an all-black destination palette (the picture would be lost).
        int i = 0;
        for (; i < fmt->palette->ncolors; ++i) {
            const SDL_Color &c = fmt->palette->colors[i];
            if (c.r || c.g || c.b)
                break;
        }
        if (i == fmt->palette->ncolors) {
            SDL_SetError("Empty destination palette");
            return nullptr;
        }
    }
    SDL_Surface *out = SDL_CreateRGBSurface(flags, src->w, src->h, fmt->BitsPerPixel, fmt->Rmask,
                                            fmt->Gmask, fmt->Bmask, fmt->Amask);
    if (!out)
        return nullptr;
    if (fmt->palette && out->format->palette) {
        const int n = fmt->palette->ncolors < 256 ? fmt->palette->ncolors : 256;
        memcpy(out->format->palette->colors, fmt->palette->colors, size_t(n) * sizeof(SDL_Color));
        out->format->palette->ncolors = n;
        new_version(out);
    }
    // The pixels come over as they are, without the colour key or blending (the key is
    // carried over by colour).
    const Uint32 src_flags = src->flags;
    src->flags &= ~Uint32(SDL_SRCCOLORKEY | SDL_SRCALPHA);
    const int failed = src->w && src->h ? lower_blit(src, 0, 0, out, 0, 0, src->w, src->h) : 0;
    src->flags = src_flags;
    if (failed) {
        SDL_FreeSurface(out);
        SDL_SetError("Out of memory");
        return nullptr;
    }
    out->clip_rect = src->clip_rect;
    if (src_flags & SDL_SRCCOLORKEY) {
        Uint8 r, g, b;
        SDL_GetRGB(src->format->colorkey, src->format, &r, &g, &b);
        SDL_SetColorKey(out, SDL_SRCCOLORKEY, SDL_MapRGB(out->format, r, g, b));
    }
    if (src_flags & SDL_SRCALPHA)
        out->flags |= SDL_SRCALPHA;
    return out;
}

SDL_Surface *SDL_DisplayFormat(SDL_Surface *surface)
{
    if (!video_surface) {
        SDL_SetError("No video mode has been set");
        return nullptr;
    }
    return SDL_ConvertSurface(surface, video_surface->format,
                              surface->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCELOK));
}

int SDL_FillRect(SDL_Surface *dst, SDL_Rect *dstrect, Uint32 color)
{
    SDL_Rect whole = dst->clip_rect;
    SDL_Rect *r = &whole;
    if (dstrect) {
        clip_fill(dstrect->x, dstrect->w, dst->clip_rect.x, dst->clip_rect.w);
        clip_fill(dstrect->y, dstrect->h, dst->clip_rect.y, dst->clip_rect.h);
        if (!dstrect->w || !dstrect->h)
            return 0;
        r = dstrect;
    }
    const int bpp = dst->format->BytesPerPixel;
    if (bpp == 4) {
        const Uint32 keep = dst->keep_bits, value = (color & ~keep) | dst->force_bits;
        for (int y = 0; y < r->h; ++y) {
            Uint32 *row = reinterpret_cast<Uint32 *>(pixel_at(dst, r->x, r->y + y));
            if (keep) {
                for (int x = 0; x < r->w; ++x)
                    row[x] = (row[x] & keep) | value;
            } else {
                for (int x = 0; x < r->w; ++x)
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

int SDL_UpperBlit(SDL_Surface *src, SDL_Rect *srcrect, SDL_Surface *dst, SDL_Rect *dstrect)
{
    if (!src || !dst) {
        SDL_SetError("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    if (src->locked || dst->locked) {
        SDL_SetError("Surfaces must not be locked during blit");
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
        if (lower_blit(src, srcx, srcy, dst, dstrect->x, dstrect->y, w, h) != 0) {
            SDL_SetError("Out of memory");
            return -1;
        }
        return 0;
    }
    dstrect->w = dstrect->h = 0;
    return 0;
}

}  // extern "C"
