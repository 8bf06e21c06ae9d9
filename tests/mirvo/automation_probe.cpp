// A minimal frame loop driven like the programs, under their run switches: paints frame k in
// grey level k (8-bit screens: palette entry k holds (k, 255 - k, 7)), so captures can be
// matched to frames.   mirvo_probe [BPP [LAST]]: with LAST, the probe ends by itself after
// drawing frame LAST, as mirvo-play --once does.
#include "mirvo.h"
#include "run_switches.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    int bpp = argc > 1 ? atoi(argv[1]) : 32;
    unsigned long last = argc > 2 ? strtoul(argv[2], nullptr, 10) : 0;
    mirvo_run::FrameRun run;
    if (!MIRVO_set_video(64, 48, bpp, SDL_SWSURFACE))
        return 1;
    MIRVO_init_timer();
    MIRVO_set_fps(run.rate(50));
    if (bpp == 8) {
        SDL_Color colors[256];
        for (int i = 0; i < 256; ++i)
            colors[i] = SDL_Color{(Uint8)i, (Uint8)(255 - i), 7, 0};
        SDL_SetPalette(screen, SDL_LOGPAL | SDL_PHYSPAL, colors, 0, 256);
    }
    for (Uint32 frame = 1;; ++frame) {
        MIRVO_new_time();
        run.frameStarts();
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) {
                printf("quit in frame %u\n", (unsigned)frame);
                SDL_Quit();
                MIRVO_print_fps();
                return 0;
            }
        }
        Uint32 c = bpp == 8 ? frame % 256
                            : SDL_MapRGB(screen->format, frame % 256, frame % 256, frame % 256);
        SDL_FillRect(screen, NULL, c);
        std::string error;
        if (!run.frameDrawn(screen, error)) {
            fprintf(stderr, "MIRVO: %s\n", error.c_str());
            SDL_Quit();
            return 1;
        }
        if (MIRVO_fps_ok())
            SDL_Flip(screen);
        if (frame == last) {
            printf("done after frame %u\n", (unsigned)frame);
            SDL_Quit();
            MIRVO_print_fps();
            return 0;
        }
    }
}
