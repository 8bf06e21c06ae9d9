// mirvo-play - plays a sequence of effect modules, loaded by name, in an SDL window or
// headless, at 50 frames per second.
//
//   mirvo-play [options] EFFECT [PARAMS...] [+ EFFECT [PARAMS...]]...
//
// Each effect runs until it calls its restart callback; the player then frees it and
// starts the next one (from the first again after the last, unless --once).
#include <SDL_image.h>
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "effect_loader.h"
#include "effect_params.h"
#include "mirvo.h"

namespace {

const int FRAMES_PER_SECOND = 50;
const char *const SEPARATOR = "+";

struct options {
    int width = 640, height = 480, bpp = 32;
    bool fullscreen = false;
    bool headless = false;
    bool valist = false;
    bool once = false;
    std::vector<std::string> module_dirs;
};

struct sequence_entry {
    effect_setup setup;
    size_t module_index;  // into the loaded modules
};

bool restart_requested = false;

void on_restart(void)
{
    restart_requested = true;
}

void usage(FILE *out)
{
    fprintf(out,
            "Usage: mirvo-play [options] EFFECT [PARAMS...] [+ EFFECT [PARAMS...]]...\n"
            "Plays effect modules one after the other; each moves on to the next when it\n"
            "has finished, and the sequence starts again after the last.\n"
            "PARAMS are values in the effect's order and/or NAME=VALUE pairs.\n"
            "\n"
            "Options:\n"
            "  -W, --width N        window width (default 640)\n"
            "  -H, --height N       window height (default 480)\n"
            "  -b, --bpp N          bits per pixel: 8, 16, 24 or 32 (default 32)\n"
            "  -f, --fullscreen     full screen\n"
            "      --headless       no window: SDL's dummy video driver\n"
            "      --valist         initialise through the va_list entry point\n"
            "      --once           stop after the last effect instead of starting over\n"
            "  -M, --module-dir DIR search DIR for modules first (may be repeated)\n"
            "  -l, --list           list the effects and their parameters\n"
            "  -h, --help           this help\n"
            "      --version        the version\n"
            "\n"
            "Escape or closing the window quits. MIRVO_FRAMES=N ends after N frames,\n"
            "MIRVO_CAPTURE=DIR writes every frame as PNG, MIRVO_NOWAIT=1 runs unpaced.\n"
            "Modules are searched in the -M folders, then $MIRVO_MODULE_PATH (folders\n"
            "separated by ':'), then the installed module folder beside the program.\n"
            "A font not found as given (default ../GFX/font.pcx) is read from\n"
            "$MIRVO_DATA_DIR/GFX/, then from the installed data folder share/mirvo/GFX/.\n");
}

void list_modules()
{
    for (const module_spec &m : known_modules()) {
        printf("%s\n", m.module);
        for (const param_spec &p : m.params) {
            const char *type = p.type == param_type::text ? "text" : "number";
            std::string range = p.type == param_type::text
                                    ? std::string()
                                    : " " + std::to_string(p.min) + ".." + std::to_string(p.max);
            std::string def = p.fallback ? p.fallback : "(from the window)";
            if (p.type == param_type::text && def.size() > 40)
                def = def.substr(0, 37) + "...";
            printf("  %-17s %s%s, default %s: %s\n", p.name, type, range.c_str(), def.c_str(),
                   p.help);
        }
    }
}

bool parse_int(const char *s, int min, int max, int &out)
{
    char *end = nullptr;
    long v = strtol(s, &end, 10);
    if (!*s || *end || v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

[[noreturn]] void fail(const std::string &message, int status = 2)
{
    fprintf(stderr, "mirvo-play: %s\n", message.c_str());
    exit(status);
}

// A font that cannot be read would leave a scroller effect uninitialised: refuse it here.
bool check_fonts(const effect_setup &setup, std::string &error)
{
    const module_spec *desc = find_module_spec(setup.module);
    for (size_t i = 0; i < desc->params.size(); ++i) {
        if (std::string(desc->params[i].name) != "font")
            continue;
        const std::string &file = setup.values[i].text;
        const char *looked = nullptr;
        const char *found = MIRVO_find_data(file.c_str(), &looked);
        if (!found) {
            error = setup.module + ": font: cannot read \"" + file + "\": not found (looked in " + looked + ")";
            return false;
        }
        SDL_Surface *font = IMG_Load(found);
        if (!font) {
            error = setup.module + ": font: cannot read \"" + file + "\": " + IMG_GetError();
            return false;
        }
        SDL_FreeSurface(font);
    }
    return true;
}

void start_effect(sequence_entry &e, const mirvo_effect_module &m, bool valist)
{
    restart_requested = false;
    if (valist)
        call_init_valist(m.init_effect_valist, screen, on_restart, e.setup.values);
    else
        m.init_effect(screen, on_restart, e.setup.argument_list());
}

// Returns false when the player should quit.
bool process_events()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            return false;
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    options opt;
    static const struct option long_options[] = {
        {"width", required_argument, nullptr, 'W'},   {"height", required_argument, nullptr, 'H'},
        {"bpp", required_argument, nullptr, 'b'},     {"fullscreen", no_argument, nullptr, 'f'},
        {"headless", no_argument, nullptr, 1},        {"valist", no_argument, nullptr, 2},
        {"once", no_argument, nullptr, 3},            {"module-dir", required_argument, nullptr, 'M'},
        {"list", no_argument, nullptr, 'l'},          {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 4},         {nullptr, 0, nullptr, 0}};
    int c;
    // '+': options end at the first effect name, so effect parameters are never options.
    while ((c = getopt_long(argc, argv, "+W:H:b:fM:lh", long_options, nullptr)) != -1) {
        switch (c) {
        case 'W':
            if (!parse_int(optarg, 1, 16384, opt.width))
                fail(std::string("--width: expected a whole number from 1 to 16384, got \"") +
                     optarg + "\"");
            break;
        case 'H':
            if (!parse_int(optarg, 1, 16384, opt.height))
                fail(std::string("--height: expected a whole number from 1 to 16384, got \"") +
                     optarg + "\"");
            break;
        case 'b':
            if (!parse_int(optarg, 8, 32, opt.bpp) || opt.bpp % 8 != 0)
                fail(std::string("--bpp: expected 8, 16, 24 or 32, got \"") + optarg + "\"");
            break;
        case 'f': opt.fullscreen = true; break;
        case 1: opt.headless = true; break;
        case 2: opt.valist = true; break;
        case 3: opt.once = true; break;
        case 'M': opt.module_dirs.push_back(optarg); break;
        case 'l': list_modules(); return 0;
        case 'h': usage(stdout); return 0;
        case 4: printf("mirvo-play %s\n", MIRVO_VERSION); return 0;
        default: usage(stderr); return 2;
        }
    }
    if (optind >= argc) {
        usage(stderr);
        return 2;
    }

    // The sequence: effect names with their parameter words, separated by "+".
    std::vector<mirvo_effect_module> modules;
    std::vector<sequence_entry> sequence;
    for (int i = optind; i < argc;) {
        std::string name = argv[i++];
        if (name == SEPARATOR)
            fail("expected an effect name before \"+\"");
        std::vector<std::string> words;
        while (i < argc && std::string(argv[i]) != SEPARATOR)
            words.push_back(argv[i++]);
        if (i < argc && ++i == argc)
            fail("expected an effect name after \"+\"");

        const module_spec *desc = find_module_spec(name);
        if (!desc) {
            std::string known;
            for (const module_spec &m : known_modules())
                known += std::string(known.empty() ? "" : ", ") + m.module;
            fail("unknown effect \"" + name + "\" (known: " + known + ")");
        }
        size_t index = 0;
        while (index < modules.size() && modules[index].name != name)
            ++index;
        if (index == modules.size()) {
            mirvo_effect_module m;
            std::string error;
            if (!mirvo_load_effect(name, m, error, opt.module_dirs))
                fail(error);
            modules.push_back(m);
        }
        sequence_entry e;
        e.module_index = index;
        std::string error;
        if (!parse_effect_params(*desc, words, opt.width, opt.height, e.setup, error) ||
            !check_fonts(e.setup, error))
            fail(error);
        sequence.push_back(std::move(e));
    }

    if (opt.headless)
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    Uint32 flags = SDL_SWSURFACE | (opt.fullscreen ? SDL_FULLSCREEN : 0);
    if (!MIRVO_set_video(opt.width, opt.height, opt.bpp, flags)) {
        fprintf(stderr, "mirvo-play: cannot open a %dx%dx%d window%s\n", opt.width, opt.height,
                opt.bpp, getenv("DISPLAY") ? "" : " (no DISPLAY: try --headless)");
        for (mirvo_effect_module &m : modules)
            mirvo_unload_effect(m);
        SDL_Quit();
        return 1;
    }
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));  // a filter may start first
    MIRVO_init_timer();
    SDL_WM_SetCaption("mirvo-play", "mirvo-play");
    MIRVO_set_fps(FRAMES_PER_SECOND);

    size_t current = 0;
    start_effect(sequence[current], modules[sequence[current].module_index], opt.valist);
    bool running = true;
    while (running) {
        MIRVO_new_time();
        if (!process_events())
            break;
        restart_requested = false;
        modules[sequence[current].module_index].draw_effect();
        if (restart_requested) {
            // The effect has finished: free it and start the next one, which draws its
            // first frame now (a filter over what the finished effect left on screen).
            modules[sequence[current].module_index].free_effect();
            if (current + 1 == sequence.size() && opt.once) {
                running = false;
            } else {
                current = (current + 1) % sequence.size();
                const mirvo_effect_module &m = modules[sequence[current].module_index];
                start_effect(sequence[current], m, opt.valist);
                m.draw_effect();
                // Finishing again at once is left for the next frame.
            }
        }
        if (MIRVO_fps_ok())
            SDL_Flip(screen);
    }
    if (running)
        modules[sequence[current].module_index].free_effect();
    for (mirvo_effect_module &m : modules)
        mirvo_unload_effect(m);
    SDL_Quit();
    MIRVO_print_fps();
    return 0;
}
