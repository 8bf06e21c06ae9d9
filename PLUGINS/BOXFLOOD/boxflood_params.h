/* boxflood's parameters, in the order init reads them. */
#ifndef MIRVO_BOXFLOOD_PARAMS_H
#define MIRVO_BOXFLOOD_PARAMS_H

#include "mirvo_effect.h"

static const mirvo_param boxflood_params[] = {
    {"direction", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "1",
     "1 grows from the centre, 0 shrinks to the centre"},
    {"rate", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "4",
     "pixels added or taken per side per frame (odd is raised by one)"},
    {"red", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "255", "fill colour, red"},
    {"green", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "160", "fill colour, green"},
    {"blue", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "0", "fill colour, blue"},
};
#define BOXFLOOD_NPARAMS ((int)(sizeof boxflood_params / sizeof boxflood_params[0]))

#endif
