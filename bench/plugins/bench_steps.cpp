// The frame of any step (the descriptor's draw_step) at 640 x 480 x 32, as an editor asks
// for it: in order, backwards one frame at a time, and at random anywhere in an hour
// (180,000 steps), a finished effect looped by its length as the frei0r adapter does. The
// peer is the same effect's frames in order: random access should cost at most 2x that.
//
//   bench_steps [--benchmark_...]     (run from anywhere: the font is found by path)
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "effect_loader.h"
#include "effect_params.h"

namespace {

const int WIDTH = 640, HEIGHT = 480;
const long HOUR = 3600L * MIRVO_EFFECT_STEPS_PER_SECOND;
const std::string FONT = std::string(MIRVO_SOURCE_DIR) + "/GFX/font.pcx";

enum Order { IN_ORDER, BACKWARDS, AT_RANDOM };

void runSteps(benchmark::State &state, const char *name, std::vector<std::string> words)
{
    const Order order = Order(state.range(0));
    mirvo_effect_module m;
    std::string error;
    if (!mirvo_load_effect(name, m, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const auto draw_step = mirvo_effect_draw_step(m.descriptor);
    const module_spec *desc = find_module_spec(name);
    for (const param_spec &p : desc->params)
        if (std::string(p.name) == "font")
            words.push_back("font=" + FONT);
    effect_setup setup;
    SDL_Surface *screen =
        SDL_CreateRGBSurface(SDL_SWSURFACE, WIDTH, HEIGHT, 32, 0xff0000, 0x00ff00, 0x0000ff, 0);
    char why[300] = "";
    mirvo_instance *fx = nullptr;
    if (!draw_step)
        state.SkipWithError("the effect draws no step");
    else if (!parse_effect_params(*desc, words, WIDTH, HEIGHT, setup, error))
        state.SkipWithError(error.c_str());
    else if (!(fx = m.make_instance(screen, nullptr, nullptr, setup.argument_list(), why,
                                    sizeof why)))
        state.SkipWithError(why);
    if (fx) {
        uint64_t seed = 12345;
        long step = order == BACKWARDS ? HOUR - 1 : 0;
        for (auto _ : state) {
            if (order == AT_RANDOM) {
                seed = seed * 6364136223846793005ull + 1442695040888963407ull;
                step = long((seed >> 33) % uint64_t(HOUR));
            }
            const long length = draw_step(fx, step);
            if (length > 0)
                draw_step(fx, step % length);
            step = order == IN_ORDER    ? (step + 1) % HOUR
                   : order == BACKWARDS ? (step + HOUR - 1) % HOUR
                                        : step;
        }
        m.free_instance(fx);
    }
    SDL_FreeSurface(screen);
    mirvo_unload_effect(m);
}

void BM_BoxfloodStep(benchmark::State &state)
{
    runSteps(state, "boxflood", {"0", "2", "255", "160", "0"});
}

void BM_WavetextStep(benchmark::State &state)
{
    runSteps(state, "wavetext", {});
}

void BM_BouncetextStep(benchmark::State &state)
{
    runSteps(state, "bouncetext", {});
}

void orders(benchmark::internal::Benchmark *b)
{
    b->ArgName("order")->Arg(IN_ORDER)->Arg(BACKWARDS)->Arg(AT_RANDOM);
    b->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_BoxfloodStep)->Apply(orders);
BENCHMARK(BM_WavetextStep)->Apply(orders);
BENCHMARK(BM_BouncetextStep)->Apply(orders);
BENCHMARK_MAIN();
