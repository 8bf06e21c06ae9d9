// Frame cost of each effect module at 640 x 480 x 32 on a software surface, loaded through
// the player's loader and restarted whenever it finishes, as the player does. The peer
// is one full-surface clear (SDL_FillRect), the least a frame of a clearing effect costs.
//
//   bench_effects [--benchmark_...]     (run from anywhere: the font is found by path)
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "effect_loader.h"
#include "effect_params.h"

namespace {

const int WIDTH = 640, HEIGHT = 480;
const std::string FONT = std::string(MIRVO_SOURCE_DIR) + "/GFX/font.pcx";

bool finished = false;
void on_restart(void)
{
    finished = true;
}

SDL_Surface *makeScreen()
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, WIDTH, HEIGHT, 32, 0xff0000, 0x00ff00, 0x0000ff, 0);
}

void runEffect(benchmark::State &state, const char *name, std::vector<std::string> words)
{
    mirvo_effect_module m;
    std::string error;
    if (!mirvo_load_effect(name, m, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const module_spec *desc = find_module_spec(name);
    for (const param_spec &p : desc->params)
        if (std::string(p.name) == "font")
            words.push_back("font=" + FONT);
    effect_setup setup;
    SDL_Surface *screen = makeScreen();
    if (!parse_effect_params(*desc, words, WIDTH, HEIGHT, setup, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    SDL_FillRect(screen, nullptr, 0);
    m.init_effect(screen, on_restart, setup.argument_list());
    long restarts = 0;
    for (auto _ : state) {
        finished = false;
        m.draw_effect();
        if (finished) {  // start again, as the player's loop does
            m.free_effect();
            m.init_effect(screen, on_restart, setup.argument_list());
            ++restarts;
        }
    }
    m.free_effect();
    SDL_FreeSurface(screen);
    mirvo_unload_effect(m);
    state.counters["restarts"] = (double)restarts;
    state.counters["fps"] =
        benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Peer_ClearFrame(benchmark::State &state)
{
    SDL_Surface *screen = makeScreen();
    Uint32 black = SDL_MapRGB(screen->format, 0, 0, 0);
    for (auto _ : state) {
        SDL_FillRect(screen, nullptr, black);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(screen);
}

void BM_Boxflood(benchmark::State &state)
{
    // Shrinking at rate 2: 160 fills from the whole screen down, then again.
    runEffect(state, "boxflood", {"0", "2", "255", "160", "0"});
}

void BM_Wavetext(benchmark::State &state)
{
    runEffect(state, "wavetext", {"slice_width=" + std::to_string(state.range(0))});
}

void BM_Bouncetext(benchmark::State &state)
{
    runEffect(state, "bouncetext", {"character_width=" + std::to_string(state.range(0))});
}

}  // namespace

BENCHMARK(BM_Peer_ClearFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Boxflood)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wavetext)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Bouncetext)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
