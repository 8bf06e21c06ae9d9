/*
 * mirvo_effect.h - the contract between an effect module and its host.
 *
 * A module describes itself through one descriptor (mirvo_effect_descriptor, below),
 * which a host finds under one fixed symbol whatever the module file is called: the
 * effect's name, version and kind, its parameter catalogue, and make / draw / set / free
 * of any number of independent instances. MIRVO_EFFECT makes a module of an effect
 * written as four functions; mirvo_effect.hpp makes one of an effect written as a class.
 *
 * From the descriptor the module also exports the five classic entry points with C
 * linkage, `name_LTX_init_effect`, `name_LTX_init_effect_valist`, `name_LTX_draw_effect`,
 * `name_LTX_free_effect` and `name_LTX_is_filter` (libltdl's lt_dlsym finds them under
 * the plain entry names when the file is named after the effect). The host calls one init
 * form, then draw once per frame, then free. A finished effect calls the restart callback
 * (when not null) instead of drawing. After a failed init the module prints its message,
 * and draw and free do nothing. These five entry points drive one instance of the effect.
 *
 * And the instance entry points over node lists:
 *
 *   NAME_LTX_make_instance(s, restart, host_data, argument_list, why, why_size)
 *       the descriptor's make with the parameters of argument_list, one node per
 *       catalogue entry: a shorter or longer list is refused with the reason.
 *   NAME_LTX_draw_instance(fx)
 *       draws one frame of the instance onto its surface.
 *   NAME_LTX_set_instance_parameter(fx, index, value, why, why_size)
 *       the descriptor's set; value points at a variable of the parameter's type, as a
 *       node's data does. A number takes effect with the next frame (a scroller's wave,
 *       rate, sizes and colours change as it runs); a text, font, character list or glyph
 *       size starts the scroller again with it. Returns 1; 0 when the instance could not
 *       start again (it then draws nothing until a later change starts it; the reason is
 *       in `why`) or for an unknown index.
 *   NAME_LTX_free_instance(fx)
 *       releases the instance; null is allowed.
 */
#ifndef MIRVO_EFFECT_H
#define MIRVO_EFFECT_H

#include <SDL.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>

#include "mirvo.h"

#ifdef __cplusplus
#define MIRVO_EFFECT_API extern "C" __attribute__((visibility("default")))
extern "C" {
#else
#define MIRVO_EFFECT_API __attribute__((visibility("default")))
#endif

/* Called by a finished effect; may be null. */
typedef void (*mirvo_restart_fn)(void);

typedef void (*mirvo_init_effect_fn)(SDL_Surface *s, mirvo_restart_fn restart,
                                     MIRVO_NODE *argument_list);
typedef void (*mirvo_init_effect_valist_fn)(SDL_Surface *s, mirvo_restart_fn restart,
                                            va_list parameters);
typedef void (*mirvo_draw_effect_fn)(void);
typedef void (*mirvo_free_effect_fn)(void);
typedef Uint8 (*mirvo_is_filter_fn)(void);

/* One instance of an effect: opaque to hosts. */
typedef struct mirvo_instance mirvo_instance;
/* Called by a finished instance with the host's pointer; may be null. */
typedef void (*mirvo_instance_restart_fn)(void *host_data);

typedef mirvo_instance *(*mirvo_make_instance_fn)(SDL_Surface *s, mirvo_instance_restart_fn restart,
                                                  void *host_data, MIRVO_NODE *argument_list,
                                                  char *why, size_t why_size);
typedef void (*mirvo_draw_instance_fn)(mirvo_instance *fx);
typedef int (*mirvo_set_instance_parameter_fn)(mirvo_instance *fx, int index, const void *value,
                                               char *why, size_t why_size);
typedef void (*mirvo_free_instance_fn)(mirvo_instance *fx);

/* Declares the entry points of module `module` (the five and the instance ones) with C
 * linkage, exported: the module's own source and every host that links a module in use
 * this one line. */
#define MIRVO_EFFECT_ENTRY_POINTS(module)                                                          \
    MIRVO_EFFECT_API void module##_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart,       \
                                                   MIRVO_NODE *argument_list);                     \
    MIRVO_EFFECT_API void module##_LTX_init_effect_valist(                                         \
        SDL_Surface *s, mirvo_restart_fn restart, va_list parameters);                             \
    MIRVO_EFFECT_API void module##_LTX_draw_effect(void);                                          \
    MIRVO_EFFECT_API void module##_LTX_free_effect(void);                                          \
    MIRVO_EFFECT_API Uint8 module##_LTX_is_filter(void);                                           \
    MIRVO_EFFECT_API mirvo_instance *module##_LTX_make_instance(                                   \
        SDL_Surface *s, mirvo_instance_restart_fn restart, void *host_data,                        \
        MIRVO_NODE *argument_list, char *why, size_t why_size);                                    \
    MIRVO_EFFECT_API void module##_LTX_draw_instance(mirvo_instance *fx);                          \
    MIRVO_EFFECT_API int module##_LTX_set_instance_parameter(                                      \
        mirvo_instance *fx, int index, const void *value, char *why, size_t why_size);             \
    MIRVO_EFFECT_API void module##_LTX_free_instance(mirvo_instance *fx);                          \
    MIRVO_EFFECT_API const struct mirvo_effect_descriptor *module##_LTX_describe(void)

