// The frei0r modules' surface layer behind a few plain entry points, in a module of its
// own, so that a test linked with SDL 1.2 can run both on the same cases (the layer's
// SDL names stay hidden inside this module).
#include <SDL.h>
#include <SDL_image.h>

#define PROBE_API extern "C" __attribute__((visibility("default")))

PROBE_API SDL_Surface *probe_wrap(void *pixels, int w, int h, int depth, int pitch, Uint32 R,
                                  Uint32 G, Uint32 B, Uint32 A)
{
    return SDL_CreateRGBSurfaceFrom(pixels, w, h, depth, pitch, R, G, B, A);
}

PROBE_API void probe_set_colors(SDL_Surface *s, const SDL_Color *colors, int n)
{
    for (int i = 0; i < n && i < s->format->palette->ncolors; ++i)
        s->format->palette->colors[i] = colors[i];
}

PROBE_API void probe_set_key(SDL_Surface *s, Uint32 key)
{
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, key);
}

PROBE_API Uint32 probe_map_rgb(SDL_Surface *s, Uint8 r, Uint8 g, Uint8 b)
{
    return SDL_MapRGB(s->format, r, g, b);
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

// Loads a picture; its size, depth, pitch, pixels and (8 bits) palette through the out
// arguments. Null when it cannot be read.
PROBE_API SDL_Surface *probe_load(const char *file, int *w, int *h, int *bpp, int *pitch,
                                  const void **pixels, const SDL_Color **colors)
{
    SDL_Surface *s = IMG_Load(file);
    if (!s)
        return nullptr;
    *w = s->w;
    *h = s->h;
    *bpp = s->format->BitsPerPixel;
    *pitch = s->pitch;
    *pixels = s->pixels;
    *colors = s->format->palette ? s->format->palette->colors : nullptr;
    return s;
}

// The RGB of pixel (x, y) of a loaded picture, as 0xRRGGBB.
PROBE_API Uint32 probe_rgb(SDL_Surface *s, int x, int y)
{
    SDL_Surface *one = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0xff0000, 0xff00, 0xff, 0);
    SDL_Rect from = {Sint16(x), Sint16(y), 1, 1};
    SDL_BlitSurface(s, &from, one, nullptr);
    const Uint32 v = *static_cast<Uint32 *>(one->pixels);
    SDL_FreeSurface(one);
    return v;
}
