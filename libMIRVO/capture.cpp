// MIRVO_FRAMES and MIRVO_CAPTURE: end a program after N frames, write every frame as PNG.
#include "internal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "picture_writer.h"

void mirvo_capture_frame_start(unsigned long frame_starting)
{
    const mirvo_automation &a = mirvo_automation_get();
    if (a.capture && frame_starting > 1 && screen) {
        static bool dir_made = false;
        if (!dir_made) {
            if (mkdir(a.capture, 0777) != 0 && errno != EEXIST) {
                fprintf(stderr, "MIRVO: cannot make capture folder %s: %s\n", a.capture,
                        strerror(errno));
                exit(1);
            }
            dir_made = true;
        }
        char path[4096];
        snprintf(path, sizeof path, "%s/frame-%06lu.png", a.capture, frame_starting - 1);
        // A capture that cannot be written ends the run: one message, not one a frame.
        if (!mirvo_write_png(screen, path))
            exit(1);
    }
    if (a.frames && frame_starting == a.frames + 1) {
        SDL_Event quit;
        memset(&quit, 0, sizeof quit);
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

int mirvo_write_png(SDL_Surface *s, const char *path)
{
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
        fprintf(stderr, "MIRVO: cannot write %s: %s\n", path,
                errno ? strerror(errno) : "PNG encoding failed");
        return 0;
    }
    return 1;
}
