/*
 * frei0r_module.cpp - the frei0r entry points around one effect (mirvo_frei0r_effect),
 * so that frei0r hosts (ffmpeg, MLT and the editors built on it) run the effect.
 *
 * Every frei0r instance holds an instance of the effect, drawn straight into the host's
 * frame (a filter first copies its input frame there). The effect starts at the first
 * update, takes changed parameters as it runs (a keyframed number moves it frame by
 * frame; a new text or font starts its scroller again), and starts over whenever it
 * has finished, so a source loops for ever.
 *
 * The module is built against the surface layer (surfaces/), not SDL, and exports only
 * the f0r_* functions: it brings no library into the host and binds to none of the
 * host's. It never writes to the host's standard output; what goes wrong is said in one
 * line on standard error, once, and no exception leaves an f0r_* function.
 */
#include <dlfcn.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <SDL_image.h>

#include "frei0r_effect.h"
#include "internal.h"

/* The effect this module wraps. */
static const frei0r_effect *const FX = &mirvo_frei0r_effect;
#define F0R_EXPORT extern "C" __attribute__((visibility("default")))

/* frei0r's RGBA8888: the bytes R, G, B, A in memory order. */
constexpr bool LITTLE_ENDIAN_HOST = SDL_BYTEORDER == SDL_LIL_ENDIAN;
constexpr Uint32 RGBA_R = LITTLE_ENDIAN_HOST ? 0x000000ffu : 0xff000000u;
constexpr Uint32 RGBA_G = LITTLE_ENDIAN_HOST ? 0x0000ff00u : 0x00ff0000u;
constexpr Uint32 RGBA_B = LITTLE_ENDIAN_HOST ? 0x00ff0000u : 0x0000ff00u;
constexpr Uint32 RGBA_A = LITTLE_ENDIAN_HOST ? 0xff000000u : 0x000000ffu;

constexpr int FREI0R_MAX_PARAMS = 16;
constexpr unsigned MAX_FRAME_WIDTH = 16383; /* the effects' coordinates: SDL 1.2's surfaces */
constexpr unsigned MAX_FRAME_HEIGHT = 16384;
constexpr size_t WHY_BYTES = 300;

/* A parameter's value as the host set it. */
struct frei0r_value {
    double number; /* numbers; -1 for a default taken from the frame */
    char *text;    /* owned copy; null or empty: the default */
};

/* A parameter as handed to the effect: the number resolved, or the text. */
union frei0r_data {
    Uint8 u8;
    Uint16 u16;
    const char *text;
};

struct frei0r_instance {
    unsigned width, height;
    size_t pitch;         /* bytes from one row of the host's frames to the next */
    SDL_Surface *surface; /* over the host's output frame, rewrapped every update */
    frei0r_value values[FREI0R_MAX_PARAMS]; /* as the host set them */
    bool changed;                           /* a value changed since they were handed over */
    mirvo_instance *fx;                     /* the running effect; null: not running */
    bool failed;      /* it could not start with these values: wait for a change */
    bool restart_due; /* it called its restart callback */
    frei0r_data given[FREI0R_MAX_PARAMS]; /* what the effect runs with */
    char *given_text[FREI0R_MAX_PARAMS];  /* owned copies of the texts it points at */
};

/* The effect's instance entry points share the scroller table and the data-file lookup of
 * the module; hosts such as MLT update instances from several threads. */
static std::mutex frei0r_lock;

