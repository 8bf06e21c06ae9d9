/*
 * frei0r_module.cpp - the frei0r entry points around one effect module (described by
 * mirvo_frei0r_effect), so that frei0r hosts such as ffmpeg run the effect.
 *
 * The host's output buffer is wrapped as a 32-bit SDL surface without copying (frei0r's
 * RGBA8888 layout is a valid SDL pixel format); a filter first copies its input frame
 * there and draws over it. The effect is started at the first update after its
 * parameters were set, and started again whenever it calls its restart callback, so a
 * source loops for ever. The effects keep their state in the module: one instance at
 * a time, a second f0r_construct fails.
 */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <SDL_image.h>

#include "frei0r_effect.h"

#define FX (&mirvo_frei0r_effect)
/* Exported as mirvo_f0r_*: the frei0r module that a host loads (frei0r_shim.cpp) opens
 * this one with its own SDL 1.2 ahead of whatever the host has loaded. */
#define F0R_EXPORT extern "C" __attribute__((visibility("default")))

#if SDL_BYTEORDER == SDL_LIL_ENDIAN
#define RGBA_R 0x000000ffu
#define RGBA_G 0x0000ff00u
#define RGBA_B 0x00ff0000u
#define RGBA_A 0xff000000u
#else
#define RGBA_R 0xff000000u
#define RGBA_G 0x00ff0000u
#define RGBA_B 0x0000ff00u
#define RGBA_A 0x000000ffu
#endif

typedef struct {
    unsigned width, height;
    SDL_Surface *surface;     /* the host's output buffer, rewrapped every update */
    frei0r_value *values;     /* as the host set them */
    frei0r_value *running;    /* the values the running effect was started with */
    int started;              /* the effect is initialised */
    int dirty;                /* values changed since it was started */
} frei0r_instance;

static int _frei0r_live = 0;
static int _frei0r_restart = 0;

static void _frei0r_on_restart(void)
{
    _frei0r_restart = 1;
}

Uint8 frei0r_byte(const frei0r_value *v)
{
    return (Uint8)v->number;
}

Uint16 frei0r_word(const frei0r_value *v)
{
    return (Uint16)v->number;
}

Uint8 frei0r_colour_byte(float c)
{
    double v = floor((double)c * 255.0 + 0.5);
    return (Uint8)(v < 0 ? 0 : v > 255 ? 255 : v);
}

static const char *frei0r_text(const frei0r_effect *fx, const frei0r_value *values, int index)
{
    const char *t = values[index].text;
    return t && *t ? t : fx->params[index].fallback_text;
}

void frei0r_chain(mirvo_node *nodes, const void *const *data, int n)
{
    for (int i = 0; i < n; i++) {
        nodes[i].data = data[i];
        nodes[i].next_node = i + 1 < n ? &nodes[i + 1] : NULL;
        nodes[i].previous_node = i > 0 ? &nodes[i - 1] : NULL;
    }
}

/* 1 when the font image can be read; otherwise prints why on stderr. */
static int frei0r_font_readable(const char *effect, const char *font)
{
    const char *looked = NULL;
    const char *file = MIRVO_find_data(font, &looked);
    if (!file) {
        fprintf(stderr, "%s: cannot read the font %s: not found (looked in %s)\n", effect, font,
                looked);
        return 0;
    }
    SDL_Surface *image = IMG_Load(file);
    if (!image) {
        fprintf(stderr, "%s: cannot read the font %s: %s\n", effect, font, IMG_GetError());
        return 0;
    }
    SDL_FreeSurface(image);
    return 1;
}

