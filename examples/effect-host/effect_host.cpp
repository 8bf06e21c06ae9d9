// effect_host - the smallest host of a Mirvo effect module: opens boxflood by name with
// libltdl, initialises it from a parameter list, draws 50 frames on SDL's dummy video
// driver and counts the pixels it flooded.
//   effect_host [MODULE_DIR]      (default: the installed module folder)
#include <mirvo_effect.h>

#include <ltdl.h>

#include <cstdio>
#include <cstdlib>

namespace {

const int WIDTH = 320, HEIGHT = 240, FRAMES = 50;

template <typename Fn> Fn entry(lt_dlhandle module, const char *name)
{
    Fn fn = reinterpret_cast<Fn>(lt_dlsym(module, name));
    if (!fn) {
        std::fprintf(stderr, "effect_host: boxflood has no %s\n", name);
        std::exit(1);
    }
    return fn;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *dir = argc > 1 ? argv[1] : EFFECT_MODULE_DIR;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (lt_dlinit() != 0 || lt_dlsetsearchpath(dir) != 0)
        return 1;
    lt_dlhandle module = lt_dlopenext("boxflood");
    if (!module) {
        std::fprintf(stderr, "effect_host: no boxflood in %s: %s\n", dir, lt_dlerror());
        return 1;
    }
    auto init = entry<mirvo_init_effect_fn>(module, "init_effect");
    auto draw = entry<mirvo_draw_effect_fn>(module, "draw_effect");
    auto release = entry<mirvo_free_effect_fn>(module, "free_effect");

    if (!MIRVO_set_video(WIDTH, HEIGHT, 32, SDL_SWSURFACE))
        return 1;
    // Parameters: direction, rate, red, green, blue, one list node each.
    Uint8 values[5] = {MIRVO_INNER_OUTER_FILL, 4, 255, 160, 0};
    MIRVO_NODE nodes[5];
    for (int i = 0; i < 5; ++i) {
        nodes[i].data = &values[i];
        nodes[i].next_node = i < 4 ? &nodes[i + 1] : NULL;
        nodes[i].previous_node = i > 0 ? &nodes[i - 1] : NULL;
    }
    init(screen, NULL, nodes);
    for (int frame = 0; frame < FRAMES; ++frame) {
        draw();
        SDL_Flip(screen);
    }
    release();

    long flooded = 0;
    const Uint32 orange = SDL_MapRGB(screen->format, 255, 160, 0);
    SDL_LockSurface(screen);
    for (int y = 0; y < HEIGHT; ++y) {
        const Uint32 *row = reinterpret_cast<const Uint32 *>(
            static_cast<const Uint8 *>(screen->pixels) + y * screen->pitch);
        for (int x = 0; x < WIDTH; ++x)
            flooded += row[x] == orange;
    }
    SDL_UnlockSurface(screen);
    SDL_Quit();
    lt_dlclose(module);
    lt_dlexit();
    std::printf("effect_host: boxflood drew %d frames, %ld of %d pixels flooded\n", FRAMES, flooded,
                WIDTH * HEIGHT);
    return flooded > 0 ? 0 : 1;
}