/* One line on stderr, prefixed with the effect's name. */
__attribute__((format(printf, 1, 2))) static void frei0r_say(const char *format, ...)
{
    char line[1024];
    va_list ap;
    va_start(ap, format);
    vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    fprintf(stderr, "%s: %s\n", FX->name, line);
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

static const char *frei0r_text(const frei0r_instance *inst, int index)
{
    const char *t = inst->values[index].text;
    return t && *t ? t : FX->params[index].fallback;
}

static int frei0r_index(const char *name)
{
    for (int i = 0; i < FX->nparams; i++)
        if (strcmp(FX->params[i].name, name) == 0)
            return i;
    return -1;
}

/* The effect's value of parameter i for this frame size: a number within its type, or
 * the text. */
static frei0r_data frei0r_resolve(const frei0r_instance *inst, int i)
{
    const mirvo_param *p = &FX->params[i];
    frei0r_data d;
    if (p->type == MIRVO_PARAM_TEXT) {
        d.text = frei0r_text(inst, i);
        return d;
    }
    double number = inst->values[i].number;
    if (p->from == MIRVO_DEFAULT_SURFACE_WIDTH && number < 0) {
        number = inst->width;
    } else if (p->from == MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH && number < 0) {
        const int glyph = frei0r_index("character_height");
        number = double(inst->height) - (glyph >= 0 ? inst->values[glyph].number : 0);
        if (number < 0)
            number = 0;
    }
    if (p->type == MIRVO_PARAM_U8)
        d.u8 = Uint8(number);
    else
        d.u16 = Uint16(number);
    return d;
}

static bool frei0r_same(const mirvo_param *p, frei0r_data a, frei0r_data b)
{
    switch (p->type) {
    case MIRVO_PARAM_TEXT:
        return strcmp(a.text, b.text) == 0;
    case MIRVO_PARAM_U8:
        return a.u8 == b.u8;
    default:
        return a.u16 == b.u16;
    }
}

/* True when the font image can be read; otherwise says why. */
static bool frei0r_font_readable(const char *font)
{
    const char *looked = nullptr;
    const char *const file = MIRVO_find_data(font, &looked);
    if (!file) {
        frei0r_say("cannot read the font %s: not found (looked in %s)",
                   mirvo_printable(font, MESSAGE_TEXT_BYTES).c_str(),
                   mirvo_printable(looked, 3 * MESSAGE_TEXT_BYTES).c_str());
        return false;
    }
    SDL_Surface *const image = IMG_Load(file);
    if (!image) {
        frei0r_say("cannot read the font %s: %s", mirvo_printable(font, MESSAGE_TEXT_BYTES).c_str(),
                   IMG_GetError());
        return false;
    }
    SDL_FreeSurface(image);
    return true;
}

/* Keeps the effect's copy of text parameter i; the copy it had before is returned for
 * freeing once the effect has moved on. */
static char *frei0r_give_text(frei0r_instance *inst, int i, const char *text, bool &ok)
{
    char *const old = inst->given_text[i];
    char *const copy = strdup(text);
    ok = copy != nullptr;
    if (ok) {
        inst->given_text[i] = copy;
        inst->given[i].text = copy;
        return old;
    }
    return nullptr;
}

static void frei0r_on_restart(void *host_data)
{
    static_cast<frei0r_instance *>(host_data)->restart_due = true;
}

/* Starts the effect with the values handed over last (under the lock). */
static void frei0r_make(frei0r_instance *inst)
{
    mirvo_node nodes[FREI0R_MAX_PARAMS];
    for (int i = 0; i < FX->nparams; i++) {
        nodes[i].data = FX->params[i].type == MIRVO_PARAM_TEXT
                            ? static_cast<const void *>(&inst->given[i].text)
                            : &inst->given[i];
        nodes[i].next_node = i + 1 < FX->nparams ? &nodes[i + 1] : nullptr;
        nodes[i].previous_node = i > 0 ? &nodes[i - 1] : nullptr;
    }
    char why[WHY_BYTES] = "";
    inst->fx = FX->make(inst->surface, frei0r_on_restart, inst, nodes, why, sizeof why);
    if (!inst->fx) {
        frei0r_say("cannot start: %s", why);
        inst->failed = true;
    }
}

/* Hands the host's values to the effect: starts it, or changes what changed (under the
 * lock). */
static void frei0r_apply(frei0r_instance *inst)
{
    inst->changed = false;
    inst->failed = false;
    for (int i = 0; i < FX->nparams; i++) {
        const mirvo_param *p = &FX->params[i];
        const frei0r_data want = frei0r_resolve(inst, i);
        const bool running = inst->fx != nullptr;
        if (running && frei0r_same(p, want, inst->given[i]))
            continue;
        if (p->type == MIRVO_PARAM_TEXT && strcmp(p->name, "font") == 0 &&
            !frei0r_font_readable(want.text)) {
            FX->free(inst->fx);
            inst->fx = nullptr;
            inst->failed = true;
            return;
        }
        char *old = nullptr;
        if (p->type == MIRVO_PARAM_TEXT) {
            bool ok = true;
            old = frei0r_give_text(inst, i, want.text, ok);
            if (!ok) {
                frei0r_say("out of memory for the %s", p->name);
                FX->free(inst->fx);
                inst->fx = nullptr;
                inst->failed = true;
                return;
            }
        } else {
            inst->given[i] = want;
        }
        if (running) {
            char why[WHY_BYTES] = "";
            const void *value = p->type == MIRVO_PARAM_TEXT
                                    ? static_cast<const void *>(&inst->given[i].text)
                                    : &inst->given[i];
            if (!FX->set(inst->fx, i, value, why, sizeof why)) {
                frei0r_say("cannot start again with the new %s: %s", p->name, why);
                FX->free(inst->fx);
                inst->fx = nullptr;
                inst->failed = true;
            }
        }
        free(old); /* the effect has let go of it */
        if (inst->failed)
            return;
    }
    if (!inst->fx)
        frei0r_make(inst);
}

/* The support library's list walk, which the effects read their parameters with. */
extern "C" const void *MIRVO_LIST_get_data_next(MIRVO_NODE **cursor)
{
    const void *data = (*cursor)->data;
    *cursor = (*cursor)->next_node;
    return data;
}

F0R_EXPORT int f0r_init(void)
{
    return 1;
}

F0R_EXPORT void f0r_deinit(void) { }

F0R_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t *info)
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
    if (p->type == MIRVO_PARAM_TEXT)
        snprintf(text[index], sizeof text[index], "%s (empty: the default)", p->help);
    else if (p->from == MIRVO_DEFAULT_FIXED)
        snprintf(text[index], sizeof text[index], "%s, %ld to %ld", p->help, p->min, p->max);
    else
        snprintf(text[index], sizeof text[index], "%s, %ld to %ld; -1: %s", p->help, p->min, p->max,
                 p->from == MIRVO_DEFAULT_SURFACE_WIDTH ? "the frame's width"
                                                        : "the frame's height less the glyph's");
    return text[index];
}