/*
 * A module's parameter catalogue: one record per parameter, in the order init reads
 * them. Each effect declares its catalogue once, beside its source (NAME_params.h), and
 * hands it to MIRVO_EFFECT; hosts read it from the descriptor.
 */
typedef enum { MIRVO_PARAM_U8, MIRVO_PARAM_U16, MIRVO_PARAM_TEXT } mirvo_param_type;

/* Where a default that is not a fixed value comes from. */
typedef enum {
    MIRVO_DEFAULT_FIXED,                    /* `fallback` */
    MIRVO_DEFAULT_SURFACE_WIDTH,            /* the target's width */
    MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH /* the target's height less character_height */
} mirvo_default_kind;

/* What a host shows to change a parameter. The three components of one colour are
 * consecutive parameters (red, green, blue), so a host may show them as one colour. */
typedef enum {
    MIRVO_CONTROL_NUMBER,
    MIRVO_CONTROL_COLOUR_RED,
    MIRVO_CONTROL_COLOUR_GREEN,
    MIRVO_CONTROL_COLOUR_BLUE,
    MIRVO_CONTROL_CHOICE, /* one of `choices` */
    MIRVO_CONTROL_TEXT,
    MIRVO_CONTROL_FILE /* a text naming a file, such as a font image */
} mirvo_control;

/* One value of a choice with the words a host shows for it. */
typedef struct {
    long value;
    const char *label;
} mirvo_choice;

typedef struct {
    const char *name;            /* as typed on a command line, NAME=VALUE */
    mirvo_param_type type;       /* Uint8, Uint16 or a char pointer */
    long min, max;               /* accepted numbers */
    mirvo_default_kind from;     /* how the default is found */
    const char *fallback;        /* the fixed default, written as on a command line */
    const char *help;            /* one line */
    const char *label;           /* a human name, "Glyph width" */
    mirvo_control control;       /* what a host shows */
    const mirvo_choice *choices; /* MIRVO_CONTROL_CHOICE: the values, else null */
    int nchoices;                /* entries of choices */
    const char *unit;            /* "px" and the like; null: none */
} mirvo_param;

/* The four font parameters the scrollers share, after their text: the font image, its
 * characters in glyph order and the glyph cell size, with the support library's font 1 as
 * the default. */
#define MIRVO_FONT_PARAMS                                                                          \
    {"font",                                                                                       \
     MIRVO_PARAM_TEXT,                                                                             \
     0,                                                                                            \
     0,                                                                                            \
     MIRVO_DEFAULT_FIXED,                                                                          \
     MIRVO_FONT1,                                                                                  \
     "font image file",                                                                            \
     "Font image",                                                                                 \
     MIRVO_CONTROL_FILE,                                                                           \
     0,                                                                                            \
     0,                                                                                            \
     0},                                                                                           \
        {"characters",                                                                             \
         MIRVO_PARAM_TEXT,                                                                         \
         0,                                                                                        \
         0,                                                                                        \
         MIRVO_DEFAULT_FIXED,                                                                      \
         MIRVO_FONT1_CHARACTERS,                                                                   \
         "the font's characters in glyph order",                                                   \
         "Font characters",                                                                        \
         MIRVO_CONTROL_TEXT,                                                                       \
         0,                                                                                        \
         0,                                                                                        \
         0},                                                                                       \
        {"character_width",                                                                        \
         MIRVO_PARAM_U8,                                                                           \
         1,                                                                                        \
         255,                                                                                      \
         MIRVO_DEFAULT_FIXED,                                                                      \
         "16",                                                                                     \
         "glyph width in pixels",                                                                  \
         "Glyph width",                                                                            \
         MIRVO_CONTROL_NUMBER,                                                                     \
         0,                                                                                        \
         0,                                                                                        \
         "px"},                                                                                    \
    {                                                                                              \
        "character_height", MIRVO_PARAM_U8, 1, 255, MIRVO_DEFAULT_FIXED, "32",                     \
            "glyph height in pixels", "Glyph height", MIRVO_CONTROL_NUMBER, 0, 0, "px"             \
    }

