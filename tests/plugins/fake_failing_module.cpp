/* A wavetext module whose init fails the way the real one does when it cannot start. */
#include <stdarg.h>
#include <stdio.h>

#define EXPORT extern "C" __attribute__((visibility("default")))
EXPORT void wavetext_LTX_init_effect(void *, void (*)(void), void *)
{
    puts("Error, initiating sine scroller");
}
EXPORT void wavetext_LTX_init_effect_valist(void *, void (*)(void), va_list)
{
    puts("Error, initiating sine scroller");
}
EXPORT void wavetext_LTX_draw_effect(void) { }
EXPORT void wavetext_LTX_free_effect(void) { }
EXPORT unsigned char wavetext_LTX_is_filter(void)
{
    return 0;
}
