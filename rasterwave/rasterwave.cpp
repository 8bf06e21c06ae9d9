/*
 * rasterwave - a text scroller wrapped round a raster bar.
 *
 * A 32-pixel-high strip of bitmap-font text scrolls from right to left, twisted around a
 * seven-row green raster bar: column by column a sine table sets the text's height and
 * puts it in front of the bar or, mirrored, behind it. The strip is laid across the
 * 480 x 360 screen on a moving vertical sine wave. A double quote in the text pauses the
 * scrolling for three seconds. Everything is 8 bits per pixel with a palette.
 *
 * Keys: Escape quits. Any command-line argument prints the banner and exits with 255.
 */
#include <SDL.h>
#include <mirvo.h>

#include <cstdio>

#include "rasterwave_frame.h"

using namespace rasterwave;

int main(int argc, char **argv)
{
    (void)argv;
    if (argc > 1) {
        puts("Rasterwave - Halvard - 2002");
        return -1;
    }
    if (!MIRVO_set_video(SCREEN_W, SCREEN_H, 8, VIDEO_FLAGS))
        quit(1);
    MIRVO_init_timer();
    SDL_WM_SetCaption("Rasterwave - ", "");
    init();
    MIRVO_set_fps(FPS);
    SDL_SetColorKey(copy_surface, SDL_SRCCOLORKEY, SDL_MapRGB(screen->format, 0, 0, 0));

    unsigned scroll_step = 0;
    unsigned wave_phase = 0;
    const SDL_Rect shift_source = {SCROLL_SPEED, 0, STRIP_W, STRIP_H};
    for (;;) {
        MIRVO_new_time();
        process_events();
        scroll_text(scroll_step, shift_source);
        twist_strip();
        place_strip(wave_phase);
        if (MIRVO_fps_ok())
            SDL_Flip(screen);
    }
}
