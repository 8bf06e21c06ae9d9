// Shared between the libMIRVO sources; not part of the public interface.
#ifndef MIRVO_INTERNAL_H
#define MIRVO_INTERNAL_H

#include "mirvo.h"

#include <cstddef>
#include <string>

#define MIRVO_API extern "C" __attribute__((visibility("default")))

// Environment-driven automation (MIRVO_FRAMES, MIRVO_CAPTURE, MIRVO_NOWAIT), read once.
struct mirvo_automation {
    unsigned long frames;  // 0: run until the program quits
    const char *capture;   // folder for PNG frames, or NULL
    int nowait;            // 1: never sleep, show every frame
};
const mirvo_automation &mirvo_automation_get();

// Writes the surface as an RGB PNG; 0 on failure (message on stderr).
int mirvo_write_png(SDL_Surface *s, const char *path);

// Reads and writes one pixel of any depth (1 to 4 bytes per pixel); no bounds checks.
Uint32 mirvo_get_pixel(const SDL_Surface *s, int x, int y);
void mirvo_put_pixel(SDL_Surface *s, int x, int y, Uint32 value);

// A text that a message repeats (a font path, a reason), fit for one terminal line:
// control bytes written as \xNN, and cut after max_bytes with "...".
std::string mirvo_printable(const char *text, size_t max_bytes);
// How much of a repeated text a message shows.
const size_t MESSAGE_TEXT_BYTES = 200;

#endif
