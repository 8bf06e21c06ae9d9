/*
 * surfaces_host.h - what a host that has a window tells the surface layer: which surface
 * is the video surface (SDL_FreeSurface leaves it alone, SDL_DisplayFormat converts to its
 * format). The browser build's SDL_SetVideoMode and SDL_Quit call it.
 */
#ifndef MIRVO_SURFACES_HOST_H
#define MIRVO_SURFACES_HOST_H

#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The video surface from now on (null: none); the host frees the one it replaces. */
void MIRVO_set_video_surface(SDL_Surface *screen);

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_SURFACES_HOST_H */
