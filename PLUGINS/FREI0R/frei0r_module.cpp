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
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL_image.h>

#include "frei0r_effect.h"

/* The effect this module wraps. */
static const frei0r_effect *const FX = &mirvo_frei0r_effect;
/* Exported as mirvo_f0r_*: the frei0r module that a host loads (frei0r_shim.cpp) opens
 * this one with its own SDL 1.2 ahead of whatever the host has loaded. */
#define F0R_EXPORT extern "C" __attribute__((visibility("default")))

/* frei0r's RGBA8888: the bytes R, G, B, A in memory order. */
constexpr bool LITTLE_ENDIAN_HOST = SDL_BYTEORDER == SDL_LIL_ENDIAN;
constexpr Uint32 RGBA_R = LITTLE_ENDIAN_HOST ? 0x000000ffu : 0xff000000u;
constexpr Uint32 RGBA_G = LITTLE_ENDIAN_HOST ? 0x0000ff00u : 0x00ff0000u;
constexpr Uint32 RGBA_B = LITTLE_ENDIAN_HOST ? 0x00ff0000u : 0x0000ff00u;
constexpr Uint32 RGBA_A = LITTLE_ENDIAN_HOST ? 0xff000000u : 0x000000ffu;

struct frei0r_instance {
    unsigned width, height;
    size_t pitch;             /* bytes from one row of the host's frames to the next */
    SDL_Surface *surface;     /* the host's output buffer, rewrapped every update */
    frei0r_value *values;     /* as the host set them */
    frei0r_value *running;    /* the values the running effect was started with */
    bool started;             /* the effect is initialised */
    bool dirty;               /* values changed since it was started */
};

static bool frei0r_live = false;        /* an instance exists */
static bool frei0r_restart_due = false; /* the effect called its restart callback */

static void frei0r_on_restart(void)
{
    frei0r_restart_due = true;
}

Uint8 frei0r_byte(const frei0r_value *v)
{
    return Uint8(v->number);
}

Uint16 frei0r_word(const frei0r_value *v)
{
    return Uint16(v->number);
}

/* frei0r's view of a catalogue entry: texts are strings, numbers doubles; a default
 * taken from the frame is -1. */
static int frei0r_type(const mirvo_param *p)
{
    return p->type == MIRVO_PARAM_TEXT ? F0R_PARAM_STRING : F0R_PARAM_DOUBLE;
}

static double frei0r_min(const mirvo_param *p)
{
    return p->from == MIRVO_DEFAULT_FIXED ? double(p->min) : -1.0;
}

static double frei0r_default(const mirvo_param *p)
{
    return p->from == MIRVO_DEFAULT_FIXED ? strtod(p->fallback, nullptr) : -1.0;
}

static const char *frei0r_text(const frei0r_effect *fx, const frei0r_value *values, int index)
{
    const char *t = values[index].text;
    return t && *t ? t : fx->params[index].fallback;
}

static int frei0r_index(const char *name)
{
    for (int i = 0; i < FX->nparams; i++)
        if (strcmp(FX->params[i].name, name) == 0)
            return i;
    return -1;
}

/* True when the font image can be read; otherwise prints why on stderr. */
static bool frei0r_font_readable(const char *effect, const char *font)
{
    const char *looked = nullptr;
    const char *const file = MIRVO_find_data(font, &looked);
    if (!file) {
        fprintf(stderr, "%s: cannot read the font %s: not found (looked in %s)\n", effect, font,
                looked);
        return false;
    }
    SDL_Surface *const image = IMG_Load(file);
    if (!image) {
        fprintf(stderr, "%s: cannot read the font %s: %s\n", effect, font, IMG_GetError());
        return false;
    }
    SDL_FreeSurface(image);
    return true;
}

constexpr int FREI0R_MAX_PARAMS = 16;

/* Starts the effect on s with the values, in the catalogue's order and types. False
 * when it cannot start (the message is printed). */
static bool frei0r_start_effect(SDL_Surface *s, mirvo_restart_fn restart, const frei0r_value *v)
{
    union {
        Uint8 u8;
        Uint16 u16;
        const char *text;
    } data[FREI0R_MAX_PARAMS];
    mirvo_node nodes[FREI0R_MAX_PARAMS];
    const int n = FX->nparams < FREI0R_MAX_PARAMS ? FX->nparams : FREI0R_MAX_PARAMS;
    const int glyph = frei0r_index("character_height");

    for (int i = 0; i < n; i++) {
        const mirvo_param *p = &FX->params[i];
        double number = v[i].number;
        if (p->from == MIRVO_DEFAULT_SURFACE_WIDTH && number < 0) {
            number = s->w;
        } else if (p->from == MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH && number < 0) {
            number = s->h - (glyph >= 0 ? frei0r_byte(&v[glyph]) : 0);
            if (number < 0)
                number = 0;
        }
        if (p->type == MIRVO_PARAM_TEXT) {
            data[i].text = frei0r_text(FX, v, i);
            if (strcmp(p->name, "font") == 0 && !frei0r_font_readable(FX->name, data[i].text))
                return false;
        } else if (p->type == MIRVO_PARAM_U8) {
            data[i].u8 = Uint8(number);
        } else {
            data[i].u16 = Uint16(number);
        }
        nodes[i].data = &data[i];
        nodes[i].next_node = i + 1 < n ? &nodes[i + 1] : nullptr;
        nodes[i].previous_node = i > 0 ? &nodes[i - 1] : nullptr;
    }
    FX->init(s, restart, nodes);
    fflush(stdout); /* the effect's own messages, from this module's C library */
    return true;
}

