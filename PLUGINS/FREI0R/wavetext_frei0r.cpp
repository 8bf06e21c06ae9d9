/* wavetext as a frei0r source, with the parameters of its catalogue. */
#include "WAVETEXT/wavetext_params.h"
#include "frei0r_effect.h"

/* The effect's own entry points, linked into this module. */
MIRVO_EFFECT_ENTRY_POINTS(wavetext);

const frei0r_effect mirvo_frei0r_effect = {
    "wavetext",
    "A line of bitmap-font text scrolling right to left on a moving sine wave",
    F0R_PLUGIN_TYPE_SOURCE,
    wavetext_params,
    WAVETEXT_NPARAMS,
    wavetext_LTX_init_effect,
    wavetext_LTX_draw_effect,
    wavetext_LTX_free_effect,
};
