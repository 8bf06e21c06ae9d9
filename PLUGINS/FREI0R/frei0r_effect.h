/*
 * frei0r_effect.h - what a frei0r wrapper needs to know of one effect module: its
 * frei0r parameters and how to start it from their values. frei0r_module.cpp turns
 * that into the frei0r entry points.
 */
#ifndef MIRVO_FREI0R_EFFECT_H
#define MIRVO_FREI0R_EFFECT_H

extern "C" {
#include <frei0r.h>
}

#include "mirvo_effect.h"

typedef struct {
    const char *name;
    const char *explanation;
    int type;                 /* F0R_PARAM_BOOL, _DOUBLE, _COLOR or _STRING */
    double fallback;          /* default of a number or a bool */
    const char *fallback_text;  /* default of a string */
    f0r_param_color_t fallback_colour;
    double min, max;          /* numbers are rounded and clamped to this range */
} frei0r_param;

typedef struct {
    double number;            /* numbers and bools */
    f0r_param_color_t colour;
    char *text;               /* owned copy; NULL or empty: the default */
} frei0r_value;

typedef struct {
    const char *name;
    const char *explanation;
    int plugin_type;          /* F0R_PLUGIN_TYPE_SOURCE or _FILTER */
    int nparams;
    const frei0r_param *params;
    /* Starts the effect on s with the values; returns 0 when it cannot start (the
     * message is printed). */
    int (*start)(SDL_Surface *s, mirvo_restart_fn restart, const frei0r_value *values);
    mirvo_draw_effect_fn draw;
    mirvo_free_effect_fn free;
} frei0r_effect;

/* Defined once per frei0r module. */
extern const frei0r_effect mirvo_frei0r_effect;

/* Helpers for the start functions. */
Uint8 frei0r_byte(const frei0r_value *v);
Uint16 frei0r_word(const frei0r_value *v);
Uint8 frei0r_colour_byte(float c);
/* Links nodes[0 .. n-1] into a parameter list whose node i points at data[i]. */
void frei0r_chain(mirvo_node *nodes, const void *const *data, int n);
/* Starts a scroller effect whose parameters are text, amplitude-or-width, slice-or-height,
 * character width, character height, font and characters (in that frei0r order): checks
 * the font, then initialises it with the list text, font, characters, width, height,
 * `sixth`, `seventh`. Returns 0 when the font cannot be read. */
int frei0r_start_scroller(SDL_Surface *s, mirvo_restart_fn restart, const frei0r_value *v,
                          mirvo_init_effect_fn init, const void *sixth, const void *seventh);

#endif