F0R_EXPORT void f0r_get_param_info(f0r_param_info_t *info, int param_index)
{
    if (param_index < 0 || param_index >= FX->nparams)
        return;
    info->name = FX->params[param_index].name;
    info->type = frei0r_type(&FX->params[param_index]);
    info->explanation = frei0r_explanation(param_index);
}

/*
 * The bytes from one row of the host's frames to the next, chosen here and only here.
 * frei0r defines a frame's rows as width x 4 bytes apart, and so hand them over MLT
 * (melt, Kdenlive, Shotcut) at any size and ffmpeg 7 (libavfilter 10: measured at widths
 * 333, 628, 636, 854, 1366 and 2100). ffmpeg 5 (libavfilter 8) hands over its own frames
 * instead, whose rows are padded to av_cpu_max_align() bytes (64 with AVX-512): measured,
 * and drawn so. libavfilter 9 (ffmpeg 6) is taken to do as 8 did (not measured). Which
 * host it is, the library that calls f0r_construct tells.
 */
static size_t frei0r_host_pitch(unsigned width, const void *caller)
{
    const size_t row = size_t(width) * 4;
    Dl_info where;
    if (!dladdr(caller, &where) || !where.dli_fname || !strstr(where.dli_fname, "libavfilter"))
        return row;
    void *const avfilter = dlopen(where.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    using version_fn = unsigned (*)(void);
    using align_fn = size_t (*)(void);
    const version_fn avfilter_version =
        avfilter ? reinterpret_cast<version_fn>(dlsym(avfilter, "avfilter_version")) : nullptr;
    const align_fn av_cpu_max_align =
        avfilter ? reinterpret_cast<align_fn>(dlsym(avfilter, "av_cpu_max_align")) : nullptr;
    const unsigned major = avfilter_version ? avfilter_version() >> 16 : 0;
    size_t align = major && major < 10 && av_cpu_max_align ? av_cpu_max_align() : 0;
    if (avfilter)
        dlclose(avfilter);
    if (align < 4 || (align & (align - 1)) != 0)
        return row;
    return (row + align - 1) & ~(align - 1);
}

static void frei0r_free_instance(frei0r_instance *inst)
{
    for (int i = 0; i < FX->nparams; i++) {
        free(inst->values[i].text);
        free(inst->given_text[i]);
    }
    SDL_FreeSurface(inst->surface);
    free(inst);
}

static f0r_instance_t frei0r_construct(unsigned int width, unsigned int height, const void *caller)
{
    if (FX->nparams > FREI0R_MAX_PARAMS)
        return nullptr;
    if (width == 0 || height == 0 || width > MAX_FRAME_WIDTH || height > MAX_FRAME_HEIGHT) {
        frei0r_say("cannot draw a %u x %u frame: at most %u x %u (the effects' surfaces)", width,
                   height, MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT);
        return nullptr;
    }
    const size_t pitch = frei0r_host_pitch(width, caller);
    frei0r_instance *const inst =
        static_cast<frei0r_instance *>(calloc(1, sizeof(frei0r_instance)));
    if (!inst)
        return nullptr;
    inst->width = width;
    inst->height = height;
    inst->pitch = pitch;
    inst->surface = SDL_CreateRGBSurfaceFrom(nullptr, int(width), int(height), 32, int(pitch),
                                             RGBA_R, RGBA_G, RGBA_B, 0);
    if (!inst->surface) {
        frei0r_free_instance(inst);
        return nullptr;
    }
    /* The effects write whole 32-bit pixels with a zero alpha byte: the surface layer
     * keeps a filter's input alpha in every pixel written, and makes a source's opaque
     * (a source clears the whole frame every frame). */
    if (FX->plugin_type == F0R_PLUGIN_TYPE_FILTER)
        inst->surface->keep_bits = RGBA_A;
    else
        inst->surface->force_bits = RGBA_A;
    for (int i = 0; i < FX->nparams; i++)
        if (FX->params[i].type != MIRVO_PARAM_TEXT)
            inst->values[i].number = frei0r_default(&FX->params[i]);
    inst->changed = true;
    return inst;
}

F0R_EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height)
{
    try {
        return frei0r_construct(width, height, __builtin_return_address(0));
    } catch (...) {
        frei0r_say("cannot make an instance: out of memory");
        return nullptr;
    }
}

