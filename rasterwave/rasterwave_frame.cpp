// rasterwave_frame.cpp - the raster bar scroller: state, set-up and the frame steps (scroll
// the text, twist the strip round the bar, place the strip on the wave).
#include "rasterwave_frame.h"

#include <SDL_image.h>
#include <mirvo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rasterwave {

// Palette indices of the bar's seven rows, top to bottom.
const Uint8 bar[7] = {1, 2, 3, 4, 3, 2, 1};

const Uint32 r_mask = 0x000000ff;
const Uint32 g_mask = 0x0000ff00;
const Uint32 b_mask = 0x00ff0000;
const Uint32 a_mask = 0xff000000;

// The scroll text; a double quote marks a pause.
char text[126] = " MIRVO   "
                 "\""
                 "     - CHEERS -           HALVARD         "
                 "\""
                 "  -    STARTING OVER AGAIN IN -      "
                 "9  8  7  6  5  4  3  2  1          ";

// The font's characters in glyph order: space to tilde, less the double quote.
char characters[] = MIRVO_FONT1_CHARACTERS;

char *text_pointer = text;
Uint8 stopscroller = 0;
Uint32 time = 0;
Uint16 sin_index = 0;

short aSin[WAVE_STEPS];
short aSin2[TWIST_STEPS];
SDL_Color colors[5];

SDL_Surface *scroll_surface = NULL;
SDL_Surface *copy_surface = NULL;
SDL_Surface *flipped_surface = NULL;
SDL_Surface *font_surface = NULL;

void quit(int status)
{
    if (scroll_surface)
        SDL_FreeSurface(scroll_surface);
    if (font_surface)
        SDL_FreeSurface(font_surface);
    if (copy_surface)
        SDL_FreeSurface(copy_surface);
    if (flipped_surface)
        SDL_FreeSurface(flipped_surface);
    SDL_Quit();
    MIRVO_print_fps();
    exit(status);
}

// One line on stderr naming what could not be made, then out through quit(1).
void fail(const char *what, const char *why)
{
    fprintf(stderr, "rasterwave: cannot %s: %s\n", what, why);
    quit(1);
}

void handle_key_down(SDL_keysym *keysym)
{
    if (keysym->sym == SDLK_ESCAPE)
        quit(0);
}

void process_events()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            handle_key_down(&event.key.keysym);
            break;
        case SDL_QUIT:
            quit(0);
            break;
        default:
            break;
        }
    }
}

// The glyph's x in the font image. Glyphs are read one pixel left of their cell.
// The end of the text starts it again; a pause mark starts a pause and shows a space.
// A character the font lacks shows a space.
Uint16 compute_font_pos(char c)
{
    if (c == '\0') {
        text_pointer = text;
        c = *text_pointer++;
    } else if (c == '"') {
        stopscroller = 1;
        time = SDL_GetTicks();
        return 0;
    }
    const char *found = c ? strchr(characters, c) : NULL;
    Uint16 k = found ? (Uint16)(found - characters) : 0;
    return k == 0 ? 0 : (Uint16)(GLYPH_W * k - 1);
}

void print_character()
{
    static SDL_Rect frect = {0, 0, GLYPH_W, STRIP_H};
    static SDL_Rect srect = {NEW_GLYPH_X, 0, GLYPH_W, STRIP_H};
    char c = *text_pointer++;
    frect.x = (Sint16)compute_font_pos(c);
    SDL_BlitSurface(font_surface, &frect, scroll_surface, &srect);
}

// The sine tables, with the degree step 0.0174532 and the angle rounded to single
// precision; results are truncated toward zero. aSin holds the strip's top row on the
// screen (106 to 254), aSin2 the signed text height in hundredths (-99 to 99), one
// period over 496 entries.
void build_tables()
{
    for (int i = 0; i < WAVE_STEPS; ++i) {
        float a = (float)(i * 0.0174532);
        aSin[i] = (short)(180 + (int)(75 * sin((double)a)));
    }
    for (int i = 0; i < TWIST_STEPS; ++i) {
        float a = (float)(i * 0.0174532 * 0.7258064516129032);
        aSin2[i] = (short)(100 * sin((double)a));
    }
}