/*
 * The descriptor: what a module is, reached through one fixed symbol whatever its file
 * is called.
 *
 * A module built as a shared module (MIRVO_EFFECT_MODULE defined, as the SDK's CMake
 * functions do) exports
 *
 *     const mirvo_effect_descriptor *mirvo_effect_describe(void);
 *
 * and every module also exports NAME_LTX_describe, the same function under its effect's
 * name, so that several effects can be linked into one program. A host opens the file,
 * looks up "mirvo_effect_describe", calls it and checks `abi` against MIRVO_EFFECT_ABI
 * before it reads anything else: a different number is a module it cannot drive.
 *
 * Values reach make and set as mirvo_value: a number (a Uint8 or Uint16 parameter) in
 * `number`, a text in `text`. make takes one value per catalogue entry, in its order, and
 * refuses any other count, a number outside the entry's range or a null text, with the
 * reason in `why` (one line, at most why_size bytes, never printed); it reads nothing past
 * `nvalues`. It copies the texts it keeps: the host's may go once make returns. set takes
 * one value for catalogue entry `index`, checked the same way; a number takes effect with
 * the next frame, a text or a glyph size starts the effect again (0 then, with the reason,
 * when it cannot). draw draws one frame onto the instance's surface; a finished instance
 * calls its restart callback with host_data instead, when that is not null. free releases
 * the instance (null is allowed).
 *
 * Instances of one module share nothing but the support library's scroller table, which
 * guards itself: a host may make, draw, set and free different instances on different
 * threads at once; one instance is used by one thread at a time.
 *
 * draw_step (ABI 2; may be null) draws the frame of step `step` of the instance's own
 * clock, 50 steps a second, counted from 0 at its start: the frame the `step`+1-th call
 * of draw would draw had the current parameters held from the start. It depends on
 * nothing drawn before (an editor asks for any frame in any order); one instance is
 * drawn by draw or by draw_step, not both (draw goes on from no particular frame after
 * it). Once the effect has finished by `step` it draws nothing and returns the number of
 * steps it lasts (at least 1), so that a host loops it by drawing `step % length`;
 * otherwise it returns 0. A module without it (null, or ABI 1) only draws the next
 * frame.
 *
 * ABI numbers only grow, and a new one only adds fields at the end of the descriptor: a
 * host takes any module from MIRVO_EFFECT_ABI_OLDEST to its own MIRVO_EFFECT_ABI, and
 * reads no field the module's number does not have.
 */
#define MIRVO_EFFECT_ABI 2
#define MIRVO_EFFECT_ABI_OLDEST 1
/* Steps of an effect's clock in a second: the rate its motion was made for. */
#define MIRVO_EFFECT_STEPS_PER_SECOND 50
#define MIRVO_EFFECT_DESCRIBE_SYMBOL "mirvo_effect_describe"
/* The most parameters an effect has. */
#define MIRVO_EFFECT_MAX_PARAMS 32

typedef union {
    long number;
    const char *text;
} mirvo_value;

