/* bouncetext as a frei0r source, with the parameters of its catalogue. */
#include "BOUNCETEXT/bouncetext_params.h"
#include "frei0r_effect.h"

/* The effect's own entry points, linked into this module. */
MIRVO_EFFECT_ENTRY_POINTS(bouncetext);

const frei0r_effect mirvo_frei0r_effect = {
    "bouncetext",
    "The letters of a text travel right to left one by one, each jumping on a sine curve",
    F0R_PLUGIN_TYPE_SOURCE,
    bouncetext_params,
    BOUNCETEXT_NPARAMS,
    bouncetext_LTX_init_effect,
    bouncetext_LTX_draw_effect,
    bouncetext_LTX_free_effect,
};
