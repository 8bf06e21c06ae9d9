/*
 * SDL.h of the frei0r modules - the few SDL 1.2 surface operations that the effects and
 * the scrollers use, with SDL 1.2's types, names and results, implemented in surfaces.cpp
 * and linked into each frei0r module with hidden symbols. A frei0r module lives inside a
 * video editor or ffmpeg, which may load SDL 1.2 or SDL 2 themselves: with these the
 * modules bring no SDL of their own into that process and bind to none of the host's.
 *
 * What is here behaves as SDL 1.2 documents it and as the player's SDL draws: software
 * surfaces of 8 (paletted), 24 and 32 bits per pixel, fills and blits clipped to the
 * destination with the clipped rectangle written back, colour keys, and colour mapping
 * by palette or by masks. There is no locking, no hardware and no per-surface alpha.
 */
#ifndef MIRVO_FREI0R_SDL_H
#define MIRVO_FREI0R_SDL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t Uint8;
typedef int8_t Sint8;
typedef uint16_t Uint16;
typedef int16_t Sint16;
typedef uint32_t Uint32;
typedef int32_t Sint32;

#define SDL_LIL_ENDIAN 1234
#define SDL_BIG_ENDIAN 4321
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#define SDL_BYTEORDER SDL_BIG_ENDIAN
#else
#define SDL_BYTEORDER SDL_LIL_ENDIAN
#endif

typedef struct SDL_Rect {
    Sint16 x, y;
    Uint16 w, h;
} SDL_Rect;

typedef struct SDL_Color {
    Uint8 r, g, b, unused;
} SDL_Color;

typedef struct SDL_Palette {
    int ncolors;
    SDL_Color *colors;
} SDL_Palette;

typedef struct SDL_PixelFormat {
    SDL_Palette *palette; /* 8 bits per pixel only */
    Uint8 BitsPerPixel, BytesPerPixel;
    Uint8 Rloss, Gloss, Bloss, Aloss;
    Uint8 Rshift, Gshift, Bshift, Ashift;
    Uint32 Rmask, Gmask, Bmask, Amask;
    Uint32 colorkey; /* with SDL_SRCCOLORKEY: source pixels of this value are not copied */
    Uint8 alpha;
} SDL_PixelFormat;

typedef struct SDL_Surface {
    Uint32 flags;
    SDL_PixelFormat *format;
    int w, h;
    int pitch; /* bytes from one row to the next (SDL 1.2 keeps 16 bits; a host's frame may need
                  more) */
    void *pixels;
    SDL_Rect clip_rect; /* always the whole surface here */
    /* This layer's own, for a host's frame: every pixel written to the surface keeps the
     * bits of keep_bits it had (a filter keeps its input's alpha) and gets the bits of
     * force_bits set (a source's pixels are opaque). 0 and 0 for any other surface. */
    Uint32 keep_bits, force_bits;
} SDL_Surface;

#define SDL_SWSURFACE 0x00000000u
#define SDL_SRCCOLORKEY 0x00001000u
#define SDL_PREALLOC 0x01000000u /* the pixels belong to the caller */

/* A new surface, pixels zeroed; an 8-bit one gets a palette of 256 black colours (as
 * classic SDL 1.2 gives). Null for a size SDL 1.2 refuses (over 16383 pixels wide). */
SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask,
                                  Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
/* A surface over the caller's pixels (which may be set or changed later). */
SDL_Surface *SDL_CreateRGBSurfaceFrom(void *pixels, int width, int height, int depth, int pitch,
                                      Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
void SDL_FreeSurface(SDL_Surface *surface);
/* A new surface of format fmt holding src's picture. */
SDL_Surface *SDL_ConvertSurface(SDL_Surface *src, SDL_PixelFormat *fmt, Uint32 flags);

Uint32 SDL_MapRGB(const SDL_PixelFormat *format, Uint8 r, Uint8 g, Uint8 b);
Uint32 SDL_MapRGBA(const SDL_PixelFormat *format, Uint8 r, Uint8 g, Uint8 b, Uint8 a);
int SDL_SetColorKey(SDL_Surface *surface, Uint32 flag, Uint32 key);

/* Fills dstrect (null: the whole surface) clipped to the surface, and writes the clipped
 * rectangle back into dstrect; an empty one keeps its clipped x and y. */
int SDL_FillRect(SDL_Surface *dst, SDL_Rect *dstrect, Uint32 color);
/* Copies srcrect of src (null: all of it) to dstrect's x, y on dst (null: 0, 0), clipped
 * to both surfaces; writes the rectangle actually drawn back into dstrect (w and h 0 when
 * nothing was). src and dst may be the same surface. */
int SDL_UpperBlit(SDL_Surface *src, SDL_Rect *srcrect, SDL_Surface *dst, SDL_Rect *dstrect);
#define SDL_BlitSurface SDL_UpperBlit

/* The last failure's message. */
const char *SDL_GetError(void);
void SDL_SetError(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

#define SDL_MUSTLOCK(surface) 0
static inline int SDL_LockSurface(SDL_Surface *surface)
{
    (void)surface;
    return 0;
}
static inline void SDL_UnlockSurface(SDL_Surface *surface)
{
    (void)surface;
}

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_FREI0R_SDL_H */
