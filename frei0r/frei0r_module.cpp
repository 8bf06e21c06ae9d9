/*
 * frei0r_module.cpp - the frei0r entry points around the one effect linked with it (its
 * descriptor, mirvo_effect_describe), so that frei0r hosts (ffmpeg, MLT and the editors
 * built on it) run the effect. The SDK installs this file; mirvo_add_frei0r_module (CMake)
 * or the commands of docs/sdk.md build it with an effect's sources into a frei0r module.
 *
 * Every frei0r instance holds an instance of the effect, drawn straight into the host's
 * frame (a filter first copies its input frame there), or at a scale above 1 into a smaller
 * picture of its own that is then enlarged into the frame. The effect starts at the first
 * update and takes changed parameters as they come (a keyframed number moves it frame by
 * frame). The host's time picks the frame: the effect's clock runs at 50 steps a second,
 * so the frame at time t is the effect's step round(t x 50) whatever was drawn before
 * (an editor's frames in any order, a zone, one instance per rendering thread), its
 * motion runs at the same speed at any frame rate, and at 50 frames a second the frames
 * are the player's. A finished effect loops: the frame of its step modulo its length.
 * An effect that cannot draw a given step (no draw_step) draws its next frame on every
 * update, starting over whenever it has finished. Parameters follow frei0r's conventions
 * (numbers from 0 to 1 over their range, colours, on/off, strings), built from the
 * effect's catalogue; docs/frei0r.md gives the mapping. Only the effects drawn most
 * recently keep running, so a host may make any number of instances and never free them.
 *
 * The module is built against the surface layer (surfaces/), not SDL, and exports only
 * the f0r_* functions: it brings no library into the host and binds to none of the
 * host's. It never writes to the host's standard output; what goes wrong is said in one
 * line on standard error, once, and no exception leaves an f0r_* function. No lock is held
 * while a file is read: instances share only the scroller table, which guards itself, so
 * one instance waiting on its font never holds up another.
 */
#include <dlfcn.h>

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" {
#include <frei0r.h>
}

#include <SDL_image.h>

#include "mirvo.h"
#include "mirvo_effect.h"

/* The effect this module wraps, linked with it. */
extern "C" const mirvo_effect_descriptor *mirvo_effect_describe(void);
static const mirvo_effect_descriptor *const FX = mirvo_effect_describe();
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
constexpr size_t SHOWN_TEXT_BYTES = 200; /* of a font name repeated in a message */
/* The effects kept running at once, those drawn most recently: well below the support
 * library's 255 scrollers, which would otherwise cap the instances of a host that never
 * frees them (MLT 7.12 keeps every frei0r source it has made). */
constexpr int RUNNING_EFFECTS = 64;
/* The scale setting: each of the effect's pixels drawn as a square of 1 to this many. */
constexpr int MAX_SCALE = 8;

/* A catalogue entry's value as the host set it. */
struct frei0r_value {
    double number; /* frei0r's 0 to 1 (a colour's component, an on/off as 0 or 1) */
    char *text;    /* owned copy; null or empty: the default */
};

/* A parameter as handed to the effect: the number resolved within its type, or the text. */
using frei0r_data = mirvo_value;

struct frei0r_instance {
    unsigned width, height;
    size_t pitch;         /* bytes from one row of the host's frames to the next */
    SDL_Surface *surface; /* over the host's output frame, rewrapped every update */
    frei0r_value values[FREI0R_MAX_PARAMS]; /* by catalogue entry, as the host set them */
    bool changed;                           /* a value changed since they were handed over */
    mirvo_instance *fx;                     /* the running effect; null: not running */
    bool failed;      /* it could not start with these values: wait for a change */
    bool restart_due; /* it called its restart callback */
    frei0r_data given[FREI0R_MAX_PARAMS]; /* what the effect runs with */
    char *given_text[FREI0R_MAX_PARAMS];  /* owned copies of the texts it points at */
    double seconds_per_time_unit;         /* of the host's time: 1, or 0.001 from ffmpeg */
    bool unit_unsure;                     /* ffmpeg: milliseconds until a time says seconds */
    long next_step;                       /* the step after the one drawn last */
    double scale;                         /* the scale setting as the host set it, 0 to 1 */
    int scale_tried;                      /* the scale the effect's picture was last made for */
    SDL_Surface *scaled; /* above scale 1: the effect's own picture, 1/scale of the frame */
    unsigned fx_width, fx_height; /* the effect's picture: the frame's, or the scaled one */
    std::mutex busy;              /* held while the instance draws, and to let go of its effect */
    bool held;                    /* among the running effects */
    unsigned long drawn;          /* the running effects' clock at its last frame */
};

