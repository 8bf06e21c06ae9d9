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

#include "boxflood_params.h"
#include "mirvo.h"
#include "mirvo_effect.h"

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
    long _boxflood_next_step; /* the step _boxflood_r is the rectangle of; -1: unknown */
};

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
    fx->_boxflood_next_step = 0;
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

static bool boxflood_finished(const boxflood_effect *fx, const SDL_Surface *s)
{
    const SDL_Rect *const r = &fx->_boxflood_r;
    return fx->_boxflood_inner_to_outer ? !(r->w < s->w && r->h < s->h) : r->w == 0 || r->h == 0;
}

static void boxflood_fill(boxflood_effect *fx, SDL_Surface *s)
{
    const SDL_Rect *const r = &fx->_boxflood_r;
    if (r->w && r->h) {
        SDL_Rect fill = *r; /* SDL may write its own idea of the clipped rectangle here */
        SDL_FillRect(s, &fill,
                     SDL_MapRGBA(s->format, fx->_boxflood_color_r, fx->_boxflood_color_g,
                                 fx->_boxflood_color_b, 0));
    }
}

/* The rectangle of the next frame from this one's (already clipped). */
static void boxflood_move(boxflood_effect *fx)
{
    SDL_Rect *const r = &fx->_boxflood_r;
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

static void boxflood_draw(boxflood_effect *fx)
{
    SDL_Surface *const s = fx->_boxflood_surface;
    if (!s)
        return; /* never initialised */
    fx->_boxflood_next_step = -1;
    if (boxflood_finished(fx, s)) {
        if (fx->_boxflood_restart)
            fx->_boxflood_restart(fx->_boxflood_host);
        return;
    }
    boxflood_clip(&fx->_boxflood_r, s->w, s->h);
    boxflood_fill(fx, s);
    boxflood_move(fx);
}

/*
 * The frame of step `step`: the rectangle is worked out from the start (or from the one
 * kept from the step before, when the parameters have not changed since), without
 * filling, then filled once. A flood lasts at most half the larger side in steps, and
 * one at rate 0 stands still.
 */
static long boxflood_draw_step(mirvo_instance *instance, long step)
{
    boxflood_effect *const fx = reinterpret_cast<boxflood_effect *>(instance);
    SDL_Surface *const s = fx->_boxflood_surface;
    if (!s || step < 0)
        return 0;
    if (fx->_boxflood_next_step < 0 || fx->_boxflood_next_step > step)
        boxflood_start(fx, s);
    for (long k = fx->_boxflood_next_step;; k++) {
        if (boxflood_finished(fx, s)) {
            fx->_boxflood_next_step = k;
            return k > 0 ? k : 1;
        }
        boxflood_clip(&fx->_boxflood_r, s->w, s->h);
        if (fx->_boxflood_rate == 0)
            k = step; /* nothing moves: every later frame is this one */
        if (k == step) {
            boxflood_fill(fx, s);
            boxflood_move(fx);
            fx->_boxflood_next_step = step + 1;
            return 0;
        }
        boxflood_move(fx);
    }
}

static boxflood_effect *boxflood_of(mirvo_instance *fx)
{
    return reinterpret_cast<boxflood_effect *>(fx);
}

static mirvo_instance *boxflood_make(SDL_Surface *s, mirvo_instance_restart_fn restart,
                                     void *host_data, const mirvo_value *values, char *why,
                                     size_t why_size)
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
    fx->_boxflood_inner_to_outer = Uint8(values[BOXFLOOD_DIRECTION].number);
    fx->_boxflood_rate = Uint8(values[BOXFLOOD_RATE].number);
    fx->_boxflood_color_r = Uint8(values[BOXFLOOD_RED].number);
    fx->_boxflood_color_g = Uint8(values[BOXFLOOD_GREEN].number);
    fx->_boxflood_color_b = Uint8(values[BOXFLOOD_BLUE].number);
    boxflood_start(fx, s);
    return reinterpret_cast<mirvo_instance *>(fx);
}

static void boxflood_draw_instance(mirvo_instance *fx)
{
    boxflood_draw(boxflood_of(fx));
}

/* The rate and the colours change the next fill; a new direction starts the flood again. */
static int boxflood_set(mirvo_instance *instance, int index, mirvo_value value, char *why,
                        size_t why_size)
{
    boxflood_effect *const fx = boxflood_of(instance);
    const Uint8 v = Uint8(value.number);
    fx->_boxflood_next_step = -1; /* the steps are worked out again with the new value */
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

static void boxflood_free(mirvo_instance *fx)
{
    free(boxflood_of(fx));
}

/* Nothing can fail in the five entry points' start but memory: nothing to say then. Their
 * free_effect does nothing: the effect holds nothing but its state. */
MIRVO_EFFECT_STEPPED(boxflood, "1.0",
                     "A rectangle of one colour growing from the centre or shrinking to it, one "
                     "step a frame",
                     1, boxflood_params, boxflood_make, boxflood_draw_instance, boxflood_set,
                     boxflood_free, nullptr, 1, boxflood_draw_step);
