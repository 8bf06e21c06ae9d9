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
#include <cstdio>
#include <cstdlib>

#include "mirvo.h"
#include "mirvo_effect.h"

MIRVO_EFFECT_ENTRY_POINTS(boxflood);

/* Parameter indices, in the catalogue's order. */
enum { BOXFLOOD_DIRECTION, BOXFLOOD_RATE, BOXFLOOD_RED, BOXFLOOD_GREEN, BOXFLOOD_BLUE };

/* One instance: all of the effect's state. */
struct boxflood_effect {
    SDL_Surface *_boxflood_surface;
    mirvo_instance_restart_fn _boxflood_restart;
    void *_boxflood_host; /* handed to _boxflood_restart */
    Uint8 _boxflood_inner_to_outer;
    SDL_Rect _boxflood_r;  /* the rectangle filled in the next frame */
    Uint8 _boxflood_rate;  /* always even after init */
    float _boxflood_ratio; /* target height / target width */
    Uint8 _boxflood_color_r, _boxflood_color_g, _boxflood_color_b;
};

/* The instance behind the five entry points, and the restart callback they were given. */
static boxflood_effect boxflood_default;
static mirvo_restart_fn boxflood_default_restart = nullptr;

static void boxflood_call_default_restart(void *)
{
    if (boxflood_default_restart)
        boxflood_default_restart();
}

/* An odd rate is raised by one (in 8 bits, so 255 wraps to 0). */
static Uint8 boxflood_even_rate(Uint8 rate)
{
    return rate & 1 ? Uint8(rate + 1) : rate;
}

/* Starts the instance on s: the parameters are already read. */
static void boxflood_start(boxflood_effect *fx, SDL_Surface *s)
{
    fx->_boxflood_surface = s;
    fx->_boxflood_rate = boxflood_even_rate(fx->_boxflood_rate);
    if (!s)
        return;
    if (fx->_boxflood_inner_to_outer) {
        fx->_boxflood_r.x = Sint16(s->w / 2);
        fx->_boxflood_r.y = Sint16(s->h / 2);
        fx->_boxflood_r.w = 0;
        fx->_boxflood_r.h = 0;
    } else {
        fx->_boxflood_r.x = 0;
        fx->_boxflood_r.y = 0;
        fx->_boxflood_r.w = Uint16(s->w);
        fx->_boxflood_r.h = Uint16(s->h);
    }
    fx->_boxflood_ratio = float(double(s->h) / double(s->w));
}

/* Reads the five parameters of a node list into the instance. */
static void boxflood_read(boxflood_effect *fx, MIRVO_NODE *argument_list)
{
    fx->_boxflood_inner_to_outer =
        *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    fx->_boxflood_rate = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    fx->_boxflood_color_r = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    fx->_boxflood_color_g = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    fx->_boxflood_color_b = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
}

MIRVO_EFFECT_API void boxflood_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart,
                                               MIRVO_NODE *argument_list)
{
    boxflood_default_restart = restart;
    boxflood_default._boxflood_restart = boxflood_call_default_restart;
    boxflood_default._boxflood_host = nullptr;
    boxflood_read(&boxflood_default, argument_list);
    boxflood_start(&boxflood_default, s);
}

MIRVO_EFFECT_API void boxflood_LTX_init_effect_valist(SDL_Surface *s, mirvo_restart_fn restart,
                                                      va_list parameters)
{
    boxflood_effect *const fx = &boxflood_default;
    boxflood_default_restart = restart;
    fx->_boxflood_restart = boxflood_call_default_restart;
    fx->_boxflood_host = nullptr;
    fx->_boxflood_inner_to_outer = Uint8(va_arg(parameters, int));
    fx->_boxflood_rate = Uint8(va_arg(parameters, int));
    fx->_boxflood_color_r = Uint8(va_arg(parameters, int));
    fx->_boxflood_color_g = Uint8(va_arg(parameters, int));
    fx->_boxflood_color_b = Uint8(va_arg(parameters, int));
    boxflood_start(fx, s);
}

/* Shrinking: one side's step, ending at 0 rather than wrapping past it. */
static Uint16 boxflood_shrink(Uint16 size, float step)
{
    const float next = std::trunc(float(size) - step);
    return next > 0.0f ? Uint16(next) : 0;
}

/*
 * The rectangle clipped to a W x H surface as SDL 1.2's fill clips it and writes it back:
 * each side is cut to the surface, and a rectangle left empty keeps its clipped x and y
 * with w or h 0 (SDLs differ here: sdl12-compat writes (0, 0, 0, 0) back for an empty
 * one). The steps start from this rectangle, so it is worked out here, never read back
 * from the fill.
 */
static void boxflood_clip(SDL_Rect *r, int W, int H)
{
    int x0 = r->x, x1 = r->x + r->w, y0 = r->y, y1 = r->y + r->h;
    if (x0 < 0)
        x0 = 0;
    if (x1 > W)
        x1 = W;
    if (y0 < 0)
        y0 = 0;
    if (y1 > H)
        y1 = H;
    r->x = Sint16(x0);
    r->y = Sint16(y0);
    r->w = Uint16(x1 > x0 ? x1 - x0 : 0);
    r->h = Uint16(y1 > y0 ? y1 - y0 : 0);
}

