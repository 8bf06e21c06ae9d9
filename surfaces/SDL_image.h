/*
 * SDL_image.h of the surface layer - IMG_Load for the font pictures, read as SDL_image 1.2
 * reads them: PCX (8 bits with a 256-colour palette, or 24 bits in three planes, run-length
 * coded or raw), BMP (1, 4 or 8 bits with a palette, raw or run-length coded (RLE8, RLE4),
 * 24 or 32 bits raw) and PNG. Implemented in images.cpp; see SDL.h beside it.
 *
 * Limits: a picture of at most IMG_MAX_SIDE pixels a side and IMG_MAX_PIXELS in all (any
 * font of up to 16383 x 256 pixels), from a regular file of at most IMG_MAX_FILE_BYTES (the
 * largest such picture can take: three planes of PCX with every byte run-length coded).
 * Anything else (a FIFO, a device, a directory, a longer file, a larger picture, a damaged or
 * truncated file, a format not listed) is refused at once, without blocking, with one line in
 * IMG_GetError.
 */
#ifndef MIRVO_SURFACES_SDL_IMAGE_H
#define MIRVO_SURFACES_SDL_IMAGE_H

#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

#define IMG_MAX_SIDE 16383
#define IMG_MAX_PIXELS (16383 * 256)
#define IMG_MAX_FILE_BYTES (128 + 6 * ((size_t)IMG_MAX_PIXELS + IMG_MAX_SIDE) + 769)

/* The picture in `file` as a new surface (8 bits with the file's palette, or 24/32 bits);
 * null, with the reason in IMG_GetError, when it cannot be read. */
SDL_Surface *IMG_Load(const char *file);
/* The same from `size` bytes in memory. */
SDL_Surface *IMG_Load_Memory(const void *data, size_t size);
#define IMG_GetError SDL_GetError

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_SURFACES_SDL_IMAGE_H */