int frei0r_start_scroller(SDL_Surface *s, mirvo_restart_fn restart, const frei0r_value *v,
                          mirvo_init_effect_fn init, const void *sixth, const void *seventh)
{
    const char *text = frei0r_text(FX, v, 0);
    const char *font = frei0r_text(FX, v, 5);
    const char *characters = frei0r_text(FX, v, 6);
    Uint8 cw = frei0r_byte(&v[3]), ch = frei0r_byte(&v[4]);
    mirvo_node nodes[7];

    if (!frei0r_font_readable(FX->name, font))
        return 0;
    const void *data[7] = {&text, &font, &characters, &cw, &ch, sixth, seventh};
    frei0r_chain(nodes, data, 7);
    init(s, restart, nodes);
    return 1;
}


F0R_EXPORT int mirvo_f0r_init(void)
{
    return 1;
}

F0R_EXPORT void mirvo_f0r_deinit(void)
{
}

F0R_EXPORT void mirvo_f0r_get_plugin_info(f0r_plugin_info_t *info)
{
    info->name = FX->name;
    info->author = "Mirvo";
    info->plugin_type = FX->plugin_type;
    info->color_model = F0R_COLOR_MODEL_RGBA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = MIRVO_VERSION_MAJOR;
    info->minor_version = MIRVO_VERSION_MINOR;
    info->num_params = FX->nparams;
    info->explanation = FX->explanation;
}

F0R_EXPORT void mirvo_f0r_get_param_info(f0r_param_info_t *info, int param_index)
{
    if (param_index < 0 || param_index >= FX->nparams)
        return;
    info->name = FX->params[param_index].name;
    info->type = FX->params[param_index].type;
    info->explanation = FX->params[param_index].explanation;
}

static void _frei0r_free_values(frei0r_value *v)
{
    int i;
    if (!v)
        return;
    for (i = 0; i < FX->nparams; i++)
        free(v[i].text);
    free(v);
}

F0R_EXPORT f0r_instance_t mirvo_f0r_construct(unsigned int width, unsigned int height)
{
    frei0r_instance *inst;
    int i;

    if (_frei0r_live) {
        fprintf(stderr, "%s: one instance at a time: the effect keeps its state in the module\n",
                FX->name);
        return NULL;
    }
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        return NULL;
    inst = (frei0r_instance *)calloc(1, sizeof *inst);
    if (!inst)
        return NULL;
    inst->width = width;
    inst->height = height;
    inst->values = (frei0r_value *)calloc((size_t)FX->nparams, sizeof(frei0r_value));
    inst->surface = SDL_CreateRGBSurfaceFrom(NULL, (int)width, (int)height, 32, (int)width * 4,
                                             RGBA_R, RGBA_G, RGBA_B, 0);
    if (!inst->values || !inst->surface) {
        _frei0r_free_values(inst->values);
        if (inst->surface)
            SDL_FreeSurface(inst->surface);
        free(inst);
        return NULL;
    }
    for (i = 0; i < FX->nparams; i++) {
        inst->values[i].number = FX->params[i].fallback;
        inst->values[i].colour = FX->params[i].fallback_colour;
    }
    _frei0r_live = 1;
    return inst;
}

F0R_EXPORT void mirvo_f0r_destruct(f0r_instance_t instance)
{
    frei0r_instance *inst = (frei0r_instance *)instance;
    if (!inst)
        return;
    if (inst->started)
        FX->free();
    _frei0r_free_values(inst->values);
    _frei0r_free_values(inst->running);
    SDL_FreeSurface(inst->surface);
    free(inst);
    _frei0r_live = 0;
}

F0R_EXPORT void mirvo_f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    frei0r_instance *inst = (frei0r_instance *)instance;
    const frei0r_param *p;
    frei0r_value *v;

    if (!inst || !param || param_index < 0 || param_index >= FX->nparams)
        return;
    p = &FX->params[param_index];
    v = &inst->values[param_index];
    switch (p->type) {
    case F0R_PARAM_BOOL:
        v->number = *(const double *)param >= 0.5 ? 1.0 : 0.0;
        break;
    case F0R_PARAM_DOUBLE: {
        double d = floor(*(const double *)param + 0.5);
        if (!(d >= p->min)) /* also NaN */
            d = p->min;
        if (d > p->max)
            d = p->max;
        v->number = d;
        break;
    }
    case F0R_PARAM_COLOR:
        v->colour = *(const f0r_param_color_t *)param;
        break;
    case F0R_PARAM_STRING: {
        const char *s = *(char *const *)param;
        char *copy = s ? strdup(s) : NULL;
        if (s && !copy)
            return;
        free(v->text);
        v->text = copy;
        break;
    }
    default:
        return;
    }
    inst->dirty = 1;
}

