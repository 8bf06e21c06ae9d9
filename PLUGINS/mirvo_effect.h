/*
 * mirvo_effect.h - the contract between an effect module and its host.
 *
 * A module `name` exports five entry points with C linkage, `name_LTX_init_effect`,
 * `name_LTX_init_effect_valist`, `name_LTX_draw_effect`, `name_LTX_free_effect` and
 * `name_LTX_is_filter`; libltdl's lt_dlsym finds them under the plain entry names.
 * The host calls one init form, then draw once per frame, then free. A finished effect
 * calls the restart callback (when not null) instead of drawing. After a failed init
 * the module prints a message, and draw and free do nothing. These five entry points
 * drive one default instance of the effect.
 *
 * Instances. A module also serves any number of independent instances of its effect at
 * once (a video editor makes one per clip), each holding all of the effect's state, made
 * and freed any number of times in one process:
 *
 *   NAME_LTX_make_instance(s, restart, host_data, argument_list, why, why_size)
 *       starts a new instance on surface s with the parameters of argument_list (read as
 *       init reads them; strings are kept, not copied, and must outlive the instance).
 *       A finished instance calls restart(host_data), when restart is not null, instead
 *       of drawing. Returns null when it cannot start, with the reason in `why` (one
 *       line, at most why_size bytes); it prints nothing.
 *   NAME_LTX_draw_instance(fx)
 *       draws one frame of the instance onto its surface.
 *   NAME_LTX_set_instance_parameter(fx, index, value, why, why_size)
 *       changes parameter `index` (the catalogue's order); value points at a variable of
 *       the parameter's type, as a node's data does. A number takes effect with the next
 *       frame (a scroller's wave, rate, sizes and colours change as it runs); a text,
 *       font, character list or glyph size starts the scroller again with it. Returns 1;
 *       0 when the instance could not start again (it then draws nothing until a later
 *       change starts it; the reason is in `why`) or for an unknown index.
 *   NAME_LTX_free_instance(fx)
 *       releases the instance; null is allowed.
 *
 * The instance entry points touch the module's scroller table and the data-file lookup:
 * a host that uses instances from several threads calls make, set and free under one
 * lock; drawing different instances needs none.
 */
#ifndef MIRVO_EFFECT_H
#define MIRVO_EFFECT_H

#include <SDL.h>
#include <stdarg.h>
#include <stddef.h>

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
    MIRVO_EFFECT_API void module##_LTX_free_instance(mirvo_instance *fx)

/*
 * A module's parameter catalogue: one record per parameter, in the order init reads
 * them. Each effect declares its catalogue once, beside its source (NAME_params.h); the
 * player, the frei0r modules and `mirvo-play --list` read it.
 */
typedef enum { MIRVO_PARAM_U8, MIRVO_PARAM_U16, MIRVO_PARAM_TEXT } mirvo_param_type;

/* Where a default that is not a fixed value comes from. */
typedef enum {
    MIRVO_DEFAULT_FIXED,                    /* `fallback` */
    MIRVO_DEFAULT_SURFACE_WIDTH,            /* the target's width */
    MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH /* the target's height less character_height */
} mirvo_default_kind;

typedef struct {
    const char *name;        /* as typed on a command line, NAME=VALUE */
    mirvo_param_type type;   /* Uint8, Uint16 or a char pointer */
    long min, max;           /* accepted numbers */
    mirvo_default_kind from; /* how the default is found */
    const char *fallback;    /* the fixed default, written as on a command line */
    const char *help;        /* one line */
} mirvo_param;

/* The four font parameters the scrollers share, after their text: the font image, its
 * characters in glyph order and the glyph cell size, with the support library's font 1 as
 * the default. */
#define MIRVO_FONT_PARAMS                                                                          \
    {"font", MIRVO_PARAM_TEXT, 0, 0, MIRVO_DEFAULT_FIXED, MIRVO_FONT1, "font image file"},         \
        {"characters",                                                                             \
         MIRVO_PARAM_TEXT,                                                                         \
         0,                                                                                        \
         0,                                                                                        \
         MIRVO_DEFAULT_FIXED,                                                                      \
         MIRVO_FONT1_CHARACTERS,                                                                   \
         "the font's characters in glyph order"},                                                  \
        {"character_width",      MIRVO_PARAM_U8, 1, 255, MIRVO_DEFAULT_FIXED, "16",                \
         "glyph width in pixels"},                                                                 \
    {                                                                                              \
        "character_height", MIRVO_PARAM_U8, 1, 255, MIRVO_DEFAULT_FIXED, "32",                     \
            "glyph height in pixels"                                                               \
    }

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_EFFECT_H */
