/*
 * boxflood - floods the target surface with one colour in a rectangle that grows from
 * the centre to the edges or shrinks from the edges to the centre, one step per frame.
 * A filter: it draws over whatever the surface holds and never clears it.
 *
 * Parameters: boxflood_params.h beside this file lists them, in the order init reads
 * them, with their types, ranges and defaults.
 */
#include <cmath>
#include <cstdarg>

#include "mirvo.h"
#include "mirvo_effect.h"

MIRVO_EFFECT_ENTRY_POINTS(boxflood);

static SDL_Surface *_boxflood_surface = nullptr;
static mirvo_restart_fn _boxflood_restart = nullptr;
static Uint8 _boxflood_inner_to_outer = 0;
static SDL_Rect _boxflood_r;
static Uint8 _boxflood_rate = 0;
static float _boxflood_ratio = 0.0f;
static Uint8 _boxflood_color_r = 0, _boxflood_color_g = 0, _boxflood_color_b = 0;

/* The one body behind both init forms: the parameters are already read. */
static void boxflood_start(SDL_Surface *s, mirvo_restart_fn restart)
{
    _boxflood_surface = s;
    _boxflood_restart = restart;
    if (_boxflood_rate & 1)
        _boxflood_rate = Uint8(_boxflood_rate + 1); /* 255 wraps to 0 */
    if (!s)
        return;
    if (_boxflood_inner_to_outer) {
        _boxflood_r.x = Sint16(s->w / 2);
        _boxflood_r.y = Sint16(s->h / 2);
        _boxflood_r.w = 0;
        _boxflood_r.h = 0;
    } else {
        _boxflood_r.x = 0;
        _boxflood_r.y = 0;
        _boxflood_r.w = Uint16(s->w);
        _boxflood_r.h = Uint16(s->h);
    }
    _boxflood_ratio = float(double(s->h) / double(s->w));
}

MIRVO_EFFECT_API void boxflood_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart,
                                               MIRVO_NODE *argument_list)
{
    _boxflood_inner_to_outer = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    _boxflood_rate = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    _boxflood_color_r = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    _boxflood_color_g = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    _boxflood_color_b = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    boxflood_start(s, restart);
}

MIRVO_EFFECT_API void boxflood_LTX_init_effect_valist(SDL_Surface *s, mirvo_restart_fn restart,
                                                      va_list parameters)
{
    _boxflood_inner_to_outer = Uint8(va_arg(parameters, int));
    _boxflood_rate = Uint8(va_arg(parameters, int));
    _boxflood_color_r = Uint8(va_arg(parameters, int));
    _boxflood_color_g = Uint8(va_arg(parameters, int));
    _boxflood_color_b = Uint8(va_arg(parameters, int));
    boxflood_start(s, restart);
}

/* Shrinking: one side's step, ending at 0 rather than wrapping past it. */
static Uint16 boxflood_shrink(Uint16 size, float step)
{
    const float next = std::trunc(float(size) - step);
    return next > 0.0f ? Uint16(next) : 0;
}

MIRVO_EFFECT_API void boxflood_LTX_draw_effect(void)
{
    SDL_Surface *const s = _boxflood_surface;
    if (!s)
        return; /* never initialised */
    const bool finished = _boxflood_inner_to_outer
                              ? !(_boxflood_r.w < s->w && _boxflood_r.h < s->h)
                              : _boxflood_r.w == 0 || _boxflood_r.h == 0;
    if (finished) {
        if (_boxflood_restart)
            _boxflood_restart();
        return;
    }

    /* The fill clips the rectangle to the surface and writes the clipped rectangle back:
     * the next step starts from there. */
    SDL_FillRect(s, &_boxflood_r,
                 SDL_MapRGBA(s->format, _boxflood_color_r, _boxflood_color_g, _boxflood_color_b, 0));

    if (_boxflood_inner_to_outer) {
        _boxflood_r.x = Sint16(_boxflood_r.x - _boxflood_rate);
        _boxflood_r.y = Sint16(int(std::trunc(float(_boxflood_r.y) - _boxflood_ratio * _boxflood_rate)));
        _boxflood_r.w = Uint16(_boxflood_r.w + 2 * _boxflood_rate);
        _boxflood_r.h = Uint16(int(std::trunc(float(_boxflood_r.h) + _boxflood_ratio * 2 * _boxflood_rate)));
    } else {
        _boxflood_r.x = Sint16(_boxflood_r.x + _boxflood_rate);
        _boxflood_r.y = Sint16(int(std::trunc(float(_boxflood_r.y) + _boxflood_ratio * _boxflood_rate)));
        _boxflood_r.w = boxflood_shrink(_boxflood_r.w, float(2 * _boxflood_rate));
        _boxflood_r.h = boxflood_shrink(_boxflood_r.h, _boxflood_ratio * 2 * _boxflood_rate);
    }
}

MIRVO_EFFECT_API void boxflood_LTX_free_effect(void)
{
    /* Nothing was allocated. */
}

MIRVO_EFFECT_API Uint8 boxflood_LTX_is_filter(void)
{
    return 1;
}