F0R_EXPORT void f0r_destruct(f0r_instance_t instance)
{
    frei0r_instance *const inst = static_cast<frei0r_instance *>(instance);
    if (!inst)
        return;
    try {
        std::lock_guard<std::mutex> hold(frei0r_lock);
        FX->free(inst->fx);
    } catch (...) {
        frei0r_say("cannot free the effect");
    }
    frei0r_free_instance(inst);
}

F0R_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
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
    inst->changed = true;
}

F0R_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    const frei0r_instance *const inst = static_cast<const frei0r_instance *>(instance);
    if (!inst || !param || param_index < 0 || param_index >= FX->nparams)
        return;
    switch (frei0r_type(&FX->params[param_index])) {
    case F0R_PARAM_DOUBLE:
        *static_cast<double *>(param) = inst->values[param_index].number;
        break;
    case F0R_PARAM_STRING:
        *static_cast<const char **>(param) = frei0r_text(inst, param_index);
        break;
    }
}

/* Row y of a frame of the instance's layout. */
static inline uint32_t *frei0r_row(uint32_t *frame, size_t pitch, size_t y)
{
    return reinterpret_cast<uint32_t *>(reinterpret_cast<Uint8 *>(frame) + y * pitch);
}

static inline const uint32_t *frei0r_row(const uint32_t *frame, size_t pitch, size_t y)
{
    return reinterpret_cast<const uint32_t *>(reinterpret_cast<const Uint8 *>(frame) + y * pitch);
}

static void frei0r_update(f0r_instance_t instance, const uint32_t *inframe, uint32_t *outframe)
{
    frei0r_instance *const inst = static_cast<frei0r_instance *>(instance);
    if (!inst || !outframe)
        return;
    const bool filter = FX->plugin_type == F0R_PLUGIN_TYPE_FILTER && inframe;
    /* Kept in locals: the copy below writes through pointers that could alias *inst. */
    const size_t width = inst->width, height = inst->height, pitch = inst->pitch;

    inst->surface->pixels = outframe;
    if (filter && inframe != outframe) {
        if (pitch == width * 4)
            memcpy(outframe, inframe, pitch * height);
        else
            for (size_t y = 0; y < height; y++)
                memcpy(frei0r_row(outframe, pitch, y), frei0r_row(inframe, pitch, y), width * 4);
    }

    if (inst->changed) {
        std::lock_guard<std::mutex> hold(frei0r_lock);
        frei0r_apply(inst);
    }
    if (inst->fx) {
        inst->restart_due = false;
        FX->draw(inst->fx);
        if (inst->restart_due) {
            /* Finished: start over, and draw the first frame now. */
            {
                std::lock_guard<std::mutex> hold(frei0r_lock);
                FX->free(inst->fx);
                inst->fx = nullptr;
                frei0r_make(inst);
            }
            inst->restart_due = false;
            if (inst->fx)
                FX->draw(inst->fx);
        }
    }
    if (!inst->fx && !filter)
        SDL_FillRect(inst->surface, nullptr, 0); /* not startable: opaque black */
}

F0R_EXPORT void f0r_update(f0r_instance_t instance, double time, const uint32_t *inframe,
                           uint32_t *outframe)
{
    (void)time;
    try {
        frei0r_update(instance, inframe, outframe);
    } catch (...) {
        frei0r_say("cannot draw: out of memory");
    }
}
