/* SDL_image.h - IMG_Load for the browser build: 8-bit PCX pictures (the font), read into an
 * 8-bit surface with the file's 256-colour palette, as SDL_image 1.2 reads them. */
#ifndef MIRVO_WEB_SDL_IMAGE_H
#define MIRVO_WEB_SDL_IMAGE_H

#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

SDL_Surface *IMG_Load(const char *file);
#define IMG_GetError SDL_GetError

#ifdef __cplusplus
}
#endif

#endif