/* The instances whose effects run, to let go of the one drawn longest ago when one more
 * starts: its instance keeps its parameters, and makes its effect again if it draws again.
 * The lock is taken after an instance's own `busy`, and another's only by try_lock. */
static struct {
    std::mutex lock;
    frei0r_instance *held[RUNNING_EFFECTS];
    int count;
    unsigned long clock;
} running;

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

/*
 * frei0r's view of the catalogue, by frei0r's conventions: every number a double from 0 to
 * 1 spread evenly over the entry's range, the three components of a colour one
 * F0R_PARAM_COLOR, a choice of two values an F0R_PARAM_BOOL, texts and files strings.
 * docs/frei0r.md lists the result for each effect.
 */
struct frei0r_param {
    int type;                /* F0R_PARAM_* */
    int entry;               /* its catalogue entry; a colour's red */
    std::string name;        /* a colour: its red's name with "red" made "colour" */
    std::string explanation; /* the help, with what 0 and 1 stand for */
};

static bool frei0r_is_colour(int i)
{
    const mirvo_param *const p = &FX->params[i];
    return p->control == MIRVO_CONTROL_COLOUR_RED && i + 2 < FX->nparams &&
           p[1].control == MIRVO_CONTROL_COLOUR_GREEN &&
           p[2].control == MIRVO_CONTROL_COLOUR_BLUE && p[0].type != MIRVO_PARAM_TEXT &&
           p[1].type != MIRVO_PARAM_TEXT && p[2].type != MIRVO_PARAM_TEXT;
}

static bool frei0r_is_on_off(const mirvo_param *p)
{
    return p->control == MIRVO_CONTROL_CHOICE && p->nchoices == 2 && p->choices &&
           p->type != MIRVO_PARAM_TEXT;
}

/* An on/off's value for "on" (the larger of its two) and for "off". */
static const mirvo_choice &frei0r_on(const mirvo_param *p)
{
    return p->choices[0].value > p->choices[1].value ? p->choices[0] : p->choices[1];
}

static const mirvo_choice &frei0r_off(const mirvo_param *p)
{
    return &frei0r_on(p) == &p->choices[0] ? p->choices[1] : p->choices[0];
}

static std::string frei0r_explanation(const mirvo_param *p, int type)
{
    char text[600];
    if (type == F0R_PARAM_STRING)
        snprintf(text, sizeof text, "%s (empty: the default)", p->help);
    else if (type == F0R_PARAM_BOOL)
        snprintf(text, sizeof text, "%s: on %s, off %s", p->label, frei0r_on(p).label,
                 frei0r_off(p).label);
    else if (type == F0R_PARAM_COLOR)
        snprintf(text, sizeof text, "%s: red, green and blue, 0 to 1 for %ld to %ld each", p->label,
                 p->min, p->max);
    else if (p->from == MIRVO_DEFAULT_SURFACE_WIDTH)
        snprintf(text, sizeof text, "%s: 0 to 1 for 0 to the frame's width%s%s (default 1)",
                 p->help, p->unit ? " in " : "", p->unit ? p->unit : "");
    else if (p->from == MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH)
        snprintf(text, sizeof text,
                 "%s: 0 to 1 for 0 to the frame's height less the glyph's%s%s (default 1)", p->help,
                 p->unit ? " in " : "", p->unit ? p->unit : "");
    else
        snprintf(text, sizeof text, "%s: 0 to 1 for %ld to %ld%s%s (default %s)", p->help, p->min,
                 p->max, p->unit ? " " : "", p->unit ? p->unit : "", p->fallback);
    return text;
}

/* The frei0r parameters, written once (the first caller's thread writes them while any
 * other waits), then only read: frei0r hosts may ask from several threads at once. */
