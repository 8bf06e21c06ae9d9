/* boxflood as a frei0r filter, with the parameters of its catalogue. */
#include "BOXFLOOD/boxflood_params.h"
#include "frei0r_effect.h"

MIRVO_FREI0R_EFFECT(boxflood,
                    "A rectangle of one colour growing from the centre or shrinking to it, one "
                    "step a frame",
                    F0R_PLUGIN_TYPE_FILTER, boxflood_params, BOXFLOOD_NPARAMS);
