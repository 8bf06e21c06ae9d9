/*
 * SDL.h of the surface layer - the part of SDL 1.2 that the effects, rasterwave and the
 * support library use, with SDL 1.2's types, names and results, for the hosts that run
 * them without SDL: the frei0r modules (inside ffmpeg or a video editor, which may load an
 * SDL of their own) and the browser build. surfaces.cpp and images.cpp implement it; the
 * library is linked in with hidden symbols, so a module binds to none of its host's.
 *
 * What is here behaves as SDL 1.2 documents it and as the player's SDL draws: software
 * surfaces of 8 (paletted), 16, 24 and 32 bits per pixel; fills and blits clipped to the
 * destination with the clipped rectangle written back; colour keys; a blit between two
 * palettes maps every colour to the nearest one of the destination (equal palettes copy
 * indices); colour mapping by palette or by masks. There is no hardware, no RLE
 * acceleration and no per-surface alpha.
 *
 * The window, the events and the clock (SDL_SetVideoMode ... SDL_GetTicks below) are a
 * host's: the browser build defines them (web/sdl_host.cpp); the frei0r modules use none.
 */
#ifndef MIRVO_SURFACES_SDL_H
#define MIRVO_SURFACES_SDL_H

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

#define SDL_INIT_VIDEO 0x00000020

#define SDL_SWSURFACE 0x00000000
#define SDL_HWSURFACE 0x00000001
#define SDL_ASYNCBLIT 0x00000004
#define SDL_ANYFORMAT 0x10000000
#define SDL_HWPALETTE 0x20000000
#define SDL_DOUBLEBUF 0x40000000
#define SDL_FULLSCREEN 0x80000000
#define SDL_HWACCEL 0x00000100
#define SDL_SRCCOLORKEY 0x00001000
#define SDL_RLEACCELOK 0x00002000
#define SDL_RLEACCEL 0x00004000
#define SDL_SRCALPHA 0x00010000
#define SDL_PREALLOC 0x01000000 /* the pixels belong to the caller */

#define SDL_LOGPAL 0x01
#define SDL_PHYSPAL 0x02

#define SDL_QUERY -1
#define SDL_IGNORE 0
#define SDL_DISABLE 0
#define SDL_ENABLE 1

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
    int pitch; /* bytes from one row to the next (SDL 1.2 keeps 16 bits; a host's frame may
                  need more) */
    void *pixels;
    int offset;
    SDL_Rect clip_rect; /* always the whole surface here */
    int locked;
    int refcount;
    /* The layer's own. A host's frame: every pixel written to the surface keeps the bits of
     * keep_bits it had (a filter keeps its input's alpha) and gets the bits of force_bits
     * set (a source's pixels are opaque); 0 and 0 for any other surface. */
    Uint32 keep_bits, force_bits;
    Uint32 palette_version; /* new whenever the palette or the colour key changes */
    void *blit_map;         /* the last blit's colour map from this surface */
} SDL_Surface;

#define SDL_MUSTLOCK(surface) (((surface)->flags & SDL_RLEACCEL) != 0)

/* The last failure's message (one per thread). */
char *SDL_GetError(void);
void SDL_SetError(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

/* A new surface, pixels zeroed; an 8-bit one gets a palette of 256 black colours (as
 * classic SDL 1.2 gives). Null for a size SDL 1.2 refuses (over 16383 pixels wide). */
SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask,
                                  Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
/* A surface over the caller's pixels (which may be set or changed later). */
SDL_Surface *SDL_CreateRGBSurfaceFrom(void *pixels, int width, int height, int depth, int pitch,
                                      Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
/* Frees a surface (not the video surface, which the host frees). */
void SDL_FreeSurface(SDL_Surface *surface);
int SDL_LockSurface(SDL_Surface *surface);
void SDL_UnlockSurface(SDL_Surface *surface);
/* A new surface of format fmt holding src's picture, the colour key carried over by colour. */
SDL_Surface *SDL_ConvertSurface(SDL_Surface *src, SDL_PixelFormat *fmt, Uint32 flags);
/* SDL_ConvertSurface to the video surface's format. */
SDL_Surface *SDL_DisplayFormat(SDL_Surface *surface);
SDL_Surface *SDL_GetVideoSurface(void);

int SDL_SetPalette(SDL_Surface *surface, int flags, SDL_Color *colors, int firstcolor, int ncolors);
int SDL_SetColors(SDL_Surface *surface, SDL_Color *colors, int firstcolor, int ncolors);
int SDL_SetColorKey(SDL_Surface *surface, Uint32 flag, Uint32 key);
Uint32 SDL_MapRGB(const SDL_PixelFormat *format, Uint8 r, Uint8 g, Uint8 b);
Uint32 SDL_MapRGBA(const SDL_PixelFormat *format, Uint8 r, Uint8 g, Uint8 b, Uint8 a);
void SDL_GetRGB(Uint32 pixel, const SDL_PixelFormat *fmt, Uint8 *r, Uint8 *g, Uint8 *b);

/* Fills dstrect (null: the whole surface) clipped to the surface, and writes the clipped
 * rectangle back into dstrect; an empty one keeps its clipped x and y. */
int SDL_FillRect(SDL_Surface *dst, SDL_Rect *dstrect, Uint32 color);
/* Copies srcrect of src (null: all of it) to dstrect's x, y on dst (null: 0, 0), clipped
 * to both surfaces; writes the rectangle actually drawn back into dstrect (w and h 0 when
 * nothing was). src and dst may be the same surface. */
int SDL_UpperBlit(SDL_Surface *src, SDL_Rect *srcrect, SDL_Surface *dst, SDL_Rect *dstrect);
#define SDL_BlitSurface SDL_UpperBlit

/* ---- The host's: window, events and clock ---- */

typedef enum { SDLK_UNKNOWN = 0, SDLK_ESCAPE = 27 } SDLKey;
typedef struct SDL_keysym {
    Uint8 scancode;
    SDLKey sym;
    int mod;
    Uint16 unicode;
} SDL_keysym;

enum { SDL_NOEVENT = 0, SDL_ACTIVEEVENT, SDL_KEYDOWN, SDL_KEYUP, SDL_QUIT = 12 };
typedef struct SDL_KeyboardEvent {
    Uint8 type, which, state;
    SDL_keysym keysym;
} SDL_KeyboardEvent;
typedef union SDL_Event {
    Uint8 type;
    SDL_KeyboardEvent key;
} SDL_Event;

int SDL_Init(Uint32 flags);
Uint32 SDL_WasInit(Uint32 flags);
void SDL_Quit(void);
SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
int SDL_Flip(SDL_Surface *screen);
void SDL_WM_SetCaption(const char *title, const char *icon);
int SDL_ShowCursor(int toggle);
int SDL_PollEvent(SDL_Event *event);
int SDL_PushEvent(SDL_Event *event);
Uint8 SDL_EventState(Uint8 type, int state);
Uint32 SDL_GetTicks(void);
void SDL_Delay(Uint32 ms);

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_SURFACES_SDL_H */
