/* wavetext as a frei0r source: a text scroller on a moving sine wave. */
#include "effect_defaults.h"
#include "frei0r_effect.h"

/* The effect's own entry points, linked into this module. */
extern "C" {
void wavetext_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart, MIRVO_NODE *argument_list);
void wavetext_LTX_draw_effect(void);
void wavetext_LTX_free_effect(void);
}

static const frei0r_param params[] = {
    {"text", "The text to scroll", F0R_PARAM_STRING, 0, WAVETEXT_DEFAULT_TEXT, {0, 0, 0}, 0, 0},
    {"amplitude", "Wave amplitude in pixels, 0 to 65535", F0R_PARAM_DOUBLE,
     WAVETEXT_DEFAULT_AMPLITUDE, NULL, {0, 0, 0}, 0, 65535},
    {"slice_width", "Width of the wave's slices in pixels, 1 to 255", F0R_PARAM_DOUBLE,
     WAVETEXT_DEFAULT_SLICE_WIDTH, NULL, {0, 0, 0}, 1, 255},
    {"character_width", "Glyph width in pixels, 1 to 255", F0R_PARAM_DOUBLE,
     WAVETEXT_DEFAULT_CHARACTER_WIDTH, NULL, {0, 0, 0}, 1, 255},
    {"character_height", "Glyph height in pixels, 1 to 255", F0R_PARAM_DOUBLE,
     WAVETEXT_DEFAULT_CHARACTER_HEIGHT, NULL, {0, 0, 0}, 1, 255},
    {"font", "Font image file: glyphs side by side", F0R_PARAM_STRING, 0, MIRVO_FONT1, {0, 0, 0},
     0, 0},
    {"characters", "The font's characters in glyph order", F0R_PARAM_STRING, 0,
     MIRVO_FONT1_CHARACTERS, {0, 0, 0}, 0, 0},
};

static int start(SDL_Surface *s, mirvo_restart_fn restart, const frei0r_value *v)
{
    Uint16 amplitude = frei0r_word(&v[1]);
    Uint8 slice = frei0r_byte(&v[2]);
    return frei0r_start_scroller(s, restart, v, wavetext_LTX_init_effect, &amplitude, &slice);
}

const frei0r_effect mirvo_frei0r_effect = {
    "wavetext",
    "A line of bitmap-font text scrolling right to left on a moving sine wave",
    F0R_PLUGIN_TYPE_SOURCE,
    (int)(sizeof params / sizeof params[0]),
    params,
    start,
    wavetext_LTX_draw_effect,
    wavetext_LTX_free_effect,
};
