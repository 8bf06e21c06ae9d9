// surface_layer.cpp - the SDL 1.2 surface operations of SDL.h, in plain C++, for the browser
// build. Every rule that decides a pixel is SDL 1.2's own: the clipping of blits and fills
// (with the clipped rectangle written back), the 3-3-2 palette of an 8-bit display, the
// nearest-colour mapping between palettes (first nearest entry wins; identical palettes copy
// indices), colour keys compared on the source pixel, and a palette colour assembled into a
// packed pixel with the destination's shifts and losses.
#include "SDL.h"
#include "SDL_image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string last_error;
SDL_Surface *video_surface = nullptr;
bool video_initialised = false;

void set_error(const std::string &message)
{
    last_error = message;
}

// Lowest set bit and width of a colour mask, as SDL turns a mask into shift and loss.
void mask_shift_loss(Uint32 mask, Uint8 &shift, Uint8 &loss)
{
    shift = 0;
    loss = 8;
    if (!mask)
        return;
    Uint32 m = mask;
    for (; (m & 1) == 0; m >>= 1)
        ++shift;
    for (; (m & 1) != 0; m >>= 1)
        --loss;
}

SDL_PixelFormat *alloc_format(int bpp, Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
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
        mask_shift_loss(Rmask, f->Rshift, f->Rloss);
        mask_shift_loss(Gmask, f->Gshift, f->Gloss);
        mask_shift_loss(Bmask, f->Bshift, f->Bloss);
        mask_shift_loss(Amask, f->Ashift, f->Aloss);
    } else if (bpp > 8) {
        // SDL's default layouts: 8-8-8 above 16 bits, else 5-6-5 style.
        if (bpp > 16) {
            f->Rmask = 0xff0000;
            f->Gmask = 0x00ff00;
            f->Bmask = 0x0000ff;
        } else {
            f->Rmask = ((1u << (bpp / 3)) - 1) << (bpp / 3 + bpp % 3 + bpp / 3);
            f->Gmask = ((1u << (bpp / 3 + bpp % 3)) - 1) << (bpp / 3);
            f->Bmask = (1u << (bpp / 3)) - 1;
        }
        mask_shift_loss(f->Rmask, f->Rshift, f->Rloss);
        mask_shift_loss(f->Gmask, f->Gshift, f->Gloss);
        mask_shift_loss(f->Bmask, f->Bshift, f->Bloss);
        f->Aloss = 8;
    } else {
        f->Rloss = f->Gloss = f->Bloss = f->Aloss = 8;
    }
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
    if (f->palette) {
        free(f->palette->colors);
        free(f->palette);
    }
    free(f);
}

// The palette SDL gives an 8-bit display: red 3 bits, green 3 bits, blue 2 bits.
void dither_colors(SDL_Color *colors)
{
    for (int i = 0; i < 256; ++i) {
        int r = i & 0xe0;
        r |= r >> 3 | r >> 6;
        int g = (i << 3) & 0xe0;
        g |= g >> 3 | g >> 6;
        int b = i & 0x3;
        b |= b << 2;
        b |= b << 4;
        colors[i].r = Uint8(r);
        colors[i].g = Uint8(g);
        colors[i].b = Uint8(b);
        colors[i].unused = 0;
    }
}

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

Uint32 pack(const SDL_PixelFormat *f, Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    return Uint32(r >> f->Rloss) << f->Rshift | Uint32(g >> f->Gloss) << f->Gshift |
           Uint32(b >> f->Bloss) << f->Bshift | Uint32(a >> f->Aloss) << f->Ashift;
}

Uint32 read_pixel(const Uint8 *p, int bytes)
{
    switch (bytes) {
    case 1:
        return *p;
    case 2: {
        Uint16 v;
        memcpy(&v, p, 2);
        return v;
    }
    case 3:
        return Uint32(p[0]) | Uint32(p[1]) << 8 | Uint32(p[2]) << 16;
    default: {
        Uint32 v;
        memcpy(&v, p, 4);
        return v;
    }
    }
}