void init()
{
    build_tables();

    SDL_Surface *tmp =
        SDL_CreateRGBSurface(SDL_HWSURFACE, STRIP_W, STRIP_H, 8, r_mask, g_mask, b_mask, a_mask);
    if (!tmp)
        fail("make the scroll surface", SDL_GetError());
    scroll_surface = SDL_DisplayFormat(tmp);
    SDL_FreeSurface(tmp);
    if (!scroll_surface)
        fail("make the scroll surface", SDL_GetError());
    copy_surface = MIRVO_copy_surface(scroll_surface);
    if (!copy_surface)
        fail("make the strip surface", SDL_GetError());
    flipped_surface = MIRVO_copy_surface(copy_surface);
    if (!flipped_surface)
        fail("make the mirrored strip surface", SDL_GetError());
    const char *looked = NULL;
    const char *font_file = MIRVO_find_data(FONT_FILE, &looked);
    if (!font_file)
        fail("find the font ../GFX/font.pcx, looked in", looked);
    font_surface = IMG_Load(font_file);
    if (!font_surface)
        fail("load the font ../GFX/font.pcx", IMG_GetError());

    colors[0].r = colors[0].g = colors[0].b = 0;
    const Uint8 greens[4] = {64, 128, 200, 255};
    for (int i = 1; i < 5; ++i) {
        colors[i].r = 0;
        colors[i].g = greens[i - 1];
        colors[i].b = 0;
    }
    SDL_SetPalette(screen, SDL_LOGPAL | SDL_PHYSPAL, colors, 0, 5);
    SDL_SetPalette(copy_surface, SDL_LOGPAL | SDL_PHYSPAL, colors, 0, 5);

    for (int type = 0; type < 32; ++type)
        if (type != SDL_KEYDOWN && type != SDL_QUIT)
            SDL_EventState((Uint8)type, SDL_IGNORE);
    SDL_ShowCursor(SDL_DISABLE);
}

// Moves the text two pixels left and prints a new glyph every 7th step (after 14
// pixels, so each new cell covers the last two columns of the one before). While
// paused nothing moves; the pause ends in the first frame more than 2999 ms after it
// began, and scrolling goes on in the next.
void scroll_text(unsigned &scroll_step, const SDL_Rect &shift_source)
{
    if (stopscroller == 0) {
        SDL_Rect source = shift_source;
        SDL_BlitSurface(scroll_surface, &source, scroll_surface, NULL);
        scroll_step += SCROLL_SPEED;
        if (scroll_step > SCROLL_STEPS_PER_GLYPH) {
            print_character();
            scroll_step = 0;
        }
    } else if (SDL_GetTicks() - time > PAUSE_MS) {
        stopscroller = 0;
    }
}

// Writes the bar into column x of an 8-bit surface, rows BAR_TOP_ROW onwards.
void draw_bar(SDL_Surface *s, int x)
{
    if (SDL_MUSTLOCK(s))
        SDL_LockSurface(s);
    Uint8 *pixels = (Uint8 *)s->pixels;
    for (int r = 0; r < (int)sizeof bar; ++r)
        pixels[(BAR_TOP_ROW + r) * s->pitch + x] = bar[r];
    if (SDL_MUSTLOCK(s))
        SDL_UnlockSurface(s);
}

// Twists every strip column around the bar: in front, the text scaled to the column's
// height with the bar showing through its black; behind, the mirrored text under the bar.
void twist_strip()
{
    SDL_Rect scratch = {0, 0, 1, STRIP_H};
    SDL_Rect strip_column = {0, 0, 1, STRIP_H};
    SDL_FillRect(copy_surface, NULL, 0);
    SDL_BlitSurface(scroll_surface, NULL, flipped_surface, NULL);
    MIRVO_flipx_image(flipped_surface);
    for (int i = 0; i < scroll_surface->w; ++i) {
        short v = aSin2[sin_index];
        if (v > 0) {
            // In front: only the text's non-black pixels land on the bar.
            MIRVO_scale_copy_vscanline(scroll_surface, copy_surface, (Uint16)i, (Uint8)v);
            strip_column.x = (Sint16)i;
            SDL_FillRect(screen, &scratch, 0);
            draw_bar(screen, 0);
            SDL_BlitSurface(copy_surface, &strip_column, screen, &scratch);
            SDL_BlitSurface(screen, &scratch, copy_surface, &strip_column);
        } else {
            // Behind: the mirrored text, with the bar over it.
            MIRVO_scale_copy_vscanline(flipped_surface, copy_surface, (Uint16)i, (Uint8)-v);
            draw_bar(copy_surface, i);
        }
        sin_index = (Uint16)((sin_index + 1) % TWIST_STEPS);
    }
}

// Lays the strip's shown columns across the screen, each at the wave's height for its x,
// and moves the wave on by one step.
void place_strip(unsigned &wave_phase)
{
    SDL_Rect scratch = {0, 0, 1, STRIP_H};
    SDL_Rect band = {0, 105, SCREEN_W, 182};
    SDL_Rect wave_source = {0, 0, 1, STRIP_H};
    SDL_Rect wave_destination = {0, 0, 1, STRIP_H};
    SDL_FillRect(screen, &scratch, 0);
    SDL_FillRect(screen, &band, 0);
    for (int x = 0; x < SCREEN_W; ++x) {
        wave_source.x = (Sint16)(x + STRIP_SHOWN_FROM);
        wave_destination.x = (Sint16)x;
        wave_destination.y = aSin[(x + wave_phase) % WAVE_STEPS];
        SDL_BlitSurface(copy_surface, &wave_source, screen, &wave_destination);
    }
    wave_phase = (wave_phase + 1) % WAVE_STEPS;
}

}  // namespace rasterwave
