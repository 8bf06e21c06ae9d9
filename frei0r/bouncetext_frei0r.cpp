/* bouncetext as a frei0r source, with the parameters of its catalogue. */
#include "BOUNCETEXT/bouncetext_params.h"
#include "frei0r_effect.h"

MIRVO_FREI0R_EFFECT(bouncetext,
                    "The letters of a text travel right to left one by one, each jumping on a "
                    "sine curve",
                    F0R_PLUGIN_TYPE_SOURCE, bouncetext_params, BOUNCETEXT_NPARAMS);