void write_pixel(Uint8 *p, int bytes, Uint32 v)
{
    switch (bytes) {
    case 1:
        *p = Uint8(v);
        break;
    case 2: {
        const Uint16 w = Uint16(v);
        memcpy(p, &w, 2);
        break;
    }
    case 3:
        p[0] = Uint8(v);
        p[1] = Uint8(v >> 8);
        p[2] = Uint8(v >> 16);
        break;
    default:
        memcpy(p, &v, 4);
        break;
    }
}

bool same_format(const SDL_PixelFormat *a, const SDL_PixelFormat *b)
{
    return a->BitsPerPixel == b->BitsPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask &&
           a->Bmask == b->Bmask && a->Amask == b->Amask;
}

// The colour map of a blit from a paletted surface, kept with the source until either
// palette (or the destination) changes.
struct blit_map {
    const SDL_Surface *dst = nullptr;
    Uint32 src_version = 0, dst_version = 0;
    bool identity = false;       // 8 to 8 bits with equal palettes: indices are copied
    std::vector<Uint32> pixels;  // per source index: the destination pixel
};

const blit_map &map_for(SDL_Surface *src, SDL_Surface *dst)
{
    blit_map *m = static_cast<blit_map *>(src->blit_map);
    if (!m) {
        m = new blit_map;
        src->blit_map = m;
    }
    if (m->dst == dst && m->src_version == src->palette_version &&
        m->dst_version == dst->palette_version && !m->pixels.empty())
        return *m;
    m->dst = dst;
    m->src_version = src->palette_version;
    m->dst_version = dst->palette_version;
    const SDL_Palette *sp = src->format->palette;
    const SDL_PixelFormat *df = dst->format;
    m->pixels.assign(size_t(sp->ncolors), 0);
    m->identity = false;
    if (df->BytesPerPixel == 1) {
        const SDL_Palette *dp = df->palette;
        // Equal palettes (every byte of the colours, as SDL compares them) copy indices.
        m->identity = sp->ncolors <= dp->ncolors &&
                      memcmp(sp->colors, dp->colors, size_t(sp->ncolors) * sizeof(SDL_Color)) == 0;
        for (int i = 0; i < sp->ncolors; ++i)
            m->pixels[size_t(i)] =
                m->identity ? Uint32(i)
                            : find_color(dp, sp->colors[i].r, sp->colors[i].g, sp->colors[i].b);
    } else {
        const Uint8 alpha = df->Amask ? src->format->alpha : 0;
        for (int i = 0; i < sp->ncolors; ++i)
            m->pixels[size_t(i)] =
                pack(df, sp->colors[i].r, sp->colors[i].g, sp->colors[i].b, alpha);
    }
    return *m;
}

void forget_map(SDL_Surface *s)
{
    delete static_cast<blit_map *>(s->blit_map);
    s->blit_map = nullptr;
}

