// Frame pacing: a fixed period, frames dropped (not shown) when the loop falls behind.
#include "internal.h"

#include <chrono>
#include <cstdio>

namespace {

Uint32 pace_period = 20;    // ms per frame; 0: no pacing
Uint32 pace_due = 0;        // ticks at which the current frame is due
bool pace_started = false;  // pace_due is valid
unsigned long pace_frames_run = 0;
unsigned long pace_frames_shown = 0;
std::chrono::steady_clock::time_point pace_clock_start;
bool pace_clock_set = false;

void start_clock()
{
    if (!pace_clock_set) {
        pace_clock_start = std::chrono::steady_clock::now();
        pace_clock_set = true;
    }
}

}  // namespace

MIRVO_API void MIRVO_init_timer(void)
{
    pace_started = false;
    pace_frames_run = pace_frames_shown = 0;
    pace_clock_start = std::chrono::steady_clock::now();
    pace_clock_set = true;
}

MIRVO_API void MIRVO_set_fps(int fps)
{
    pace_period = fps > 0 ? 1000u / (Uint32)fps : 0;
    pace_started = false;
}

MIRVO_API void MIRVO_new_time(void)
{
    start_clock();
    ++pace_frames_run;
    if (!pace_started) {
        pace_due = SDL_GetTicks() + pace_period;
        pace_started = true;
    }
}

MIRVO_API int MIRVO_fps_ok(void)
{
    if (pace_period == 0) {
        ++pace_frames_shown;
        return 1;
    }
    Uint32 now = SDL_GetTicks();
    Uint32 due = pace_due;
    pace_due += pace_period;
    if ((Sint32)(now - due) > (Sint32)pace_period) {
        // More than one period late: drop this frame. After a long stall (over a
        // second) start the schedule afresh rather than dropping frame after frame.
        if ((Sint32)(now - due) > 1000)
            pace_due = now + pace_period;
        return 0;
    }
    if ((Sint32)(due - now) > 0)
        SDL_Delay(due - now);
    ++pace_frames_shown;
    return 1;
}

MIRVO_API void MIRVO_print_fps(void)
{
    start_clock();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - pace_clock_start).count();
    double rate = seconds > 0 ? pace_frames_shown / seconds : 0.0;
    printf("MIRVO: %lu frames run, %lu frames shown in %.2f seconds, %.1f frames per second\n",
           pace_frames_run, pace_frames_shown, seconds, rate);
    fflush(stdout);
}
