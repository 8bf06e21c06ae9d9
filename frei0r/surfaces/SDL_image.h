/*
 * SDL_image.h of the frei0r modules - IMG_Load for the font images, reading what the
 * bundled and the users' fonts are: PCX (8 bits with a 256-colour palette, or 24 bits in
 * three planes, run-length coded or not) and uncompressed BMP (8, 24 or 32 bits).
 * Implemented in images.cpp; see SDL.h beside it.
 */
#ifndef MIRVO_FREI0R_SDL_IMAGE_H
#define MIRVO_FREI0R_SDL_IMAGE_H

#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The picture in `file` as a new surface (8 bits with the file's palette, or 24/32 bits);
 * null, with the reason in IMG_GetError, when it cannot be read. */
SDL_Surface *IMG_Load(const char *file);
#define IMG_GetError SDL_GetError

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_FREI0R_SDL_IMAGE_H */
