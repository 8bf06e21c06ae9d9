/* bouncetext's parameters, in the order init reads them. */
#ifndef MIRVO_BOUNCETEXT_PARAMS_H
#define MIRVO_BOUNCETEXT_PARAMS_H

#include "mirvo.h"
#include "mirvo_effect.h"

static const mirvo_param bouncetext_params[] = {
    {"text", MIRVO_PARAM_TEXT, 0, 0, MIRVO_DEFAULT_FIXED, "MIRVO BOUNCETEXT - JUMPING LETTERS - ",
     "the text", "Text", MIRVO_CONTROL_TEXT, NULL, 0, NULL},
    MIRVO_FONT_PARAMS,
    {"width", MIRVO_PARAM_U16, 0, 65535, MIRVO_DEFAULT_SURFACE_WIDTH, NULL,
     "width of the scrolling area; letters enter at this x", "Area width", MIRVO_CONTROL_NUMBER,
     NULL, 0, "px"},
    {"height", MIRVO_PARAM_U16, 0, 65535, MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH, NULL,
     "height of the bounce", "Bounce height", MIRVO_CONTROL_NUMBER, NULL, 0, "px"},
};
#define BOUNCETEXT_NPARAMS ((int)(sizeof bouncetext_params / sizeof bouncetext_params[0]))

#endif
