// Video set-up and the automation switches read from the environment.
#include "internal.h"

#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) SDL_Surface *screen;
SDL_Surface *screen = NULL;

const mirvo_automation &mirvo_automation_get()
{
    static mirvo_automation a;
    static bool read = false;
    if (!read) {
        read = true;
        const char *frames = getenv("MIRVO_FRAMES");
        a.frames = frames ? strtoul(frames, NULL, 10) : 0;
        const char *capture = getenv("MIRVO_CAPTURE");
        a.capture = (capture && *capture) ? capture : NULL;
        const char *nowait = getenv("MIRVO_NOWAIT");
        a.nowait = nowait && atoi(nowait) != 0;
    }
    return a;
}

MIRVO_API int MIRVO_set_video(int width, int height, int bpp, Uint32 flags)
{
    mirvo_automation_get();
    const char *driver = getenv("SDL_VIDEODRIVER"), *display = getenv("DISPLAY");
    if (!SDL_WasInit(SDL_INIT_VIDEO) && !(driver && *driver) && !(display && *display)) {
        // Without X, SDL would fall back to a text-mode driver and draw in the terminal.
        fprintf(stderr, "MIRVO: no display: DISPLAY is not set (SDL_VIDEODRIVER=dummy runs "
                        "without a window)\n");
        return 0;
    }
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "MIRVO: cannot initialise SDL video: %s\n", SDL_GetError());
        return 0;
    }
    screen = SDL_SetVideoMode(width, height, bpp, flags);
    if (!screen) {
        fprintf(stderr, "MIRVO: cannot set a %dx%dx%d video mode: %s\n", width, height, bpp,
                SDL_GetError());
        return 0;
    }
    return 1;
}

MIRVO_API const void *MIRVO_LIST_get_data_next(MIRVO_NODE **cursor)
{
    const void *data = (*cursor)->data;
    *cursor = (*cursor)->next_node;
    return data;
}
