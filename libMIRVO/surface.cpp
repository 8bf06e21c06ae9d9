// Surface helpers: copy, left-right mirror and vertical column scaling, any depth.
#include "internal.h"

#include <cstring>

Uint32 mirvo_get_pixel(const SDL_Surface *s, int x, int y)
{
    const Uint8 *p = (const Uint8 *)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1:
        return *p;
    case 2:
        return *(const Uint16 *)p;
    case 3:
        if (SDL_BYTEORDER == SDL_BIG_ENDIAN)
            return (Uint32)p[0] << 16 | (Uint32)p[1] << 8 | p[2];
        return p[0] | (Uint32)p[1] << 8 | (Uint32)p[2] << 16;
    default:
        return *(const Uint32 *)p;
    }
}

void mirvo_put_pixel(SDL_Surface *s, int x, int y, Uint32 value)
{
    Uint8 *p = (Uint8 *)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1:
        *p = (Uint8)value;
        break;
    case 2:
        *(Uint16 *)p = (Uint16)value;
        break;
    case 3:
        if (SDL_BYTEORDER == SDL_BIG_ENDIAN) {
            p[0] = (Uint8)(value >> 16);
            p[1] = (Uint8)(value >> 8);
            p[2] = (Uint8)value;
        } else {
            p[0] = (Uint8)value;
            p[1] = (Uint8)(value >> 8);
            p[2] = (Uint8)(value >> 16);
        }
        break;
    default:
        *(Uint32 *)p = value;
        break;
    }
}

MIRVO_API SDL_Surface *MIRVO_copy_surface(SDL_Surface *s)
{
    if (!s)
        return NULL;
    SDL_PixelFormat *f = s->format;
    SDL_Surface *copy = SDL_CreateRGBSurface(SDL_SWSURFACE, s->w, s->h, f->BitsPerPixel, f->Rmask,
                                             f->Gmask, f->Bmask, f->Amask);
    if (!copy)
        return NULL;
    if (f->palette && copy->format->palette)
        SDL_SetPalette(copy, SDL_LOGPAL, f->palette->colors, 0, f->palette->ncolors);
    if (SDL_MUSTLOCK(s))
        SDL_LockSurface(s);
    size_t row = (size_t)s->w * f->BytesPerPixel;
    for (int y = 0; y < s->h; ++y)
        memcpy((Uint8 *)copy->pixels + y * copy->pitch, (Uint8 *)s->pixels + y * s->pitch, row);
    if (SDL_MUSTLOCK(s))
        SDL_UnlockSurface(s);
    return copy;
}

MIRVO_API void MIRVO_flipx_image(SDL_Surface *s)
{
    if (!s)
        return;
    int bpp = s->format->BytesPerPixel;
    if (SDL_MUSTLOCK(s))
        SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y) {
        Uint8 *left = (Uint8 *)s->pixels + y * s->pitch;
        Uint8 *right = left + (s->w - 1) * bpp;
        for (; left < right; left += bpp, right -= bpp) {
            Uint8 t[4];
            memcpy(t, left, bpp);
            memcpy(left, right, bpp);
            memcpy(right, t, bpp);
        }
    }
    if (SDL_MUSTLOCK(s))
        SDL_UnlockSurface(s);
}

MIRVO_API void MIRVO_scale_copy_vscanline(SDL_Surface *src, SDL_Surface *dst, Uint16 col,
                                          Uint8 amount)
{
    if (!src || !dst || col >= src->w || col >= dst->w)
        return;
    int bpp = src->format->BytesPerPixel;
    if (bpp != dst->format->BytesPerPixel)
        return;
    int H = src->h;
    int h = (H * amount) / 100;
    if (h <= 0)
        return;
    int top = (dst->h - h) / 2;
    if (SDL_MUSTLOCK(src))
        SDL_LockSurface(src);
    if (dst != src && SDL_MUSTLOCK(dst))
        SDL_LockSurface(dst);
    const Uint8 *from = (const Uint8 *)src->pixels + col * bpp;
    Uint8 *to = (Uint8 *)dst->pixels + col * bpp;
    for (int i = 0; i < h; ++i) {
        int y = top + i;
        if (y < 0 || y >= dst->h)
            continue;
        memcpy(to + y * dst->pitch, from + ((i * H) / h) * src->pitch, bpp);
    }
    if (dst != src && SDL_MUSTLOCK(dst))
        SDL_UnlockSurface(dst);
    if (SDL_MUSTLOCK(src))
        SDL_UnlockSurface(src);
}