static const std::vector<frei0r_param> &frei0r_params()
{
    static const std::vector<frei0r_param> all = [] {
        std::vector<frei0r_param> out;
        for (int i = 0; i < FX->nparams; i++) {
            const mirvo_param *const p = &FX->params[i];
            frei0r_param f{F0R_PARAM_DOUBLE, i, p->name, ""};
            if (p->type == MIRVO_PARAM_TEXT) {
                f.type = F0R_PARAM_STRING;
            } else if (frei0r_is_colour(i)) {
                f.type = F0R_PARAM_COLOR;
                const size_t red = f.name.size() >= 3 ? f.name.size() - 3 : 0;
                f.name = f.name.compare(red, 3, "red") == 0 ? f.name.substr(0, red) + "colour"
                                                            : f.name + "_colour";
                i += 2;
            } else if (frei0r_is_on_off(p)) {
                f.type = F0R_PARAM_BOOL;
            }
            f.explanation = frei0r_explanation(p, f.type);
            out.push_back(f);
        }
        char scale[200];
        snprintf(scale, sizeof scale,
                 "each of the effect's pixels as a square of whole pixels, to fill a larger "
                 "frame: 0 to 1 for 1 to %d (default 0: 1, as the player draws)",
                 MAX_SCALE);
        out.push_back({F0R_PARAM_DOUBLE, -1, "scale", scale});
        return out;
    }();
    return all;
}

/* Catalogue entry p's default in frei0r's 0 to 1: a default taken from the frame is 1,
 * the whole of it. */
static double frei0r_default(const mirvo_param *p)
{
    if (p->from != MIRVO_DEFAULT_FIXED)
        return 1.0;
    const long fallback = strtol(p->fallback, nullptr, 10);
    if (frei0r_is_on_off(p))
        return fallback == frei0r_on(p).value ? 1.0 : 0.0;
    return p->max > p->min ? double(fallback - p->min) / double(p->max - p->min) : 0.0;
}

/* frei0r's 0 to 1, with anything else (and NaN) brought inside. */
static double frei0r_unit(double x)
{
    return x >= 0 ? (x <= 1 ? x : 1.0) : 0.0;
}