F0R_EXPORT void mirvo_f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    frei0r_instance *inst = (frei0r_instance *)instance;
    const frei0r_param *p;
    const frei0r_value *v;

    if (!inst || !param || param_index < 0 || param_index >= FX->nparams)
        return;
    p = &FX->params[param_index];
    v = &inst->values[param_index];
    switch (p->type) {
    case F0R_PARAM_BOOL:
    case F0R_PARAM_DOUBLE:
        *(double *)param = v->number;
        break;
    case F0R_PARAM_COLOR:
        *(f0r_param_color_t *)param = v->colour;
        break;
    case F0R_PARAM_STRING:
        *(const char **)param = frei0r_text(FX, inst->values, param_index);
        break;
    }
}

static frei0r_value *_frei0r_copy_values(const frei0r_value *from)
{
    frei0r_value *v = (frei0r_value *)calloc((size_t)FX->nparams, sizeof(frei0r_value));
    int i;
    if (!v)
        return NULL;
    for (i = 0; i < FX->nparams; i++) {
        v[i] = from[i];
        v[i].text = NULL;
        if (from[i].text && !(v[i].text = strdup(from[i].text))) {
            _frei0r_free_values(v);
            return NULL;
        }
    }
    return v;
}

/* (Re)starts the effect with the host's current values. */
static void _frei0r_start(frei0r_instance *inst)
{
    if (inst->started)
        FX->free();
    inst->started = 0;
    inst->dirty = 0;
    _frei0r_free_values(inst->running);
    inst->running = _frei0r_copy_values(inst->values);
    if (inst->running)
        inst->started = FX->start(inst->surface, _frei0r_on_restart, inst->running);
}

F0R_EXPORT void mirvo_f0r_update(f0r_instance_t instance, double time, const uint32_t *inframe, uint32_t *outframe)
{
    frei0r_instance *inst = (frei0r_instance *)instance;
    size_t n, i;
    (void)time;

    if (!inst || !outframe)
        return;
    n = (size_t)inst->width * inst->height;
    inst->surface->pixels = outframe;
    if (FX->plugin_type == F0R_PLUGIN_TYPE_FILTER && inframe && inframe != outframe)
        memcpy(outframe, inframe, n * 4);

    if (inst->dirty || !inst->running)
        _frei0r_start(inst);
    if (inst->started) {
        _frei0r_restart = 0;
        FX->draw();
        if (_frei0r_restart) {
            /* Finished: start over, and draw the first frame now. */
            FX->free();
            inst->started = FX->start(inst->surface, _frei0r_on_restart, inst->running);
            _frei0r_restart = 0;
            if (inst->started)
                FX->draw();
        }
    } else if (FX->plugin_type == F0R_PLUGIN_TYPE_SOURCE) {
        memset(outframe, 0, n * 4); /* not startable: black */
    }

    /* The effects write whole 32-bit pixels with a zero alpha byte: a source is opaque,
     * a filter keeps its input's alpha. */
    if (FX->plugin_type == F0R_PLUGIN_TYPE_FILTER && inframe && inframe != outframe) {
        for (i = 0; i < n; i++)
            outframe[i] = (outframe[i] & ~RGBA_A) | (inframe[i] & RGBA_A);
    } else {
        for (i = 0; i < n; i++)
            outframe[i] |= RGBA_A;
    }
}
