// MIRVO_FRAMES and MIRVO_CAPTURE: end a program after N frames, write every frame as PNG.
#include "internal.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <vector>

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
    FILE *f = fopen(path, "wb");
    if (!f) {
        fprintf(stderr, "MIRVO: cannot write %s: %s\n", path, strerror(errno));
        return 0;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png ? png_create_info_struct(png) : NULL;
    std::vector<png_byte> row((size_t)s->w * 3);
    volatile bool locked = false;  // survives libpng's longjmp on an error
    if (!info || setjmp(png_jmpbuf(png))) {
        if (locked)
            SDL_UnlockSurface(s);
        png_destroy_write_struct(&png, info ? &info : NULL);
        fclose(f);
        fprintf(stderr, "MIRVO: cannot encode %s\n", path);
        return 0;
    }
    png_init_io(png, f);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, s->w, s->h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) == 0)
        locked = true;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(mirvo_get_pixel(s, x, y), s->format, &r, &g, &b);
            row[3 * x] = r;
            row[3 * x + 1] = g;
            row[3 * x + 2] = b;
        }
        png_write_row(png, row.data());
    }
    if (locked)
        SDL_UnlockSurface(s);
    locked = false;
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return 1;
}
