/*
 * frei0r_effect.h - what a frei0r wrapper needs to know of one effect module: its name,
 * its parameter catalogue and its entry points. frei0r_module.cpp turns that into the
 * frei0r entry points, with the catalogue's parameter names, order and defaults.
 */
#ifndef MIRVO_FREI0R_EFFECT_H
#define MIRVO_FREI0R_EFFECT_H

extern "C" {
#include <frei0r.h>
}

#include "mirvo_effect.h"

/* A parameter's value as the host set it. */
struct frei0r_value {
    double number;            /* numbers; -1 for a default taken from the frame */
    char *text;               /* owned copy (strdup); null or empty: the default */
};

struct frei0r_effect {
    const char *name;
    const char *explanation;
    int plugin_type;          /* F0R_PLUGIN_TYPE_SOURCE or _FILTER */
    const mirvo_param *params; /* the effect's catalogue */
    int nparams;
    mirvo_init_effect_fn init;
    mirvo_draw_effect_fn draw;
    mirvo_free_effect_fn free;
};

/* Defined once per frei0r module. */
extern const frei0r_effect mirvo_frei0r_effect;

/* A frei0r number rounded to the catalogue's byte or word. */
Uint8 frei0r_byte(const frei0r_value *v);
Uint16 frei0r_word(const frei0r_value *v);

#endif
