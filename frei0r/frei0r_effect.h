/*
 * frei0r_effect.h - what the frei0r adapter needs to know of one effect: its name, its
 * parameter catalogue and its instance entry points. frei0r_module.cpp turns that into
 * the frei0r entry points, with the catalogue's parameter names, order and defaults.
 */
#ifndef MIRVO_FREI0R_EFFECT_H
#define MIRVO_FREI0R_EFFECT_H

extern "C" {
#include <frei0r.h>
}

#include "mirvo_effect.h"

struct frei0r_effect {
    const char *name;
    const char *explanation;
    int plugin_type;           /* F0R_PLUGIN_TYPE_SOURCE or _FILTER */
    const mirvo_param *params; /* the effect's catalogue */
    int nparams;
    mirvo_make_instance_fn make;
    mirvo_draw_instance_fn draw;
    mirvo_set_instance_parameter_fn set;
    mirvo_free_instance_fn free;
};

/* Defined once per frei0r module. */
extern const frei0r_effect mirvo_frei0r_effect;

/* Declares the effect's instance entry points, linked into this module, and defines the
 * module's description from them. */
#define MIRVO_FREI0R_EFFECT(module, explanation, type, params, nparams)                            \
    MIRVO_EFFECT_ENTRY_POINTS(module);                                                             \
    const frei0r_effect mirvo_frei0r_effect = {#module,                                            \
                                               explanation,                                        \
                                               type,                                               \
                                               params,                                             \
                                               nparams,                                            \
                                               module##_LTX_make_instance,                         \
                                               module##_LTX_draw_instance,                         \
                                               module##_LTX_set_instance_parameter,                \
                                               module##_LTX_free_instance}

#endif