/*
 * Called first in every entry point that runs the effect. The module is loaded in a
 * link-map namespace of its own (frei0r_shim.cpp), with a C library of its own whose
 * per-thread character tables are set up only for the thread that loaded it; a host
 * thread that calls in later (MLT renders in worker threads) gets them here.
 */
static void frei0r_enter(void)
{
    uselocale(LC_GLOBAL_LOCALE);
}

F0R_EXPORT int mirvo_f0r_init(void)
{
    frei0r_enter();
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

/* "glyph width in pixels, 1 to 255" and the like: the catalogue's help and range. */
static const char *frei0r_explanation(int index)
{
    static char text[FREI0R_MAX_PARAMS][200];
    const mirvo_param *const p = &FX->params[index];
    if (index >= FREI0R_MAX_PARAMS)
        return p->help;
    if (p->type == MIRVO_PARAM_TEXT)
        snprintf(text[index], sizeof text[index], "%s (empty: the default)", p->help);
    else if (p->from == MIRVO_DEFAULT_FIXED)
        snprintf(text[index], sizeof text[index], "%s, %ld to %ld", p->help, p->min, p->max);
    else
        snprintf(text[index], sizeof text[index], "%s, %ld to %ld; -1: %s", p->help, p->min,
                 p->max,
                 p->from == MIRVO_DEFAULT_SURFACE_WIDTH ? "the frame's width"
                                                        : "the frame's height less the glyph's");
    return text[index];
}

F0R_EXPORT void mirvo_f0r_get_param_info(f0r_param_info_t *info, int param_index)
{
    if (param_index < 0 || param_index >= FX->nparams)
        return;
    info->name = FX->params[param_index].name;
    info->type = frei0r_type(&FX->params[param_index]);
    info->explanation = frei0r_explanation(param_index);
}

static void frei0r_free_values(frei0r_value *v)
{
    if (!v)
        return;
    for (int i = 0; i < FX->nparams; i++)
        free(v[i].text);
    free(v);
}

/* A frame whose rows are `pitch` bytes apart (width x 4 in a frei0r frame; more in
 * ffmpeg's, see frei0r_shim.cpp). */
F0R_EXPORT f0r_instance_t mirvo_f0r_construct_pitched(unsigned int width, unsigned int height,
                                                     size_t pitch)
{
    frei0r_enter();
    if (frei0r_live) {
        fprintf(stderr, "%s: one instance at a time: the effect keeps its state in the module\n",
                FX->name);
        return nullptr;
    }
    /* SDL 1.2 surfaces are at most 16383 pixels wide, their pitch 16 bits. */
    if (width == 0 || height == 0 || width > 16383 || height > 16384 || pitch < size_t(width) * 4 ||
        pitch > 65535) {
        fprintf(stderr, "%s: cannot draw a %u x %u frame (rows %zu bytes apart): at most "
                "16383 x 16384\n", FX->name, width, height, pitch);
        return nullptr;
    }
    frei0r_instance *const inst = static_cast<frei0r_instance *>(calloc(1, sizeof(frei0r_instance)));
    if (!inst)
        return nullptr;
    inst->width = width;
    inst->height = height;
    inst->pitch = pitch;
    inst->values = static_cast<frei0r_value *>(calloc(size_t(FX->nparams), sizeof(frei0r_value)));
    inst->surface = SDL_CreateRGBSurfaceFrom(nullptr, int(width), int(height), 32, int(pitch),
                                             RGBA_R, RGBA_G, RGBA_B, 0);
    if (!inst->values || !inst->surface) {
        frei0r_free_values(inst->values);
        if (inst->surface)
            SDL_FreeSurface(inst->surface);
        free(inst);
        return nullptr;
    }
    for (int i = 0; i < FX->nparams; i++)
        if (FX->params[i].type != MIRVO_PARAM_TEXT)
            inst->values[i].number = frei0r_default(&FX->params[i]);
    frei0r_live = true;
    return inst;
}

F0R_EXPORT f0r_instance_t mirvo_f0r_construct(unsigned int width, unsigned int height)
{
    return mirvo_f0r_construct_pitched(width, height, size_t(width) * 4);
}

F0R_EXPORT void mirvo_f0r_destruct(f0r_instance_t instance)
{
    frei0r_instance *const inst = static_cast<frei0r_instance *>(instance);
    if (!inst)
        return;
    if (inst->started)
        FX->free();
    frei0r_free_values(inst->values);
    frei0r_free_values(inst->running);
    SDL_FreeSurface(inst->surface);
    free(inst);
    frei0r_live = false;
}

F0R_EXPORT void mirvo_f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    frei0r_instance *const inst = static_cast<frei0r_instance *>(instance);
    if (!inst || !param || param_index < 0 || param_index >= FX->nparams)
        return;
    const mirvo_param *const p = &FX->params[param_index];
    frei0r_value *const v = &inst->values[param_index];
    switch (frei0r_type(p)) {
    case F0R_PARAM_DOUBLE: {
        double d = std::floor(*static_cast<const double *>(param) + 0.5);
        if (!(d >= frei0r_min(p))) /* also NaN */
            d = frei0r_min(p);
        if (d > p->max)
            d = p->max;
        if (d == v->number)
            return; /* MLT sets every value again before every frame */
        v->number = d;
        break;
    }
    case F0R_PARAM_STRING: {
        const char *const s = *static_cast<char *const *>(param);
        if ((!s && !v->text) || (s && v->text && strcmp(s, v->text) == 0))
            return;
        char *const copy = s ? strdup(s) : nullptr;
        if (s && !copy)
            return;
        free(v->text);
        v->text = copy;
        break;
    }
    default:
        return;
    }
    inst->dirty = true;
}