// Both rectangles already clipped and of equal size.
int lower_blit(SDL_Surface *src, const SDL_Rect &sr, SDL_Surface *dst, const SDL_Rect &dr)
{
    const SDL_PixelFormat *sf = src->format, *df = dst->format;
    const int sb = sf->BytesPerPixel, db = df->BytesPerPixel;
    const bool keyed = (src->flags & SDL_SRCCOLORKEY) != 0;
    const int w = sr.w, h = sr.h;
    const Uint8 *from = static_cast<const Uint8 *>(src->pixels) + sr.y * src->pitch + sr.x * sb;
    Uint8 *to = static_cast<Uint8 *>(dst->pixels) + dr.y * dst->pitch + dr.x * db;

    if (sb == 1) {
        if (!sf->palette)
            return -1;
        const blit_map &m = map_for(src, dst);
        if (m.identity && !keyed) {
            // A plain copy, which may overlap on one surface: rows in the safe order.
            for (int row = 0; row < h; ++row) {
                const int y = (dr.y > sr.y && src == dst) ? h - 1 - row : row;
                memmove(to + y * dst->pitch, from + y * src->pitch, size_t(w));
            }
            return 0;
        }
        const Uint32 key = sf->colorkey;
        for (int y = 0; y < h; ++y) {
            const Uint8 *s = from + y * src->pitch;
            Uint8 *d = to + y * dst->pitch;
            for (int x = 0; x < w; ++x, d += db)
                if (!keyed || s[x] != key)
                    write_pixel(d, db, m.pixels[s[x]]);
        }
        return 0;
    }
    if (db == 1)
        return -1;  // true colour onto a palette: not used by anything here
    if (same_format(sf, df)) {
        if (!keyed) {
            for (int row = 0; row < h; ++row) {
                const int y = (dr.y > sr.y && src == dst) ? h - 1 - row : row;
                memmove(to + y * dst->pitch, from + y * src->pitch, size_t(w) * size_t(sb));
            }
            return 0;
        }
        const Uint32 rgb = ~sf->Amask, key = sf->colorkey & rgb;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Uint32 p = read_pixel(from + y * src->pitch + x * sb, sb);
                if ((p & rgb) != key)
                    write_pixel(to + y * dst->pitch + x * db, db, p);
            }
        return 0;
    }
    // Between two true-colour layouts: each channel moved as SDL's blitters move it
    // (the lost low bits of a narrower channel stay 0).
    const Uint32 rgb = ~sf->Amask, key = sf->colorkey & rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Uint32 p = read_pixel(from + y * src->pitch + x * sb, sb);
            if (keyed && (p & rgb) == key)
                continue;
            const Uint8 r = Uint8(((p & sf->Rmask) >> sf->Rshift) << sf->Rloss);
            const Uint8 g = Uint8(((p & sf->Gmask) >> sf->Gshift) << sf->Gloss);
            const Uint8 b = Uint8(((p & sf->Bmask) >> sf->Bshift) << sf->Bloss);
            const Uint8 a = sf->Amask ? Uint8(((p & sf->Amask) >> sf->Ashift) << sf->Aloss) : 255;
            write_pixel(to + y * dst->pitch + x * db, db, pack(df, r, g, b, df->Amask ? a : 0));
        }
    return 0;
}

}  // namespace

extern "C" {

char *SDL_GetError(void)
{
    return const_cast<char *>(last_error.c_str());
}

int SDL_Init(Uint32 flags)
{
    if (flags & SDL_INIT_VIDEO)
        video_initialised = true;
    return 0;
}

Uint32 SDL_WasInit(Uint32 flags)
{
    return (flags & SDL_INIT_VIDEO) && video_initialised ? SDL_INIT_VIDEO : 0;
}

void SDL_Quit(void)
{
    if (video_surface) {
        SDL_Surface *s = video_surface;
        video_surface = nullptr;
        SDL_FreeSurface(s);
    }
    video_initialised = false;
}

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        set_error("unsupported depth " + std::to_string(bpp));
        return nullptr;
    }
    if (video_surface) {
        SDL_Surface *old = video_surface;
        video_surface = nullptr;
        SDL_FreeSurface(old);
    }
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, bpp, 0, 0, 0, 0);
    if (!s)
        return nullptr;
    s->flags |= flags & (SDL_HWPALETTE | SDL_FULLSCREEN);
    if (bpp == 8)
        dither_colors(s->format->palette->colors);
    video_surface = s;
    return s;
}

int SDL_Flip(SDL_Surface *)
{
    return 0;
}

void SDL_WM_SetCaption(const char *, const char *) { }

int SDL_ShowCursor(int)
{
    return 0;
}

SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask,
                                  Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    if (width < 0 || height < 0 || width > 16383 || height > 65535 ||
        (depth != 8 && depth != 16 && depth != 24 && depth != 32)) {
        set_error("Invalid surface size or depth");
        return nullptr;
    }
    SDL_Surface *s = static_cast<SDL_Surface *>(calloc(1, sizeof(SDL_Surface)));
    if (!s) {
        set_error("Out of memory");
        return nullptr;
    }
    s->format = alloc_format(depth, Rmask, Gmask, Bmask, Amask);
    if (!s->format) {
        free(s);
        set_error("Out of memory");
        return nullptr;
    }
    s->flags = (flags & SDL_HWPALETTE) | (Amask ? SDL_SRCALPHA : 0);
    s->w = width;
    s->h = height;
    s->pitch = Uint16((width * s->format->BytesPerPixel + 3) & ~3);
    if (s->w && s->h) {
        s->pixels = calloc(size_t(s->h), s->pitch);
        if (!s->pixels) {
            free_format(s->format);
            free(s);
            set_error("Out of memory");
            return nullptr;
        }
    }
    s->clip_rect.w = Uint16(width);
    s->clip_rect.h = Uint16(height);
    s->refcount = 1;
    return s;
}

SDL_Surface *SDL_CreateRGBSurfaceFrom(void *pixels, int width, int height, int depth, int pitch,
                                      Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, 0, 0, depth, Rmask, Gmask, Bmask, Amask);
    if (!s)
        return nullptr;
    s->flags |= SDL_PREALLOC;
    s->pixels = pixels;
    s->w = width;
    s->h = height;
    s->pitch = Uint16(pitch);
    s->clip_rect.w = Uint16(width);
    s->clip_rect.h = Uint16(height);
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

SDL_Surface *SDL_ConvertSurface(SDL_Surface *src, SDL_PixelFormat *fmt, Uint32 flags)
{
    if (fmt->palette) {
        int i = 0;
        for (; i < fmt->palette->ncolors; ++i) {
            const SDL_Color &c = fmt->palette->colors[i];
            if (c.r || c.g || c.b)
                break;
        }
        if (i == fmt->palette->ncolors) {
            set_error("Empty destination palette");
            return nullptr;
        }
    }
    SDL_Surface *out = SDL_CreateRGBSurface(flags, src->w, src->h, fmt->BitsPerPixel, fmt->Rmask,
                                            fmt->Gmask, fmt->Bmask, fmt->Amask);
    if (!out)
        return nullptr;
    if (fmt->palette && out->format->palette) {
        memcpy(out->format->palette->colors, fmt->palette->colors,
               size_t(fmt->palette->ncolors) * sizeof(SDL_Color));
        out->format->palette->ncolors = fmt->palette->ncolors;
    }
    // The pixels come over without the colour key; the key is carried over by colour.
    const Uint32 src_flags = src->flags;
    const Uint32 key = src->format->colorkey;
    src->flags &= ~Uint32(SDL_SRCCOLORKEY);
    const SDL_Rect all = {0, 0, Uint16(src->w), Uint16(src->h)};
    if (src->w && src->h && lower_blit(src, all, out, all) != 0) {
        src->flags = src_flags;
        SDL_FreeSurface(out);
        set_error("Blit combination not supported");
        return nullptr;
    }
    src->flags = src_flags;
    out->clip_rect = src->clip_rect;
    if (src_flags & SDL_SRCCOLORKEY) {
        Uint8 r, g, b;
        SDL_GetRGB(key, src->format, &r, &g, &b);
        SDL_SetColorKey(out, SDL_SRCCOLORKEY, SDL_MapRGB(out->format, r, g, b));
    }
    if (src_flags & SDL_SRCALPHA)
        out->flags |= SDL_SRCALPHA;
    return out;
}

SDL_Surface *SDL_DisplayFormat(SDL_Surface *surface)
{
    if (!video_surface) {
        set_error("No video mode has been set");
        return nullptr;
    }
    return SDL_ConvertSurface(surface, video_surface->format,
                              surface->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCELOK));
}

