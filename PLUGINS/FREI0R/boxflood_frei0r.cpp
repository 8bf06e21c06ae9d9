/* boxflood as a frei0r filter: the rectangle is filled over the incoming frame. */
#include "effect_defaults.h"
#include "frei0r_effect.h"

/* The effect's own entry points, linked into this module. */
extern "C" {
void boxflood_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart, MIRVO_NODE *argument_list);
void boxflood_LTX_draw_effect(void);
void boxflood_LTX_free_effect(void);
}

static const frei0r_param params[] = {
    {"grow", "Grow from the centre to the edges (y), or shrink from the edges to the centre (n)",
     F0R_PARAM_BOOL, BOXFLOOD_DEFAULT_DIRECTION, NULL, {0, 0, 0}, 0, 1},
    {"rate", "Pixels added to or taken from each side per frame, 0 to 255 (an odd rate is raised "
             "by one)",
     F0R_PARAM_DOUBLE, BOXFLOOD_DEFAULT_RATE, NULL, {0, 0, 0}, 0, 255},
    {"colour", "Fill colour", F0R_PARAM_COLOR, 0, NULL,
     {BOXFLOOD_DEFAULT_RED / 255.0f, BOXFLOOD_DEFAULT_GREEN / 255.0f, BOXFLOOD_DEFAULT_BLUE / 255.0f},
     0, 1},
};

static int start(SDL_Surface *s, mirvo_restart_fn restart, const frei0r_value *v)
{
    Uint8 bytes[5];
    mirvo_node nodes[5];

    bytes[0] = frei0r_byte(&v[0]);
    bytes[1] = frei0r_byte(&v[1]);
    bytes[2] = frei0r_colour_byte(v[2].colour.r);
    bytes[3] = frei0r_colour_byte(v[2].colour.g);
    bytes[4] = frei0r_colour_byte(v[2].colour.b);
    const void *data[5] = {&bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4]};
    frei0r_chain(nodes, data, 5);
    boxflood_LTX_init_effect(s, restart, nodes);
    return 1;
}

const frei0r_effect mirvo_frei0r_effect = {
    "boxflood",
    "A rectangle of one colour growing from the centre or shrinking to it, one step a frame",
    F0R_PLUGIN_TYPE_FILTER,
    (int)(sizeof params / sizeof params[0]),
    params,
    start,
    boxflood_LTX_draw_effect,
    boxflood_LTX_free_effect,
};
