// Video set-up and the parameter lists.
#include "internal.h"

#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) SDL_Surface *screen;
SDL_Surface *screen = NULL;

MIRVO_API int MIRVO_set_video(int width, int height, int bpp, Uint32 flags)
{
    const char *driver = getenv("SDL_VIDEODRIVER"), *display = getenv("DISPLAY");
    if (!SDL_WasInit(SDL_INIT_VIDEO) && !(driver && *driver) && !(display && *display)) {
        // Without X, SDL would fall back to a text-mode driver and draw in the terminal.
        mirvo_set_failure("no display: DISPLAY is not set (SDL_VIDEODRIVER=dummy runs without a "
                          "window)");
        fprintf(stderr, "MIRVO: %s\n", MIRVO_failure_reason());
        return 0;
    }
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_Init(SDL_INIT_VIDEO) < 0) {
        mirvo_set_failure("cannot initialise SDL video: %s", SDL_GetError());
        fprintf(stderr, "MIRVO: %s\n", MIRVO_failure_reason());
        return 0;
    }
    screen = SDL_SetVideoMode(width, height, bpp, flags);
    if (!screen) {
        mirvo_set_failure("cannot set a %dx%dx%d video mode: %s", width, height, bpp,
                          SDL_GetError());
        fprintf(stderr, "MIRVO: %s\n", MIRVO_failure_reason());
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