/* x of 0 to 1 over 0 to span, rounded to the nearest whole number (halves up). */
static long frei0r_spread(double x, double span)
{
    return long(std::floor(frei0r_unit(x) * span + 0.5));
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

/* The effect's number for catalogue entry i at this frame size, from the host's 0 to 1. */
static long frei0r_number(const frei0r_instance *inst, int i)
{
    const mirvo_param *const p = &FX->params[i];
    const double x = inst->values[i].number;
    long number;
    if (frei0r_is_on_off(p)) {
        number = x >= 0.5 ? frei0r_on(p).value : frei0r_off(p).value;
    } else if (p->from == MIRVO_DEFAULT_SURFACE_WIDTH) {
        number = frei0r_spread(x, inst->fx_width);
    } else if (p->from == MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH) {
        const int glyph = frei0r_index("character_height");
        const long room = long(inst->fx_height) - (glyph >= 0 ? frei0r_number(inst, glyph) : 0);
        number = frei0r_spread(x, double(room > 0 ? room : 0));
    } else {
        number = p->min + frei0r_spread(x, double(p->max - p->min));
    }
    return number < p->min ? p->min : number > p->max ? p->max : number;
}

/* The effect's value of parameter i for this frame size: a number within its type, or
 * the text. */
static frei0r_data frei0r_resolve(const frei0r_instance *inst, int i)
{
    frei0r_data d;
    if (FX->params[i].type == MIRVO_PARAM_TEXT)
        d.text = frei0r_text(inst, i);
    else
        d.number = frei0r_number(inst, i);
    return d;
}

static bool frei0r_same(const mirvo_param *p, frei0r_data a, frei0r_data b)
{
    return p->type == MIRVO_PARAM_TEXT ? strcmp(a.text, b.text) == 0 : a.number == b.number;
}

/* A text a message repeats, fit for one line: control bytes as \xNN, cut with "...". */
static std::string frei0r_printable(const char *text, size_t max_bytes)
{
    std::string out;
    for (const char *p = text ? text : "(none)"; *p; ++p) {
        if (out.size() >= max_bytes)
            return out + "...";
        const unsigned char c = static_cast<unsigned char>(*p);
        char escaped[8];
        snprintf(escaped, sizeof escaped, "\\x%02x", c);
        out += c < 0x20 || c == 0x7f ? std::string(escaped) : std::string(1, char(c));
    }
    return out;
}

/* True when the font image can be read; otherwise says why. Only a regular file is
 * opened: a FIFO or a device could block or never end. */
static bool frei0r_font_readable(const char *font)
{
    const char *looked = nullptr;
    const char *const file = MIRVO_find_data(font, &looked);
    const std::string shown = frei0r_printable(font, SHOWN_TEXT_BYTES);
    if (!file) {
        frei0r_say("cannot read the font %s: not found (looked in %s)", shown.c_str(),
                   frei0r_printable(looked, 3 * SHOWN_TEXT_BYTES).c_str());
        return false;
    }
    struct stat st;
    if (stat(file, &st) != 0 || !S_ISREG(st.st_mode)) {
        frei0r_say("cannot read the font %s: not a regular file", shown.c_str());
        return false;
    }
    SDL_Surface *const image = IMG_Load(file);
    if (!image) {
        frei0r_say("cannot read the font %s: %s", shown.c_str(), IMG_GetError());
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

/* Takes inst off the running effects; the caller holds running.lock. */
static void frei0r_unlist(frei0r_instance *inst)
{
    for (int k = 0; k < running.count; k++)
        if (running.held[k] == inst) {
            running.held[k] = running.held[--running.count];
            inst->held = false;
            return;
        }
}

/* Makes room among the running effects for one more: lets go of the effect drawn longest
 * ago that is not drawing now. False when every one is drawing. */
static bool frei0r_make_room(const frei0r_instance *keep)
{
    std::lock_guard<std::mutex> hold(running.lock);
    while (running.count >= RUNNING_EFFECTS) {
        frei0r_instance *oldest = nullptr;
        for (int k = 0; k < running.count; k++) {
            frei0r_instance *const other = running.held[k];
            if (other == keep || (oldest && other->drawn >= oldest->drawn) ||
                !other->busy.try_lock())
                continue;
            if (oldest)
                oldest->busy.unlock();
            oldest = other;
        }
        if (!oldest)
            return false;
        frei0r_unlist(oldest);
        FX->free(oldest->fx);
        oldest->fx = nullptr;
        oldest->busy.unlock();
    }
    return true;
}

/* Counts inst's effect among the running ones. */
static void frei0r_list(frei0r_instance *inst)
{
    std::lock_guard<std::mutex> hold(running.lock);
    inst->drawn = ++running.clock;
    if (!inst->held && running.count < RUNNING_EFFECTS) {
        running.held[running.count++] = inst;
        inst->held = true;
    }
}

/* Lets go of inst's effect. */
static void frei0r_drop(frei0r_instance *inst)
{
    if (inst->held) {
        std::lock_guard<std::mutex> hold(running.lock);
        frei0r_unlist(inst);
    }
    FX->free(inst->fx);
    inst->fx = nullptr;
}

/* Starts the effect with the values handed over last. */
static void frei0r_make(frei0r_instance *inst)
{
    char why[WHY_BYTES] = "";
    frei0r_make_room(inst);
    inst->fx = FX->make(inst->scaled ? inst->scaled : inst->surface, frei0r_on_restart, inst,
                        inst->given, FX->nparams, why, sizeof why);
    if (!inst->fx) {
        frei0r_say("cannot start: %s", why);
        inst->failed = true;
        return;
    }
    frei0r_list(inst);
}

/* Hands the host's values to the effect: starts it, or changes what changed. */
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
        if (p->type == MIRVO_PARAM_TEXT && p->control == MIRVO_CONTROL_FILE &&
            strcmp(p->name, "font") == 0 && !frei0r_font_readable(want.text)) {
            frei0r_drop(inst);
            inst->failed = true;
            return;
        }
        char *old = nullptr;
        if (p->type == MIRVO_PARAM_TEXT) {
            bool ok = true;
            old = frei0r_give_text(inst, i, want.text, ok);
            if (!ok) {
                frei0r_say("out of memory for the %s", p->name);
                frei0r_drop(inst);
                inst->failed = true;
                return;
            }
        } else {
            inst->given[i] = want;
        }
        if (running) {
            char why[WHY_BYTES] = "";
            if (!FX->set(inst->fx, i, inst->given[i], why, sizeof why)) {
                frei0r_say("cannot start again with the new %s: %s", p->name, why);
                frei0r_drop(inst);
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
    info->plugin_type = FX->filter ? F0R_PLUGIN_TYPE_FILTER : F0R_PLUGIN_TYPE_SOURCE;
    info->color_model = F0R_COLOR_MODEL_RGBA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    /* The effect's version, "1.2": major 1, minor 2. */
    char *minor = nullptr;
    info->major_version = FX->version ? int(strtol(FX->version, &minor, 10)) : 0;
    info->minor_version = minor && *minor == '.' ? int(strtol(minor + 1, nullptr, 10)) : 0;
    try {
        info->num_params = int(frei0r_params().size());
    } catch (...) { /* out of memory: none to show */
        info->num_params = 0;
    }
    info->explanation = FX->description;
}

/* frei0r parameter `index`, or null. */
static const frei0r_param *frei0r_param_at(int index)
{
    try {
        const std::vector<frei0r_param> &all = frei0r_params();
        return index >= 0 && size_t(index) < all.size() ? &all[size_t(index)] : nullptr;
    } catch (...) {
        return nullptr;
    }
}

F0R_EXPORT void f0r_get_param_info(f0r_param_info_t *info, int param_index)
{
    const frei0r_param *const f = frei0r_param_at(param_index);
    if (!info || !f)
        return;
    info->name = f->name.c_str();
    info->type = f->type;
    info->explanation = f->explanation.c_str();
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

/* The seconds in one unit of the time the host passes to f0r_update. frei0r's time is in
 * seconds, and so MLT passes it; ffmpeg's frei0r source passes milliseconds, and so does
 * its filter in ffmpeg 5 while later ones pass seconds: for ffmpeg the first time above 0
 * decides (a frame's milliseconds are whole numbers, its seconds below 1 at any rate above
 * one frame a second). */
static double frei0r_host_time_unit(const void *caller)
{
    Dl_info where;
    const bool ffmpeg =
        dladdr(caller, &where) && where.dli_fname && strstr(where.dli_fname, "libavfilter");
    return ffmpeg ? 0.001 : 1.0;
}

static void frei0r_free_instance(frei0r_instance *inst)
{
    for (int i = 0; i < FX->nparams; i++) {
        free(inst->values[i].text);
        free(inst->given_text[i]);
    }
    SDL_FreeSurface(inst->surface);
    SDL_FreeSurface(inst->scaled);
    delete inst;
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
    frei0r_instance *const inst = new (std::nothrow) frei0r_instance();
    if (!inst)
        return nullptr;
    inst->width = inst->fx_width = width;
    inst->height = inst->fx_height = height;
    inst->scale_tried = 1;
    inst->pitch = pitch;
    inst->seconds_per_time_unit = frei0r_host_time_unit(caller);
    inst->unit_unsure = inst->seconds_per_time_unit != 1.0;
    inst->surface = SDL_CreateRGBSurfaceFrom(nullptr, int(width), int(height), 32, int(pitch),
                                             RGBA_R, RGBA_G, RGBA_B, 0);
    if (!inst->surface) {
        frei0r_free_instance(inst);
        return nullptr;
    }
    /* The effects write whole 32-bit pixels with a zero alpha byte: the surface layer
     * makes every pixel written opaque, as the player shows it (a source clears the whole
     * frame every frame; a filter's drawing covers its input, which shows through
     * everywhere else with its own alpha). */
    inst->surface->force_bits = RGBA_A;
    for (int i = 0; i < FX->nparams; i++)
        if (FX->params[i].type != MIRVO_PARAM_TEXT)
            inst->values[i].number = frei0r_default(&FX->params[i]);
    frei0r_params(); /* made now, while a failure can still refuse the instance */
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
        std::lock_guard<std::mutex> hold(inst->busy); /* not while it is let go of */
        frei0r_drop(inst);
    } catch (...) {
        frei0r_say("cannot free the effect");
    }
    frei0r_free_instance(inst);
}

/* Sets catalogue entry i's number; true when it changed. */
static bool frei0r_set_number(frei0r_instance *inst, int i, double x)
{
    x = frei0r_unit(x);
    if (x == inst->values[i].number)
        return false; /* MLT sets every value again before every frame */
    inst->values[i].number = x;
    return true;
}

F0R_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    frei0r_instance *const inst = static_cast<frei0r_instance *>(instance);
    const frei0r_param *const f = frei0r_param_at(param_index);
    if (!inst || !param || !f)
        return;
    const int i = f->entry;
    std::lock_guard<std::mutex> hold(inst->busy); /* not while the instance draws */
    if (i < 0) {                                  /* the scale, read at the next frame */
        inst->scale = frei0r_unit(*static_cast<const double *>(param));
        return;
    }
    switch (f->type) {
    case F0R_PARAM_DOUBLE:
        inst->changed |= frei0r_set_number(inst, i, *static_cast<const double *>(param));
        break;
    case F0R_PARAM_BOOL:
        inst->changed |=
            frei0r_set_number(inst, i, *static_cast<const double *>(param) >= 0.5 ? 1.0 : 0.0);
        break;
    case F0R_PARAM_COLOR: {
        const f0r_param_color_t *const c = static_cast<const f0r_param_color_t *>(param);
        const bool r = frei0r_set_number(inst, i, c->r);
        const bool g = frei0r_set_number(inst, i + 1, c->g);
        const bool b = frei0r_set_number(inst, i + 2, c->b);
        inst->changed |= r || g || b;
        break;
    }
    case F0R_PARAM_STRING: {
        frei0r_value *const v = &inst->values[i];
        const char *const s = *static_cast<char *const *>(param);
        if ((!s && !v->text) || (s && v->text && strcmp(s, v->text) == 0))
            return;
        char *const copy = s ? strdup(s) : nullptr;
        if (s && !copy)
            return;
        free(v->text);
        v->text = copy;
        inst->changed = true;
        break;
    }
    }
}

F0R_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    const frei0r_instance *const inst = static_cast<const frei0r_instance *>(instance);
    const frei0r_param *const f = frei0r_param_at(param_index);
    if (!inst || !param || !f)
        return;
    if (f->entry < 0) {
        *static_cast<double *>(param) = inst->scale;
        return;
    }
    const frei0r_value *const v = &inst->values[f->entry];
    switch (f->type) {
    case F0R_PARAM_DOUBLE:
    case F0R_PARAM_BOOL:
        *static_cast<double *>(param) = v->number;
        break;
    case F0R_PARAM_COLOR: {
        f0r_param_color_t *const c = static_cast<f0r_param_color_t *>(param);
        c->r = float(v[0].number);
        c->g = float(v[1].number);
        c->b = float(v[2].number);
        break;
    }
    case F0R_PARAM_STRING:
        *static_cast<const char **>(param) = frei0r_text(inst, f->entry);
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

/* Gives the effect a picture for `scale`: the host's frame itself at 1, else one of its own
 * of 1/scale of the frame's size (rounded up). The running effect is let go of, to start
 * again on it. */
static void frei0r_rescale(frei0r_instance *inst, int scale)
{
    frei0r_drop(inst);
    SDL_FreeSurface(inst->scaled);
    inst->scaled = nullptr;
    inst->fx_width = inst->width;
    inst->fx_height = inst->height;
    inst->changed = true;
    if (scale == 1)
        return;
    const unsigned w = (inst->width + scale - 1) / scale, h = (inst->height + scale - 1) / scale;
    inst->scaled = SDL_CreateRGBSurface(0, int(w), int(h), 32, RGBA_R, RGBA_G, RGBA_B, 0);
    if (!inst->scaled) {
        frei0r_say("cannot draw at scale %d: out of memory", scale);
        return;
    }
    inst->scaled->force_bits = RGBA_A; /* what the effect draws is opaque: see below */
    inst->fx_width = w;
    inst->fx_height = h;
}

/* A filter's input, already in the output frame, sampled into the scaled picture with a
 * zero alpha: the effect's drawing is what comes out opaque. */
static void frei0r_shrink(const frei0r_instance *inst, const uint32_t *frame, int scale)
{
    const SDL_Surface *const small = inst->scaled;
    for (int y = 0; y < small->h; y++) {
        const uint32_t *const from = frei0r_row(frame, inst->pitch, size_t(y) * size_t(scale));
        uint32_t *const to = reinterpret_cast<uint32_t *>(static_cast<Uint8 *>(small->pixels) +
                                                          size_t(y) * small->pitch);
        for (int x = 0; x < small->w; x++)
            to[x] = from[size_t(x) * size_t(scale)] & ~RGBA_A;
    }
}

/* The scaled picture drawn into the output frame, each pixel a scale x scale square: every
 * pixel for a source, what the effect drew for a filter (its input shows elsewhere). */
static void frei0r_enlarge(const frei0r_instance *inst, uint32_t *frame, int scale, bool filter)
{
    const SDL_Surface *const small = inst->scaled;
    for (size_t y = 0; y < inst->height; y++) {
        const uint32_t *const from = reinterpret_cast<const uint32_t *>(
            static_cast<const Uint8 *>(small->pixels) + (y / size_t(scale)) * small->pitch);
        uint32_t *const to = frei0r_row(frame, inst->pitch, y);
        for (size_t x = 0; x < inst->width; x++) {
            const uint32_t v = from[x / size_t(scale)];
            if (!filter || (v & RGBA_A))
                to[x] = v | RGBA_A;
        }
    }
}

/* The step of the effect's clock at the host's time, in seconds: the nearest one. A time
 * that is none (negative, not a number: ffmpeg passes its "no timestamp" scaled for frames
 * without one) is the step after the last one drawn. */
static long frei0r_step_at(const frei0r_instance *inst, double time)
{
    const double step = std::floor(time * MIRVO_EFFECT_STEPS_PER_SECOND + 0.5);
    if (!(step >= 0)) /* also NaN */
        return inst->next_step;
    return step < double(LONG_MAX / 2) ? long(step) : LONG_MAX / 2;
}

/* Draws the frame of `step`, looping a finished effect: the frame of step % its length. */
static void frei0r_draw_step(frei0r_instance *inst, long step)
{
    const auto draw_step = mirvo_effect_draw_step(FX);
    const long length = draw_step(inst->fx, step);
    if (length > 0)
        draw_step(inst->fx, step % length);
}

static void frei0r_update(f0r_instance_t instance, double time, const uint32_t *inframe,
                          uint32_t *outframe)
{
    frei0r_instance *const inst = static_cast<frei0r_instance *>(instance);
    if (!inst || !outframe)
        return;
    const bool filter = FX->filter && inframe;
    /* Kept in locals: the copy below writes through pointers that could alias *inst. */
    const size_t width = inst->width, height = inst->height, pitch = inst->pitch;

    /* From here on the instance is this thread's: a host rendering in parallel may hand the
     * same instance frames from several threads, each with its own output frame. */
    std::lock_guard<std::mutex> hold(inst->busy);
    inst->surface->pixels = outframe;
    if (filter && inframe != outframe) {
        if (pitch == width * 4)
            memcpy(outframe, inframe, pitch * height);
        else
            for (size_t y = 0; y < height; y++)
                memcpy(frei0r_row(outframe, pitch, y), frei0r_row(inframe, pitch, y), width * 4);
    }

    const int scale = 1 + int(frei0r_spread(inst->scale, MAX_SCALE - 1));
    if (scale != inst->scale_tried) {
        inst->scale_tried = scale;
        frei0r_rescale(inst, scale);
    }
    SDL_Surface *const target = inst->scaled ? inst->scaled : inst->surface;
    if (inst->scaled && filter)
        frei0r_shrink(inst, outframe, scale);
    if (inst->changed || (!inst->fx && !inst->failed)) /* also an effect let go of */
        frei0r_apply(inst);
    if (inst->fx)
        frei0r_list(inst);
    if (inst->fx && mirvo_effect_draw_step(FX)) {
        if (inst->unit_unsure && time > 0 && time < 1e15) {
            inst->unit_unsure = false;
            if (time < 1.0)
                inst->seconds_per_time_unit = 1.0;
        }
        const long step = frei0r_step_at(inst, time * inst->seconds_per_time_unit);
        frei0r_draw_step(inst, step);
        inst->next_step = step + 1;
    } else if (inst->fx) {
        inst->restart_due = false;
        FX->draw(inst->fx);
        if (inst->restart_due) {
            /* Finished: start over, and draw the first frame now. */
            frei0r_drop(inst);
            frei0r_make(inst);
            inst->restart_due = false;
            if (inst->fx)
                FX->draw(inst->fx);
        }
    }
    if (!inst->fx && !filter)
        SDL_FillRect(target, nullptr, 0); /* not startable: opaque black */
    if (inst->scaled)
        frei0r_enlarge(inst, outframe, scale, filter);
}

F0R_EXPORT void f0r_update(f0r_instance_t instance, double time, const uint32_t *inframe,
                           uint32_t *outframe)
{
    try {
        frei0r_update(instance, time, inframe, outframe);
    } catch (...) {
        frei0r_say("cannot draw: out of memory");
    }
}
