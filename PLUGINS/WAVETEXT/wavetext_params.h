/* wavetext's parameters, in the order init reads them. */
#ifndef MIRVO_WAVETEXT_PARAMS_H
#define MIRVO_WAVETEXT_PARAMS_H

#include "mirvo.h"
#include "mirvo_effect.h"

static const mirvo_param wavetext_params[] = {
    {"text", MIRVO_PARAM_TEXT, 0, 0, MIRVO_DEFAULT_FIXED,
     "    MIRVO  WAVETEXT  -  A SINE SCROLLER PLUG-IN  -  LOADED BY NAME, DRAWN AT 50 FRAMES"
     " PER SECOND  -  ",
     "the text to scroll", "Text", MIRVO_CONTROL_TEXT, NULL, 0, NULL},
    MIRVO_FONT_PARAMS,
    {"amplitude", MIRVO_PARAM_U16, 0, 65535, MIRVO_DEFAULT_FIXED, "100", "wave amplitude in pixels",
     "Amplitude", MIRVO_CONTROL_NUMBER, NULL, 0, "px"},
    {"slice_width", MIRVO_PARAM_U8, 0, 255, MIRVO_DEFAULT_FIXED, "2",
     "width of the wave's slices in pixels (0 is taken as 1)", "Slice width", MIRVO_CONTROL_NUMBER,
     NULL, 0, "px"},
};
#define WAVETEXT_NPARAMS ((int)(sizeof wavetext_params / sizeof wavetext_params[0]))

#endif
