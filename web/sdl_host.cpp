// sdl_host.cpp - the browser build's window, events and clock of SDL.h: the screen is a
// surface of the surface layer that the page reads after each frame (an 8-bit one gets the
// 3-3-2 palette SDL gives an 8-bit display); there are no events, and the page drives the
// frames (SDL_GetTicks is the page's clock, in web_player.cpp).
#include <SDL.h>
#include <surfaces_host.h>

namespace {

SDL_Surface *video_surface = nullptr;
bool video_initialised = false;

void free_video_surface()
{
    SDL_Surface *s = video_surface;
    video_surface = nullptr;
    MIRVO_set_video_surface(nullptr);
    SDL_FreeSurface(s);
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
        colors[i] = SDL_Color{Uint8(r), Uint8(g), Uint8(b), 0};
    }
}

}  // namespace

extern "C" {

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
    free_video_surface();
    video_initialised = false;
}

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        SDL_SetError("unsupported depth %d", bpp);
        return nullptr;
    }
    free_video_surface();
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, bpp, 0, 0, 0, 0);
    if (!s)
        return nullptr;
    s->flags |= flags & (SDL_HWPALETTE | SDL_FULLSCREEN);
    if (bpp == 8) {
        SDL_Color colors[256];
        dither_colors(colors);
        SDL_SetPalette(s, SDL_LOGPAL | SDL_PHYSPAL, colors, 0, 256);
    }
    video_surface = s;
    MIRVO_set_video_surface(s);
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

}  // extern "C"
