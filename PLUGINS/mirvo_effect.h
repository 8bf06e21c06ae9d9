/*
 * mirvo_effect.h - the contract between an effect module and its host.
 *
 * A module `name` exports five entry points with C linkage, `name_LTX_init_effect`,
 * `name_LTX_init_effect_valist`, `name_LTX_draw_effect`, `name_LTX_free_effect` and
 * `name_LTX_is_filter`; libltdl's lt_dlsym finds them under the plain entry names.
 * The host calls one init form, then draw once per frame, then free. A finished effect
 * calls the restart callback (when not null) instead of drawing. After a failed init
 * the module prints a message, and draw and free do nothing.
 */
#ifndef MIRVO_EFFECT_H
#define MIRVO_EFFECT_H

#include <stdarg.h>
#include <SDL.h>

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

/* Declares the five entry points of module `module` with C linkage, exported: the
 * module's own source and every host that links a module in use this one line. */
#define MIRVO_EFFECT_ENTRY_POINTS(module)                                                    \
    MIRVO_EFFECT_API void module##_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart,  \
                                                   MIRVO_NODE *argument_list);               \
    MIRVO_EFFECT_API void module##_LTX_init_effect_valist(SDL_Surface *s,                     \
                                                          mirvo_restart_fn restart,          \
                                                          va_list parameters);               \
    MIRVO_EFFECT_API void module##_LTX_draw_effect(void);                                     \
    MIRVO_EFFECT_API void module##_LTX_free_effect(void);                                     \
    MIRVO_EFFECT_API Uint8 module##_LTX_is_filter(void)

/*
 * A module's parameter catalogue: one record per parameter, in the order init reads
 * them. Each effect declares its catalogue once, beside its source (NAME_params.h); the
 * player, the frei0r modules and `mirvo-play --list` read it.
 */
typedef enum { MIRVO_PARAM_U8, MIRVO_PARAM_U16, MIRVO_PARAM_TEXT } mirvo_param_type;

/* Where a default that is not a fixed value comes from. */
typedef enum {
    MIRVO_DEFAULT_FIXED,             /* `fallback` */
    MIRVO_DEFAULT_SURFACE_WIDTH,     /* the target's width */
    MIRVO_DEFAULT_SURFACE_HEIGHT_LESS_GLYPH /* the target's height less character_height */
} mirvo_default_kind;

typedef struct {
    const char *name;          /* as typed on a command line, NAME=VALUE */
    mirvo_param_type type;     /* Uint8, Uint16 or a char pointer */
    long min, max;             /* accepted numbers */
    mirvo_default_kind from;   /* how the default is found */
    const char *fallback;      /* the fixed default, written as on a command line */
    const char *help;          /* one line */
} mirvo_param;

/* The four font parameters the scrollers share, after their text: the font image, its
 * characters in glyph order and the glyph cell size, with the support library's font 1 as
 * the default. */
#define MIRVO_FONT_PARAMS                                                                   \
    {"font", MIRVO_PARAM_TEXT, 0, 0, MIRVO_DEFAULT_FIXED, MIRVO_FONT1, "font image file"},      \
    {"characters", MIRVO_PARAM_TEXT, 0, 0, MIRVO_DEFAULT_FIXED, MIRVO_FONT1_CHARACTERS,         \
     "the font's characters in glyph order"},                                               \
    {"character_width", MIRVO_PARAM_U8, 1, 255, MIRVO_DEFAULT_FIXED, "16",                   \
     "glyph width in pixels"},                                                              \
    {"character_height", MIRVO_PARAM_U8, 1, 255, MIRVO_DEFAULT_FIXED, "32",                  \
     "glyph height in pixels"}

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_EFFECT_H */