int SDL_SetPalette(SDL_Surface *s, int flags, SDL_Color *colors, int firstcolor, int ncolors)
{
    if (!s || !s->format->palette || !(flags & (SDL_LOGPAL | SDL_PHYSPAL)))
        return 0;
    int got_all = 1;
    const int size = 1 << s->format->BitsPerPixel;
    if (ncolors > size - firstcolor) {
        ncolors = size - firstcolor;
        got_all = 0;
    }
    if (ncolors > 0 && colors != s->format->palette->colors + firstcolor)
        memmove(s->format->palette->colors + firstcolor, colors,
                size_t(ncolors) * sizeof(SDL_Color));
    ++s->palette_version;
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
    ++s->palette_version;
    return 0;
}

Uint32 SDL_MapRGB(const SDL_PixelFormat *f, Uint8 r, Uint8 g, Uint8 b)
{
    if (f->palette)
        return find_color(f->palette, r, g, b);
    return pack(f, r, g, b, 0) | f->Amask;
}

Uint32 SDL_MapRGBA(const SDL_PixelFormat *f, Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    if (f->palette)
        return find_color(f->palette, r, g, b);
    return pack(f, r, g, b, 0) | ((Uint32(a >> f->Aloss) << f->Ashift) & f->Amask);
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

int SDL_UpperBlit(SDL_Surface *src, SDL_Rect *srcrect, SDL_Surface *dst, SDL_Rect *dstrect)
{
    if (!src || !dst) {
        set_error("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    if (src->locked || dst->locked) {
        set_error("Surfaces must not be locked during blit");
        return -1;
    }
    SDL_Rect whole_dst = {0, 0, 0, 0};
    if (!dstrect)
        dstrect = &whole_dst;
    // The source rectangle clipped to the source surface; what is cut on the left or top
    // moves the destination on.
    int srcx, srcy, w, h;
    if (srcrect) {
        srcx = srcrect->x;
        w = srcrect->w;
        if (srcx < 0) {
            w += srcx;
            dstrect->x = Sint16(dstrect->x - srcx);
            srcx = 0;
        }
        if (src->w - srcx < w)
            w = src->w - srcx;
        srcy = srcrect->y;
        h = srcrect->h;
        if (srcy < 0) {
            h += srcy;
            dstrect->y = Sint16(dstrect->y - srcy);
            srcy = 0;
        }
        if (src->h - srcy < h)
            h = src->h - srcy;
    } else {
        srcx = srcy = 0;
        w = src->w;
        h = src->h;
    }
    // Then against the destination's clip rectangle.
    const SDL_Rect &clip = dst->clip_rect;
    int d = clip.x - dstrect->x;
    if (d > 0) {
        w -= d;
        dstrect->x = Sint16(dstrect->x + d);
        srcx += d;
    }
    d = dstrect->x + w - clip.x - clip.w;
    if (d > 0)
        w -= d;
    d = clip.y - dstrect->y;
    if (d > 0) {
        h -= d;
        dstrect->y = Sint16(dstrect->y + d);
        srcy += d;
    }
    d = dstrect->y + h - clip.y - clip.h;
    if (d > 0)
        h -= d;
    if (w > 0 && h > 0) {
        const SDL_Rect sr = {Sint16(srcx), Sint16(srcy), Uint16(w), Uint16(h)};
        dstrect->w = Uint16(w);
        dstrect->h = Uint16(h);
        if (lower_blit(src, sr, dst, *dstrect) != 0) {
            set_error("Blit combination not supported");
            return -1;
        }
        return 0;
    }
    dstrect->w = dstrect->h = 0;
    return 0;
}

int SDL_FillRect(SDL_Surface *dst, SDL_Rect *dstrect, Uint32 color)
{
    SDL_Rect r;
    if (dstrect) {
        // The intersection with the clip rectangle is written back, empty or not.
        int amin = dstrect->x, amax = amin + dstrect->w;
        const int bxmin = dst->clip_rect.x, bxmax = bxmin + dst->clip_rect.w;
        if (bxmin > amin)
            amin = bxmin;
        if (bxmax < amax)
            amax = bxmax;
        dstrect->x = Sint16(amin);
        dstrect->w = Uint16(amax - amin > 0 ? amax - amin : 0);
        int cmin = dstrect->y, cmax = cmin + dstrect->h;
        const int bymin = dst->clip_rect.y, bymax = bymin + dst->clip_rect.h;
        if (bymin > cmin)
            cmin = bymin;
        if (bymax < cmax)
            cmax = bymax;
        dstrect->y = Sint16(cmin);
        dstrect->h = Uint16(cmax - cmin > 0 ? cmax - cmin : 0);
        if (!dstrect->w || !dstrect->h)
            return 0;
        r = *dstrect;
    } else {
        r = dst->clip_rect;
    }
    const int bytes = dst->format->BytesPerPixel;
    for (int y = 0; y < r.h; ++y) {
        Uint8 *p = static_cast<Uint8 *>(dst->pixels) + (r.y + y) * dst->pitch + r.x * bytes;
        if (bytes == 1) {
            memset(p, int(color & 0xff), r.w);
            continue;
        }
        for (int x = 0; x < r.w; ++x, p += bytes)
            write_pixel(p, bytes, color);
    }
    return 0;
}

int SDL_PollEvent(SDL_Event *)
{
    return 0;
}

int SDL_PushEvent(SDL_Event *)
{
    return 0;
}

Uint8 SDL_EventState(Uint8, int)
{
    return SDL_IGNORE;
}

void SDL_Delay(Uint32) { }

// 8-bit, one-plane, run-length PCX (the font), read as SDL_image 1.2 reads it: the
// runs carry on across rows, and the 256-colour palette follows the first byte 12 after
// the picture data.
SDL_Surface *IMG_Load(const char *file)
{
    FILE *f = fopen(file, "rb");
    if (!f) {
        set_error(std::string("Couldn't open ") + file);
        return nullptr;
    }
    std::vector<Uint8> data;
    Uint8 chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    fclose(f);
    auto word = [&](size_t at) { return int(data[at] | data[at + 1] << 8); };
    if (data.size() < 128 || data[0] != 10 || data[2] != 1 || data[3] != 8 || data[65] != 1) {
        set_error("Unsupported image format (only 8-bit one-plane run-length PCX)");
        return nullptr;
    }
    const int width = word(8) - word(4) + 1, height = word(10) - word(6) + 1;
    const int bytes_per_line = word(66);
    if (width <= 0 || height <= 0 || bytes_per_line < width) {
        set_error("PCX: bad picture size");
        return nullptr;
    }
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
    if (!s)
        return nullptr;
    size_t at = 128;
    int count = 0;
    Uint8 value = 0;
    std::vector<Uint8> row(static_cast<size_t>(bytes_per_line));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < bytes_per_line; ++x) {
            if (count == 0) {
                if (at >= data.size()) {
                    SDL_FreeSurface(s);
                    set_error("file truncated");
                    return nullptr;
                }
                value = data[at++];
                if (value >= 0xc0) {
                    count = value & 0x3f;
                    if (at >= data.size()) {
                        SDL_FreeSurface(s);
                        set_error("file truncated");
                        return nullptr;
                    }
                    value = data[at++];
                } else {
                    count = 1;
                }
            }
            row[size_t(x)] = value;
            --count;
        }
        memcpy(static_cast<Uint8 *>(s->pixels) + y * s->pitch, row.data(), size_t(width));
    }
    while (at < data.size() && data[at] != 12)
        ++at;
    if (at + 1 + 768 > data.size()) {
        SDL_FreeSurface(s);
        set_error("file truncated");
        return nullptr;
    }
    ++at;
    SDL_Color *colors = s->format->palette->colors;
    for (int i = 0; i < 256; ++i, at += 3) {
        colors[i].r = data[at];
        colors[i].g = data[at + 1];
        colors[i].b = data[at + 2];
    }
    return s;
}

}  // extern "C"