typedef struct mirvo_effect_descriptor {
    int abi;                 /* MIRVO_EFFECT_ABI */
    const char *name;        /* the effect's name, which hosts play it by */
    const char *version;     /* the effect's own version, "1.0" */
    const char *description; /* one line */
    int filter;              /* 1: draws over the frame; 0: draws a whole picture */
    const mirvo_param *params;
    int nparams;
    mirvo_instance *(*make)(SDL_Surface *s, mirvo_instance_restart_fn restart, void *host_data,
                            const mirvo_value *values, int nvalues, char *why, size_t why_size);
    void (*draw)(mirvo_instance *fx);
    int (*set)(mirvo_instance *fx, int index, mirvo_value value, char *why, size_t why_size);
    void (*free)(mirvo_instance *fx);
    /* ABI 2 */
    long (*draw_step)(mirvo_instance *fx, long step); /* may be null */
} mirvo_effect_descriptor;

/* The descriptor's draw_step when its module has one, else null. */
static inline long (*mirvo_effect_draw_step(const mirvo_effect_descriptor *d))(mirvo_instance *,
                                                                               long)
{
    return d && d->abi >= 2 ? d->draw_step : 0;
}

typedef const mirvo_effect_descriptor *(*mirvo_describe_fn)(void);

/* Checks a value for catalogue entry p; on a misfit writes why and returns 0. */
static inline int mirvo_effect_check_value(const mirvo_param *p, mirvo_value v, char *why,
                                           size_t why_size)
{
    if (p->type == MIRVO_PARAM_TEXT) {
        if (v.text)
            return 1;
        snprintf(why, why_size, "%s: no text", p->name);
        return 0;
    }
    if (v.number >= p->min && v.number <= p->max)
        return 1;
    snprintf(why, why_size, "%s: %ld is outside %ld to %ld", p->name, v.number, p->min, p->max);
    return 0;
}

/* Checks a whole value list for a catalogue; on a misfit writes why and returns 0. */
static inline int mirvo_effect_check_values(const mirvo_param *params, int nparams,
                                            const mirvo_value *values, int nvalues, char *why,
                                            size_t why_size)
{
    int i;
    if (nvalues != nparams || (nvalues > 0 && !values)) {
        snprintf(why, why_size, "expected %d parameters, got %d", nparams, values ? nvalues : 0);
        return 0;
    }
    for (i = 0; i < nparams; i++)
        if (!mirvo_effect_check_value(&params[i], values[i], why, why_size))
            return 0;
    return 1;
}

/* A value as a node's data holds it (a Uint8, a Uint16 or a char pointer). */
static inline mirvo_value mirvo_effect_value_at(const mirvo_param *p, const void *data)
{
    mirvo_value v;
    if (p->type == MIRVO_PARAM_TEXT)
        v.text = *(const char *const *)data;
    else if (p->type == MIRVO_PARAM_U8)
        v.number = *(const Uint8 *)data;
    else
        v.number = *(const Uint16 *)data;
    return v;
}

/* The nodes of a list, counted up to `most`: one more than that means "too many". */
static inline int mirvo_effect_count_nodes(const MIRVO_NODE *list, int most)
{
    int n = 0;
    while (list && n <= most) {
        n++;
        list = list->next_node;
    }
    return n;
}

/*
 * MIRVO_EFFECT(module, version, description, filter, params, make, draw, set, free,
 *              init_failed, free_effect_keeps)
 *
 * Makes a module of an effect written as four functions over its own instances:
 *
 *   mirvo_instance *make(SDL_Surface *s, mirvo_instance_restart_fn restart, void *host_data,
 *                        const mirvo_value *values, char *why, size_t why_size);
 *       values: one per catalogue entry, already checked against the catalogue's types;
 *   void draw(mirvo_instance *fx);
 *   int set(mirvo_instance *fx, int index, mirvo_value value, char *why, size_t why_size);
 *   void free(mirvo_instance *fx);
 *
 * and `init_failed`, a function of the reason that the five entry points call when their
 * instance cannot start (the effect's message), or null. `free_effect_keeps` nonzero makes
 * NAME_LTX_free_effect leave the five entry points' instance drawable (an effect that
 * holds nothing but its state; the instance goes at the next init). It defines the descriptor,
 * NAME_LTX_describe (and mirvo_effect_describe in a shared module), the five entry points
 * NAME_LTX_init_effect, _init_effect_valist, _draw_effect, _free_effect and _is_filter,
 * which drive one instance of the module, and the node-list instance entry points
 * NAME_LTX_make_instance, _draw_instance, _set_instance_parameter and _free_instance.
 * The five entry points read the values as the effect's catalogue says, with no checks
 * beyond the types, as they always have; make_instance refuses a list of the wrong length.
 *
 * MIRVO_EFFECT_STEPPED(..., free_effect_keeps, draw_step) does the same for an effect that
 * also draws the frame of any step (the descriptor's draw_step, above):
 *
 *   long draw_step(mirvo_instance *fx, long step);
 */
