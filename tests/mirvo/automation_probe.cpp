// A minimal frame loop driven like the effects: paints frame k in grey level k (8-bit
// screens: palette entry k holds (k, 255 - k, 7)), so captures can be matched to frames.
#include "mirvo.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    int bpp = argc > 1 ? atoi(argv[1]) : 32;
    if (!MIRVO_set_video(64, 48, bpp, SDL_SWSURFACE))
        return 1;
    MIRVO_init_timer();
    MIRVO_set_fps(50);
    if (bpp == 8) {
        SDL_Color colors[256];
        for (int i = 0; i < 256; ++i)
            colors[i] = SDL_Color{(Uint8)i, (Uint8)(255 - i), 7, 0};
        SDL_SetPalette(screen, SDL_LOGPAL | SDL_PHYSPAL, colors, 0, 256);
    }
    for (Uint32 frame = 1;; ++frame) {
        MIRVO_new_time();
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) {
                printf("quit in frame %u\n", (unsigned)frame);
                SDL_Quit();
                MIRVO_print_fps();
                return 0;
            }
        }
        Uint32 c = bpp == 8 ? frame % 256 : SDL_MapRGB(screen->format, frame % 256, frame % 256, frame % 256);
        SDL_FillRect(screen, NULL, c);
        if (MIRVO_fps_ok())
            SDL_Flip(screen);
    }
}
