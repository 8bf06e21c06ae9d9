/* A wavetext module whose instances never start, for the reason the player must show. */
#include "mirvo_effect.h"

static const mirvo_param failing_params[] = {
    {"text", MIRVO_PARAM_TEXT, 0, 0, MIRVO_DEFAULT_FIXED, "FAIL", "the text", "Text",
     MIRVO_CONTROL_TEXT, NULL, 0, NULL},
};

static mirvo_instance *failing_make(SDL_Surface *, mirvo_instance_restart_fn, void *,
                                    const mirvo_value *, char *why, size_t why_size)
{
    snprintf(why, why_size, "the fake font is unreadable");
    return NULL;
}

static void failing_draw(mirvo_instance *) { }

static int failing_set(mirvo_instance *, int, mirvo_value, char *, size_t)
{
    return 0;
}

static void failing_free(mirvo_instance *) { }

/* Says nothing on standard output: the reason goes to the host. */
MIRVO_EFFECT(wavetext, "0.0", "never starts", 0, failing_params, failing_make, failing_draw,
             failing_set, failing_free, NULL, 0);
