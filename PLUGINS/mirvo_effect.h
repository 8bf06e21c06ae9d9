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

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_EFFECT_H */
