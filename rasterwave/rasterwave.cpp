/*
 * rasterwave - a text scroller wrapped round a raster bar.
 *
 * A 32-pixel-high strip of bitmap-font text scrolls from right to left, twisted around a
 * seven-row green raster bar: column by column a sine table sets the text's height and
 * puts it in front of the bar or, mirrored, behind it. The strip is laid across the
 * 480 x 360 screen on a moving vertical sine wave. A double quote in the text pauses the
 * scrolling for three seconds. Everything is 8 bits per pixel with a palette.
 *
 * Keys: Escape quits. --help and --version are answered; any other command-line argument
 * prints the banner and exits with 255.
 */
#include <SDL.h>
#include <mirvo.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "rasterwave_frame.h"
#include "run_switches.h"

using namespace rasterwave;

namespace {

const char HELP[] =
    "Usage: rasterwave [--help | --version]\n"
    "A text scroller twisted round a green raster bar, riding a sine wave across a\n"
    "480 x 360 window at 50 frames per second. Escape or closing the window quits.\n"
    "Any other argument prints the banner and exits with status 255.\n"
    "\n"
    "The font is ../GFX/font.pcx, relative to the working folder; when it is not\n"
    "there, $MIRVO_DATA_DIR/GFX/font.pcx, then the installed share/mirvo/GFX/font.pcx.\n"
    "\n"
    "Environment: SDL_VIDEODRIVER=dummy runs without a display, MIRVO_FRAMES=N quits\n"
    "after N frames, MIRVO_CAPTURE=DIR writes every frame as a PNG, MIRVO_NOWAIT=1\n"
    "turns frame pacing off, MIRVO_DATA_DIR names the data folder.\n"
    "\n"
    "Exit status: 0 on Escape or window close, 1 when the video mode, a surface or\n"
    "the font cannot be made, 255 after the banner.\n";

}  // namespace

int main(int argc, char **argv)
{
    // --version and --help are answered; any other argument gets the banner.
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("rasterwave %s\n", MIRVO_VERSION);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(HELP, stdout);
        return 0;
    }
    if (argc > 1) {
        puts("Rasterwave - Halvard - 2002");
        return -1;
    }
    mirvo_run::FrameRun run;  // MIRVO_FRAMES, MIRVO_CAPTURE, MIRVO_NOWAIT
    if (!MIRVO_set_video(SCREEN_W, SCREEN_H, 8, VIDEO_FLAGS))
        quit(1);
    MIRVO_init_timer();
    SDL_WM_SetCaption("Rasterwave - ", "");
    init();
    MIRVO_set_fps(run.rate(FPS));
    SDL_SetColorKey(copy_surface, SDL_SRCCOLORKEY, SDL_MapRGB(screen->format, 0, 0, 0));

    unsigned scroll_step = 0;
    unsigned wave_phase = 0;
    const SDL_Rect shift_source = {SCROLL_SPEED, 0, STRIP_W, STRIP_H};
    for (;;) {
        MIRVO_new_time();
        run.frameStarts();
        process_events();
        scroll_text(scroll_step, shift_source);
        twist_strip();
        place_strip(wave_phase);
        std::string error;
        if (!run.frameDrawn(screen, error)) {
            // A capture that cannot be written ends the run: one line, no rate report.
            fprintf(stderr, "MIRVO: %s\n", error.c_str());
            SDL_Quit();
            return 1;
        }
        if (MIRVO_fps_ok())
            SDL_Flip(screen);
    }
}