#ifdef MIRVO_EFFECT_MODULE
#define MIRVO_EFFECT_FIXED_DESCRIBE(module)                                                        \
    MIRVO_EFFECT_API const mirvo_effect_descriptor *mirvo_effect_describe(void)                    \
    {                                                                                              \
        return &module##_descriptor;                                                               \
    }
#else
#define MIRVO_EFFECT_FIXED_DESCRIBE(module)
#endif

#define MIRVO_EFFECT(module, version, description, filter, params, make, draw, set, free,          \
                     init_failed, free_effect_keeps)                                               \
    MIRVO_EFFECT_STEPPED(module, version, description, filter, params, make, draw, set, free,      \
                         init_failed, free_effect_keeps, 0)

#define MIRVO_EFFECT_STEPPED(module, version, description, filter, params, make, draw, set, free,  \
                             init_failed, free_effect_keeps, draw_step)                            \
    MIRVO_EFFECT_ENTRY_POINTS(module);                                                             \
    enum { module##_NPARAMS = (int)(sizeof params / sizeof params[0]) };                           \
    typedef char module##_fits[module##_NPARAMS <= MIRVO_EFFECT_MAX_PARAMS ? 1 : -1];              \
    static mirvo_instance *module##_checked_make(                                                  \
        SDL_Surface *s, mirvo_instance_restart_fn restart, void *host_data,                        \
        const mirvo_value *values, int nvalues, char *why, size_t why_size)                        \
    {                                                                                              \
        if (!mirvo_effect_check_values(params, module##_NPARAMS, values, nvalues, why, why_size))  \
            return 0;                                                                              \
        return make(s, restart, host_data, values, why, why_size);                                 \
    }                                                                                              \
    static int module##_checked_set(mirvo_instance *fx, int index, mirvo_value value, char *why,   \
                                    size_t why_size)                                               \
    {                                                                                              \
        if (!fx || index < 0 || index >= module##_NPARAMS) {                                       \
            snprintf(why, why_size, "no instance or no parameter %d", index);                      \
            return 0;                                                                              \
        }                                                                                          \
        if (!mirvo_effect_check_value(&params[index], value, why, why_size))                       \
            return 0;                                                                              \
        return set(fx, index, value, why, why_size);                                               \
    }                                                                                              \
    static const mirvo_effect_descriptor module##_descriptor = {MIRVO_EFFECT_ABI,                  \
                                                                #module,                           \
                                                                version,                           \
                                                                description,                       \
                                                                filter,                            \
                                                                params,                            \
                                                                module##_NPARAMS,                  \
                                                                module##_checked_make,             \
                                                                draw,                              \
                                                                module##_checked_set,              \
                                                                free,                              \
                                                                draw_step};                        \
    MIRVO_EFFECT_API const mirvo_effect_descriptor *module##_LTX_describe(void)                    \
    {                                                                                              \
        return &module##_descriptor;                                                               \
    }                                                                                              \
    MIRVO_EFFECT_FIXED_DESCRIBE(module)                                                            \
    /* The instance behind the five entry points, and the restart callback they were given. */     \
    static mirvo_instance *module##_default = 0;                                                   \
    static mirvo_restart_fn module##_default_restart = 0;                                          \
    static void module##_call_default_restart(void *host_data)                                     \
    {                                                                                              \
        (void)host_data;                                                                           \
        if (module##_default_restart)                                                              \
            module##_default_restart();                                                            \
    }                                                                                              \
    static void module##_start_default(SDL_Surface *s, mirvo_restart_fn restart,                   \
                                       const mirvo_value *values)                                  \
    {                                                                                              \
        char why[300] = "";                                                                        \
        void (*const failed)(const char *) = init_failed;                                          \
        free(module##_default);                                                                    \
        module##_default_restart = restart;                                                        \
        module##_default = make(s, module##_call_default_restart, 0, values, why, sizeof why);     \
        if (!module##_default && failed)                                                           \
            failed(why);                                                                           \
    }                                                                                              \
    MIRVO_EFFECT_API void module##_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart,       \
                                                   MIRVO_NODE *argument_list)                      \
    {                                                                                              \
        mirvo_value values[MIRVO_EFFECT_MAX_PARAMS];                                               \
        int i;                                                                                     \
        for (i = 0; i < module##_NPARAMS; i++)                                                     \
            values[i] =                                                                            \
                mirvo_effect_value_at(&params[i], MIRVO_LIST_get_data_next(&argument_list));       \
        module##_start_default(s, restart, values);                                                \
    }                                                                                              \
    MIRVO_EFFECT_API void module##_LTX_init_effect_valist(                                         \
        SDL_Surface *s, mirvo_restart_fn restart, va_list parameters)                              \
    {                                                                                              \
        mirvo_value values[MIRVO_EFFECT_MAX_PARAMS];                                               \
        int i;                                                                                     \
        for (i = 0; i < module##_NPARAMS; i++) {                                                   \
            if (params[i].type == MIRVO_PARAM_TEXT)                                                \
                values[i].text = va_arg(parameters, const char *);                                 \
            else if (params[i].type == MIRVO_PARAM_U8)                                             \
                values[i].number = (Uint8)va_arg(parameters, int);                                 \
            else                                                                                   \
                values[i].number = (Uint16)va_arg(parameters, int);                                \
        }                                                                                          \
        module##_start_default(s, restart, values);                                                \
    }                                                                                              \
    MIRVO_EFFECT_API void module##_LTX_draw_effect(void)                                           \
    {                                                                                              \
        if (module##_default)                                                                      \
            draw(module##_default);                                                                \
    }                                                                                              \
    MIRVO_EFFECT_API void module##_LTX_free_effect(void)                                           \
    {                                                                                              \
        if (free_effect_keeps)                                                                     \
            return;                                                                                \
        free(module##_default);                                                                    \
        module##_default = 0;                                                                      \
    }                                                                                              \
    MIRVO_EFFECT_API Uint8 module##_LTX_is_filter(void)                                            \
    {                                                                                              \
        return (Uint8)(filter);                                                                    \
    }                                                                                              \
    MIRVO_EFFECT_API mirvo_instance *module##_LTX_make_instance(                                   \
        SDL_Surface *s, mirvo_instance_restart_fn restart, void *host_data,                        \
        MIRVO_NODE *argument_list, char *why, size_t why_size)                                     \
    {                                                                                              \
        mirvo_value values[MIRVO_EFFECT_MAX_PARAMS];                                               \
        const int n = mirvo_effect_count_nodes(argument_list, module##_NPARAMS);                   \
        int i;                                                                                     \
        if (n != module##_NPARAMS) {                                                               \
            snprintf(why, why_size, "expected %d parameters, got %s%d", module##_NPARAMS,          \
                     n > module##_NPARAMS ? "more than " : "", n > module##_NPARAMS ? n - 1 : n);  \
            return 0;                                                                              \
        }                                                                                          \
        for (i = 0; i < n; i++)                                                                    \
            values[i] =                                                                            \
                mirvo_effect_value_at(&params[i], MIRVO_LIST_get_data_next(&argument_list));       \
        return module##_checked_make(s, restart, host_data, values, n, why, why_size);             \
    }                                                                                              \
    MIRVO_EFFECT_API void module##_LTX_draw_instance(mirvo_instance *fx)                           \
    {                                                                                              \
        if (fx)                                                                                    \
            draw(fx);                                                                              \
    }                                                                                              \
    MIRVO_EFFECT_API int module##_LTX_set_instance_parameter(                                      \
        mirvo_instance *fx, int index, const void *value, char *why, size_t why_size)              \
    {                                                                                              \
        if (!fx || !value || index < 0 || index >= module##_NPARAMS) {                             \
            snprintf(why, why_size, "no instance, no value or no parameter %d", index);            \
            return 0;                                                                              \
        }                                                                                          \
        return module##_checked_set(fx, index, mirvo_effect_value_at(&params[index], value), why,  \
                                    why_size);                                                     \
    }                                                                                              \
    MIRVO_EFFECT_API void module##_LTX_free_instance(mirvo_instance *fx)                           \
    {                                                                                              \
        free(fx);                                                                                  \
    }                                                                                              \
    typedef int module##_after_effect

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_EFFECT_H */
