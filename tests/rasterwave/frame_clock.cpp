// A frame clock for the program tests, preloaded into rasterwave: SDL_GetTicks reports
// 20 ms per frame begun (frame f starts at 20 * f ms), so the three-second pause can be
// checked to the frame whatever the machine's load. Run it with MIRVO_NOWAIT=1.
#include <SDL.h>

#include <dlfcn.h>

namespace {
Uint32 frame_clock_ms = 0;
const Uint32 FRAME_MS = 20;
}  // namespace

extern "C" {

Uint32 SDL_GetTicks(void)
{
    return frame_clock_ms;
}

void MIRVO_new_time(void)
{
    using new_time_fn = void (*)(void);
    static new_time_fn real = reinterpret_cast<new_time_fn>(dlsym(RTLD_NEXT, "MIRVO_new_time"));
    frame_clock_ms += FRAME_MS;
    if (real)
        real();
}

}  // extern "C"
