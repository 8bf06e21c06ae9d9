/*
 * SDL.h - the part of SDL 1.2 that the effects, rasterwave and the support library use,
 * for the browser build (web/). Types, constants and behaviour follow SDL 1.2: an
 * SDL_Rect has signed 16-bit x, y and unsigned 16-bit w, h; a blit clips its rectangles
 * and writes the clipped destination back; a fill writes the clipped rectangle back;
 * 8-bit surfaces carry a palette and a blit between two palettes maps every colour to
 * the nearest one of the destination, as SDL does. surface_layer.cpp implements it.
 *
 * Not here: hardware surfaces, per-surface alpha, RLE, real events and timers (the page
 * drives the frames and the clock).
 */
#ifndef MIRVO_WEB_SDL_H
#define MIRVO_WEB_SDL_H

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
#define SDL_BYTEORDER SDL_LIL_ENDIAN

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
#define SDL_PREALLOC 0x01000000

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
    SDL_Palette *palette;
    Uint8 BitsPerPixel, BytesPerPixel;
    Uint8 Rloss, Gloss, Bloss, Aloss;
    Uint8 Rshift, Gshift, Bshift, Ashift;
    Uint32 Rmask, Gmask, Bmask, Amask;
    Uint32 colorkey;
    Uint8 alpha;
} SDL_PixelFormat;

typedef struct SDL_Surface {
    Uint32 flags;
    SDL_PixelFormat *format;
    int w, h;
    Uint16 pitch;
    void *pixels;
    int offset;
    SDL_Rect clip_rect;
    int locked;
    int refcount;
    Uint32 palette_version; /* moves on whenever the palette or the colour key changes */
    void *blit_map;         /* the last blit's colour map from this surface (private) */
} SDL_Surface;

#define SDL_MUSTLOCK(surface) (((surface)->flags & SDL_RLEACCEL) != 0)

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
char *SDL_GetError(void);

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
int SDL_Flip(SDL_Surface *screen);
void SDL_WM_SetCaption(const char *title, const char *icon);
int SDL_ShowCursor(int toggle);

SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask,
                                  Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
SDL_Surface *SDL_CreateRGBSurfaceFrom(void *pixels, int width, int height, int depth, int pitch,
                                      Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
void SDL_FreeSurface(SDL_Surface *surface);
int SDL_LockSurface(SDL_Surface *surface);
void SDL_UnlockSurface(SDL_Surface *surface);
SDL_Surface *SDL_ConvertSurface(SDL_Surface *src, SDL_PixelFormat *fmt, Uint32 flags);
SDL_Surface *SDL_DisplayFormat(SDL_Surface *surface);

int SDL_SetPalette(SDL_Surface *surface, int flags, SDL_Color *colors, int firstcolor, int ncolors);
int SDL_SetColors(SDL_Surface *surface, SDL_Color *colors, int firstcolor, int ncolors);
int SDL_SetColorKey(SDL_Surface *surface, Uint32 flag, Uint32 key);
Uint32 SDL_MapRGB(const SDL_PixelFormat *format, Uint8 r, Uint8 g, Uint8 b);
Uint32 SDL_MapRGBA(const SDL_PixelFormat *format, Uint8 r, Uint8 g, Uint8 b, Uint8 a);
void SDL_GetRGB(Uint32 pixel, const SDL_PixelFormat *fmt, Uint8 *r, Uint8 *g, Uint8 *b);

int SDL_UpperBlit(SDL_Surface *src, SDL_Rect *srcrect, SDL_Surface *dst, SDL_Rect *dstrect);
#define SDL_BlitSurface SDL_UpperBlit
int SDL_FillRect(SDL_Surface *dst, SDL_Rect *dstrect, Uint32 color);

int SDL_PollEvent(SDL_Event *event);
int SDL_PushEvent(SDL_Event *event);
Uint8 SDL_EventState(Uint8 type, int state);

Uint32 SDL_GetTicks(void);
void SDL_Delay(Uint32 ms);

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_WEB_SDL_H */
