// A surface written as an RGB PNG: frame captures, pictures of effects.
#include "internal.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "picture_writer.h"

MIRVO_API int MIRVO_write_png(SDL_Surface *s, const char *path)
{
    if (!s || !path) {
        mirvo_set_failure("cannot write a PNG: %s", s ? "no file name" : "no surface");
        return 0;
    }
    std::vector<picture::Rgb> pixels((size_t)s->w * s->h);
    const bool locked = SDL_MUSTLOCK(s) && SDL_LockSurface(s) == 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            picture::Rgb &p = pixels[(size_t)y * s->w + x];
            SDL_GetRGB(mirvo_get_pixel(s, x, y), s->format, &p.r, &p.g, &p.b);
        }
    if (locked)
        SDL_UnlockSurface(s);
    errno = 0;
    if (!picture::writePng(path, s->w, s->h, pixels.data(), 3)) {
        mirvo_set_failure("cannot write %s: %s", path,
                          errno ? strerror(errno) : "PNG encoding failed");
        return 0;
    }
    return 1;
}
