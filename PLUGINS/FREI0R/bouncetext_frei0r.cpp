/* bouncetext as a frei0r source: letters jumping on a sine curve from right to left. */
#include "effect_defaults.h"
#include "frei0r_effect.h"

/* The effect's own entry points, linked into this module. */
extern "C" {
void bouncetext_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart, MIRVO_NODE *argument_list);
void bouncetext_LTX_draw_effect(void);
void bouncetext_LTX_free_effect(void);
}

static const frei0r_param params[] = {
    {"text", "The text", F0R_PARAM_STRING, 0, BOUNCETEXT_DEFAULT_TEXT, {0, 0, 0}, 0, 0},
    {"width", "Width of the scrolling area in pixels, 0 to 65535; -1: the frame's width",
     F0R_PARAM_DOUBLE, -1, NULL, {0, 0, 0}, -1, 65535},
    {"height", "Height of the bounce in pixels, 0 to 65535; -1: the frame's height less the "
               "character height",
     F0R_PARAM_DOUBLE, -1, NULL, {0, 0, 0}, -1, 65535},
    {"character_width", "Glyph width in pixels, 1 to 255", F0R_PARAM_DOUBLE,
     BOUNCETEXT_DEFAULT_CHARACTER_WIDTH, NULL, {0, 0, 0}, 1, 255},
    {"character_height", "Glyph height in pixels, 1 to 255", F0R_PARAM_DOUBLE,
     BOUNCETEXT_DEFAULT_CHARACTER_HEIGHT, NULL, {0, 0, 0}, 1, 255},
    {"font", "Font image file: glyphs side by side", F0R_PARAM_STRING, 0, MIRVO_FONT1, {0, 0, 0},
     0, 0},
    {"characters", "The font's characters in glyph order", F0R_PARAM_STRING, 0,
     MIRVO_FONT1_CHARACTERS, {0, 0, 0}, 0, 0},
};

static int start(SDL_Surface *s, mirvo_restart_fn restart, const frei0r_value *v)
{
    /* -1 takes the area from the frame: its width, and its height less a glyph. */
    int h = s->h - frei0r_byte(&v[4]);
    Uint16 width = v[1].number < 0 ? (Uint16)s->w : frei0r_word(&v[1]);
    Uint16 height = v[2].number < 0 ? (Uint16)(h > 0 ? h : 0) : frei0r_word(&v[2]);
    return frei0r_start_scroller(s, restart, v, bouncetext_LTX_init_effect, &width, &height);
}

const frei0r_effect mirvo_frei0r_effect = {
    "bouncetext",
    "The letters of a text travel right to left one by one, each jumping on a sine curve",
    F0R_PLUGIN_TYPE_SOURCE,
    (int)(sizeof params / sizeof params[0]),
    params,
    start,
    bouncetext_LTX_draw_effect,
    bouncetext_LTX_free_effect,
};
