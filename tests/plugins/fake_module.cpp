/* A module that has only some of the five entry points. */
#define EXPORT extern "C" __attribute__((visibility("default")))
EXPORT void boxflood_LTX_init_effect(void) { }
EXPORT void boxflood_LTX_draw_effect(void) { }
