/* wavetext as a frei0r source, with the parameters of its catalogue. */
#include "WAVETEXT/wavetext_params.h"
#include "frei0r_effect.h"

MIRVO_FREI0R_EFFECT(wavetext,
                    "A line of bitmap-font text scrolling right to left on a moving sine wave",
                    F0R_PLUGIN_TYPE_SOURCE, wavetext_params, WAVETEXT_NPARAMS);
