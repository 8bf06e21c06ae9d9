// Shared between the libMIRVO sources; not part of the public interface.
#ifndef MIRVO_INTERNAL_H
#define MIRVO_INTERNAL_H

#include "mirvo.h"

#include <cstddef>
#include <string>

#define MIRVO_API extern "C" __attribute__((visibility("default")))

// Records why the call now failing failed, for MIRVO_failure_reason (printf-style).
void mirvo_set_failure(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Reads and writes one pixel of any depth (1 to 4 bytes per pixel); no bounds checks.
Uint32 mirvo_get_pixel(const SDL_Surface *s, int x, int y);
void mirvo_put_pixel(SDL_Surface *s, int x, int y, Uint32 value);

// A text that a message repeats (a font path, a reason), fit for one terminal line:
// control bytes written as \xNN, and cut after max_bytes with "...".
std::string mirvo_printable(const char *text, size_t max_bytes);
// How much of a repeated text a message shows.
const size_t MESSAGE_TEXT_BYTES = 200;

#endif