F0R_EXPORT void mirvo_f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    const frei0r_instance *const inst = static_cast<const frei0r_instance *>(instance);
    if (!inst || !param || param_index < 0 || param_index >= FX->nparams)
        return;
    switch (frei0r_type(&FX->params[param_index])) {
    case F0R_PARAM_DOUBLE:
        *static_cast<double *>(param) = inst->values[param_index].number;
        break;
    case F0R_PARAM_STRING:
        *static_cast<const char **>(param) = frei0r_text(FX, inst->values, param_index);
        break;
    }
}

static frei0r_value *frei0r_copy_values(const frei0r_value *from)
{
    frei0r_value *const v = static_cast<frei0r_value *>(calloc(size_t(FX->nparams), sizeof(frei0r_value)));
    if (!v)
        return nullptr;
    for (int i = 0; i < FX->nparams; i++) {
        v[i] = from[i];
        v[i].text = nullptr;
        if (from[i].text && !(v[i].text = strdup(from[i].text))) {
            frei0r_free_values(v);
            return nullptr;
        }
    }
    return v;
}

/* Row y of a frame of the instance's layout. */
static uint32_t *frei0r_row(const frei0r_instance *inst, uint32_t *frame, size_t y)
{
    return reinterpret_cast<uint32_t *>(reinterpret_cast<Uint8 *>(frame) + y * inst->pitch);
}

static const uint32_t *frei0r_row(const frei0r_instance *inst, const uint32_t *frame, size_t y)
{
    return reinterpret_cast<const uint32_t *>(reinterpret_cast<const Uint8 *>(frame) + y * inst->pitch);
}

/* (Re)starts the effect with the host's current values. */
static void frei0r_start_running(frei0r_instance *inst)
{
    if (inst->started)
        FX->free();
    inst->started = false;
    inst->dirty = false;
    frei0r_free_values(inst->running);
    inst->running = frei0r_copy_values(inst->values);
    if (inst->running)
        inst->started = frei0r_start_effect(inst->surface, frei0r_on_restart, inst->running);
}

F0R_EXPORT void mirvo_f0r_update(f0r_instance_t instance, double time, const uint32_t *inframe, uint32_t *outframe)
{
    frei0r_instance *const inst = static_cast<frei0r_instance *>(instance);
    const bool filter = FX->plugin_type == F0R_PLUGIN_TYPE_FILTER && inframe && inframe != outframe;
    (void)time;

    if (!inst || !outframe)
        return;
    frei0r_enter();
    inst->surface->pixels = outframe;
    if (filter)
        for (size_t y = 0; y < inst->height; y++)
            memcpy(frei0r_row(inst, outframe, y), frei0r_row(inst, inframe, y),
                   size_t(inst->width) * 4);

    if (inst->dirty || !inst->running)
        frei0r_start_running(inst);
    if (inst->started) {
        frei0r_restart_due = false;
        FX->draw();
        if (frei0r_restart_due) {
            /* Finished: start over, and draw the first frame now. */
            FX->free();
            inst->started = frei0r_start_effect(inst->surface, frei0r_on_restart, inst->running);
            frei0r_restart_due = false;
            if (inst->started)
                FX->draw();
        }
    } else if (FX->plugin_type == F0R_PLUGIN_TYPE_SOURCE) {
        for (size_t y = 0; y < inst->height; y++) /* not startable: black */
            memset(frei0r_row(inst, outframe, y), 0, size_t(inst->width) * 4);
    }

    /* The effects write whole 32-bit pixels with a zero alpha byte: a source is opaque,
     * a filter keeps its input's alpha. */
    for (size_t y = 0; y < inst->height; y++) {
        uint32_t *const out = frei0r_row(inst, outframe, y);
        if (filter) {
            const uint32_t *const in = frei0r_row(inst, inframe, y);
            for (size_t x = 0; x < inst->width; x++)
                out[x] = (out[x] & ~RGBA_A) | (in[x] & RGBA_A);
        } else {
            for (size_t x = 0; x < inst->width; x++)
                out[x] |= RGBA_A;
        }
    }
}