static void boxflood_draw(boxflood_effect *fx)
{
    SDL_Surface *const s = fx->_boxflood_surface;
    if (!s)
        return; /* never initialised */
    SDL_Rect *const r = &fx->_boxflood_r;
    const bool finished =
        fx->_boxflood_inner_to_outer ? !(r->w < s->w && r->h < s->h) : r->w == 0 || r->h == 0;
    if (finished) {
        if (fx->_boxflood_restart)
            fx->_boxflood_restart(fx->_boxflood_host);
        return;
    }

    boxflood_clip(r, s->w, s->h);
    if (r->w && r->h) {
        SDL_Rect fill = *r; /* SDL may write its own idea of the clipped rectangle here */
        SDL_FillRect(s, &fill,
                     SDL_MapRGBA(s->format, fx->_boxflood_color_r, fx->_boxflood_color_g,
                                 fx->_boxflood_color_b, 0));
    }

    const Uint8 rate = fx->_boxflood_rate;
    const float ratio = fx->_boxflood_ratio;
    if (fx->_boxflood_inner_to_outer) {
        r->x = Sint16(r->x - rate);
        r->y = Sint16(int(std::trunc(float(r->y) - ratio * rate)));
        r->w = Uint16(r->w + 2 * rate);
        r->h = Uint16(int(std::trunc(float(r->h) + ratio * 2 * rate)));
    } else {
        r->x = Sint16(r->x + rate);
        r->y = Sint16(int(std::trunc(float(r->y) + ratio * rate)));
        r->w = boxflood_shrink(r->w, float(2 * rate));
        r->h = boxflood_shrink(r->h, ratio * 2 * rate);
    }
}

MIRVO_EFFECT_API void boxflood_LTX_draw_effect(void)
{
    boxflood_draw(&boxflood_default);
}

MIRVO_EFFECT_API void boxflood_LTX_free_effect(void)
{
    /* Nothing was allocated. */
}

MIRVO_EFFECT_API Uint8 boxflood_LTX_is_filter(void)
{
    return 1;
}

/* ---- instances ---------------------------------------------------------------------- */

static boxflood_effect *boxflood_of(mirvo_instance *fx)
{
    return reinterpret_cast<boxflood_effect *>(fx);
}

MIRVO_EFFECT_API mirvo_instance *
boxflood_LTX_make_instance(SDL_Surface *s, mirvo_instance_restart_fn restart, void *host_data,
                           MIRVO_NODE *argument_list, char *why, size_t why_size)
{
    if (!s) {
        snprintf(why, why_size, "no target surface");
        return nullptr;
    }
    boxflood_effect *const fx = static_cast<boxflood_effect *>(calloc(1, sizeof(boxflood_effect)));
    if (!fx) {
        snprintf(why, why_size, "out of memory");
        return nullptr;
    }
    fx->_boxflood_restart = restart;
    fx->_boxflood_host = host_data;
    boxflood_read(fx, argument_list);
    boxflood_start(fx, s);
    return reinterpret_cast<mirvo_instance *>(fx);
}

MIRVO_EFFECT_API void boxflood_LTX_draw_instance(mirvo_instance *fx)
{
    if (fx)
        boxflood_draw(boxflood_of(fx));
}

/* The rate and the colours change the next fill; a new direction starts the flood again. */
MIRVO_EFFECT_API int boxflood_LTX_set_instance_parameter(mirvo_instance *instance, int index,
                                                         const void *value, char *why,
                                                         size_t why_size)
{
    boxflood_effect *const fx = boxflood_of(instance);
    if (!fx || !value) {
        snprintf(why, why_size, "no instance or no value");
        return 0;
    }
    const Uint8 v = *static_cast<const Uint8 *>(value);
    switch (index) {
    case BOXFLOOD_DIRECTION:
        if ((v != 0) != (fx->_boxflood_inner_to_outer != 0)) {
            fx->_boxflood_inner_to_outer = v;
            boxflood_start(fx, fx->_boxflood_surface);
        }
        fx->_boxflood_inner_to_outer = v;
        return 1;
    case BOXFLOOD_RATE:
        fx->_boxflood_rate = boxflood_even_rate(v);
        return 1;
    case BOXFLOOD_RED:
        fx->_boxflood_color_r = v;
        return 1;
    case BOXFLOOD_GREEN:
        fx->_boxflood_color_g = v;
        return 1;
    case BOXFLOOD_BLUE:
        fx->_boxflood_color_b = v;
        return 1;
    default:
        snprintf(why, why_size, "no parameter %d", index);
        return 0;
    }
}

MIRVO_EFFECT_API void boxflood_LTX_free_instance(mirvo_instance *fx)
{
    free(boxflood_of(fx));
}
