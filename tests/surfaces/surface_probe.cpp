// The surface layer behind a few plain entry points, in a module of its own, so that a test
// linked with SDL 1.2 can run both on the same cases (the layer's SDL names stay hidden
// inside this module).
#include <SDL.h>
#include <SDL_image.h>

#define PROBE_API extern "C" __attribute__((visibility("default")))

PROBE_API SDL_Surface *probe_wrap(void *pixels, int w, int h, int depth, int pitch, Uint32 R,
                                  Uint32 G, Uint32 B, Uint32 A)
{
    return SDL_CreateRGBSurfaceFrom(pixels, w, h, depth, pitch, R, G, B, A);
}

PROBE_API void probe_set_colors(SDL_Surface *s, SDL_Color *colors, int n)
{
    SDL_SetColors(s, colors, 0, n);
}

PROBE_API void probe_set_key(SDL_Surface *s, Uint32 key)
{
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, key);
}

PROBE_API Uint32 probe_map_rgba(SDL_Surface *s, Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    return SDL_MapRGBA(s->format, r, g, b, a);
}

PROBE_API Uint32 probe_get_rgb(SDL_Surface *s, Uint32 pixel)
{
    Uint8 r, g, b;
    SDL_GetRGB(pixel, s->format, &r, &g, &b);
    return Uint32(r) << 16 | Uint32(g) << 8 | b;
}

PROBE_API int probe_fill(SDL_Surface *s, SDL_Rect *r, Uint32 colour)
{
    return SDL_FillRect(s, r, colour);
}

PROBE_API int probe_blit(SDL_Surface *src, SDL_Rect *sr, SDL_Surface *dst, SDL_Rect *dr)
{
    return SDL_BlitSurface(src, sr, dst, dr);
}

PROBE_API void probe_free(SDL_Surface *s)
{
    SDL_FreeSurface(s);
}

// Loads a picture; its size and depth through the out arguments. Null, with the reason in
// probe_error(), when it cannot be read.
PROBE_API SDL_Surface *probe_load(const char *file, int *w, int *h, int *bpp)
{
    SDL_Surface *s = IMG_Load(file);
    if (!s)
        return nullptr;
    *w = s->w;
    *h = s->h;
    *bpp = s->format->BitsPerPixel;
    return s;
}

PROBE_API const char *probe_error(void)
{
    return IMG_GetError();
}

// A 32-bit copy (0xRRGGBB, black beneath) of a loaded picture, blitted as the scrollers blit
// their fonts; null when it cannot be made. Free it with probe_free.
PROBE_API SDL_Surface *probe_on_black(SDL_Surface *s)
{
    SDL_Surface *out =
        SDL_CreateRGBSurface(SDL_SWSURFACE, s->w, s->h, 32, 0xff0000, 0xff00, 0xff, 0);
    if (out)
        SDL_BlitSurface(s, nullptr, out, nullptr);
    return out;
}

// Pixel (x, y) of a 32-bit surface.
PROBE_API Uint32 probe_pixel(SDL_Surface *s, int x, int y)
{
    return *reinterpret_cast<const Uint32 *>(static_cast<const Uint8 *>(s->pixels) + y * s->pitch +
                                             x * 4);
}

// The readers' limits (SDL_image.h of the layer).
PROBE_API void probe_limits(long *side, long *pixels, unsigned long long *file_bytes)
{
    *side = IMG_MAX_SIDE;
    *pixels = IMG_MAX_PIXELS;
    *file_bytes = IMG_MAX_FILE_BYTES;
}
