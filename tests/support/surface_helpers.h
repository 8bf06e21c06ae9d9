// Software surfaces of any depth for the tests, and reading and writing their pixels.
#ifndef MIRVO_TEST_SURFACE_H
#define MIRVO_TEST_SURFACE_H

#include <SDL.h>

#include <memory>

namespace mirvotest {

struct SurfaceFree {
    void operator()(SDL_Surface *s) const
    {
        SDL_FreeSurface(s);
    }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

// 8-bit surfaces are paletted; 16-bit ones are RGB 565; 24- and 32-bit ones are 0xRRGGBB.
inline SurfacePtr makeSurface(int w, int h, int bpp)
{
    Uint32 r = 0, g = 0, b = 0;
    if (bpp == 16) {
        r = 0xf800;
        g = 0x07e0;
        b = 0x001f;
    }
    if (bpp == 24 || bpp == 32) {
        r = 0xff0000;
        g = 0x00ff00;
        b = 0x0000ff;
    }
    return SurfacePtr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bpp, r, g, b, 0));
}

inline Uint32 pixelAt(SDL_Surface *s, int x, int y)
{
    const Uint8 *p = (const Uint8 *)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1:
        return *p;
    case 2:
        return *(const Uint16 *)p;
    case 3:
        return p[0] | (Uint32)p[1] << 8 | (Uint32)p[2] << 16;
    default:
        return *(const Uint32 *)p;
    }
}

inline void setPixel(SDL_Surface *s, int x, int y, Uint32 v)
{
    Uint8 *p = (Uint8 *)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1:
        *p = (Uint8)v;
        break;
    case 2:
        *(Uint16 *)p = (Uint16)v;
        break;
    case 3:
        p[0] = (Uint8)v;
        p[1] = (Uint8)(v >> 8);
        p[2] = (Uint8)(v >> 16);
        break;
    default:
        *(Uint32 *)p = v;
        break;
    }
}

// A value unique to (x, y) that fits the depth.
inline Uint32 patternValue(int x, int y, int bpp)
{
    Uint32 v = (Uint32)(x * 31 + y * 7 + 1);
    if (bpp == 8)
        return v & 0xff;
    if (bpp == 16)
        return v & 0xffff;
    return (v * 2654435761u) & 0xffffff;
}

inline void fillPattern(SDL_Surface *s)
{
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            setPixel(s, x, y, patternValue(x, y, s->format->BitsPerPixel));
}

}  // namespace mirvotest

#endif
