// rasterwave_frame.h - the raster bar scroller's state, set-up and frame steps. The program's
// main only runs them; the tests drive them one by one.
#ifndef RASTERWAVE_FRAME_H
#define RASTERWAVE_FRAME_H

#include <SDL.h>

namespace rasterwave {

const int SCREEN_W = 480;
const int SCREEN_H = 360;
const int STRIP_W = 512;                    // scroll surface width: 16 hidden columns each side
const int STRIP_H = 32;                     // strip and glyph height
const int GLYPH_W = 16;                     // glyph cell width in the font image
const int STRIP_SHOWN_FROM = 16;            // first strip column that reaches the screen
const int NEW_GLYPH_X = STRIP_W - GLYPH_W;  // glyphs enter in the hidden right-hand cell
const int SCROLL_SPEED = 2;                 // pixels per frame
const int SCROLL_STEPS_PER_GLYPH = 12;      // a glyph is printed once the counter passes this
const int BAR_TOP_ROW = 12;                 // the raster bar covers strip rows 12 to 18
const int WAVE_STEPS = 360;                 // entries of the vertical wave
const int TWIST_STEPS = 496;                // entries of the twist: one period over 496 columns
const int FPS = 50;
const Uint32 PAUSE_MS = 2999;  // a pause ends once more than this has passed
const Uint32 VIDEO_FLAGS = SDL_HWSURFACE | SDL_HWACCEL | SDL_HWPALETTE;

const char *const FONT_FILE = "../GFX/font.pcx";

extern char text[126];            // the scroll text; a double quote marks a pause
extern char characters[];         // the font's characters in glyph order
extern char *text_pointer;        // the next character to print
extern Uint8 stopscroller;        // 1 while paused
extern Uint32 time;               // SDL_GetTicks() when the pause began
extern Uint16 sin_index;          // the twist table entry of the next strip column
extern short aSin[WAVE_STEPS];    // strip top row on the screen, per wave step
extern short aSin2[TWIST_STEPS];  // signed text height in hundredths, per strip column

extern SDL_Surface *scroll_surface;   // the scrolling text, 512 x 32
extern SDL_Surface *copy_surface;     // the twisted strip
extern SDL_Surface *flipped_surface;  // the text mirrored, for the columns behind the bar
extern SDL_Surface *font_surface;

// Set-up (after the video mode is set): tables, surfaces, font, palette, event filter.
void build_tables();
void init();
// Frees what init made, shuts SDL down and exits with `status`.
[[noreturn]] void quit(int status);
// One line on stderr naming what could not be made, then quit(1).
[[noreturn]] void fail(const char *what, const char *why);
// Escape and window close quit; other events are dropped.
void process_events();
Uint16 compute_font_pos(char c);
void print_character();
void draw_bar(SDL_Surface *s, int x);

// The frame steps, in order.
void scroll_text(unsigned &scroll_step, const SDL_Rect &shift_source);
void twist_strip();
void place_strip(unsigned &wave_phase);

}  // namespace rasterwave

#endif
