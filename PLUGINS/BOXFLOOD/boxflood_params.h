/* boxflood's parameters, in the order init reads them. */
#ifndef MIRVO_BOXFLOOD_PARAMS_H
#define MIRVO_BOXFLOOD_PARAMS_H

#include "mirvo_effect.h"

static const mirvo_choice boxflood_directions[] = {
    {1, "grow from the centre"},
    {0, "shrink to the centre"},
};

static const mirvo_param boxflood_params[] = {
    {"direction", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "1",
     "1 grows from the centre, 0 shrinks to the centre", "Direction", MIRVO_CONTROL_CHOICE,
     boxflood_directions, 2, NULL},
    {"rate", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "4",
     "pixels added or taken per side per frame (odd is raised by one)", "Rate",
     MIRVO_CONTROL_NUMBER, NULL, 0, "px"},
    {"red", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "255", "fill colour, red", "Colour",
     MIRVO_CONTROL_COLOUR_RED, NULL, 0, NULL},
    {"green", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "160", "fill colour, green", "Colour",
     MIRVO_CONTROL_COLOUR_GREEN, NULL, 0, NULL},
    {"blue", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "0", "fill colour, blue", "Colour",
     MIRVO_CONTROL_COLOUR_BLUE, NULL, 0, NULL},
};
#define BOXFLOOD_NPARAMS ((int)(sizeof boxflood_params / sizeof boxflood_params[0]))

#endif
