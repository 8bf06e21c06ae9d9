/* boxflood as a frei0r filter, with the parameters of its catalogue. */
#include "BOXFLOOD/boxflood_params.h"
#include "frei0r_effect.h"

/* The effect's own entry points, linked into this module. */
MIRVO_EFFECT_ENTRY_POINTS(boxflood);

const frei0r_effect mirvo_frei0r_effect = {
    "boxflood",
    "A rectangle of one colour growing from the centre or shrinking to it, one step a frame",
    F0R_PLUGIN_TYPE_FILTER,
    boxflood_params,
    BOXFLOOD_NPARAMS,
    boxflood_LTX_init_effect,
    boxflood_LTX_draw_effect,
    boxflood_LTX_free_effect,
};
