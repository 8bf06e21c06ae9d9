// mirvo-play - plays a sequence of effect modules, loaded by name, in an SDL window or
// headless, at 50 frames per second.
//
//   mirvo-play [options] EFFECT [PARAMS...] [+ EFFECT [PARAMS...]]...
//
// Each effect runs until it calls its restart callback; the player then frees it and
// starts the next one (from the first again after the last, unless --once).
#include <SDL_image.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "effect_loader.h"
#include "effect_params.h"
#include "mirvo.h"
#include "run_switches.h"

namespace {

const int FRAMES_PER_SECOND = 50;
const char *const SEPARATOR = "+";
// SDL 1.2 makes no surface 16384 pixels wide or wider (its pitch is 16 bits).
const int MAX_WIDTH = 16383;
const int MAX_HEIGHT = 16384;
const long DEFAULT_MAX_FRAMES = 3000;

struct options {
    int width = 640, height = 480, bpp = 32;
    bool fullscreen = false;
    bool headless = false;
    bool valist = false;
    bool once = false;
    bool exact_text = false;
    long max_frames = DEFAULT_MAX_FRAMES;  // per run of an effect; 0: unbounded
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

void on_instance_restart(void *)
{
    restart_requested = true;
}

// The effect playing now: an instance made through its module's descriptor, or (--valist)
// the module's own instance behind its five entry points.
mirvo_instance *playing = nullptr;

void usage(FILE *out)
{
    fprintf(out,
            "Usage: mirvo-play [options] EFFECT [PARAMS...] [+ EFFECT [PARAMS...]]...\n"
            "Plays effect modules one after the other; each moves on to the next when it\n"
            "has finished, and the sequence starts again after the last.\n"
            "PARAMS are values in the effect's order and/or NAME=VALUE pairs; a word is a\n"
            "NAME=VALUE pair only when NAME is one of the effect's parameters (so \"E=MC2\" is\n"
            "a positional text; write text=E=MC2 to name it). Numbers are decimal.\n"
            "Texts get trailing spaces so that they scroll off the screen before the effect\n"
            "ends.\n"
            "\n"
            "Options:\n"
            "  -W, --width N        window width, 1 to 16383 (default 640)\n"
            "  -H, --height N       window height, 1 to 16384 (default 480)\n"
            "  -b, --bpp N          bits per pixel: 8, 16, 24 or 32 (default 32)\n"
            "  -f, --fullscreen     full screen\n"
            "      --headless       no window: SDL's dummy video driver\n"
            "      --valist         initialise through the va_list entry point\n"
            "      --once           stop after the last effect instead of starting over\n"
            "      --max-frames N   end each effect after N frames even when it has not\n"
            "                       finished (default 3000; 0: no bound)\n"
            "      --exact-text     scroll the texts as given, without trailing spaces\n"
            "  -M, --module-dir DIR search DIR for modules first (may be repeated)\n"
            "  -l, --list           list the effect modules found and their parameters\n"
            "      --list-markdown  the tree's effects as a Markdown table (docs/effects.md)\n"
            "  -h, --help [EFFECT]  this help, or EFFECT's parameter table\n"
            "      --version        the version\n"
            "\n"
            "Escape or closing the window quits. MIRVO_FRAMES=N ends after N frames,\n"
            "MIRVO_CAPTURE=DIR writes every frame as PNG, MIRVO_NOWAIT=1 runs unpaced.\n"
            "Modules are searched in the -M folders, then $MIRVO_MODULE_PATH (folders\n"
            "separated by ':'), then the installed module folder beside the program; an\n"
            "effect is found by its name whatever its module file is called, or by a path.\n"
            "A font not found as given (default ../GFX/font.pcx) is read from\n"
            "$MIRVO_DATA_DIR/GFX/, then from the installed data folder share/mirvo/GFX/.\n");
}

// One parameter as a line of --list and --help EFFECT.
void print_param(const param_spec &p)
{
    const char *type = p.type == param_type::text ? "text" : "number";
    std::string range = p.type == param_type::text
                            ? std::string()
                            : " " + std::to_string(p.min) + ".." + std::to_string(p.max);
    std::string def = p.fallback ? p.fallback : "(from the window)";
    if (p.type == param_type::text && def.size() > 40)
        def = def.substr(0, 37) + "...";
    printf("  %-17s %s%s, default %s: %s\n", p.name, type, range.c_str(), def.c_str(), p.help);
}

void print_effect(const mirvo_effect_module &m)
{
    const mirvo_effect_descriptor *d = m.descriptor;
    printf("%s %s (%s, %s): %s\n", d->name, d->version ? d->version : "",
           d->filter ? "filter" : "source", m.file.c_str(), d->description ? d->description : "");
    for (const param_spec &p : register_effect(d).params)
        print_param(p);
}

// --list: the modules on the search path, each with its parameters.
int list_modules(const options &opt)
{
    std::vector<std::string> problems;
    std::vector<mirvo_effect_module> found = mirvo_find_effects(opt.module_dirs, problems);
    for (mirvo_effect_module &m : found)
        print_effect(m);
    for (const std::string &p : problems)
        fprintf(stderr, "mirvo-play: skipped %s\n", p.c_str());
    if (found.empty())
        fprintf(stderr, "mirvo-play: no effect modules found (searched %zu folders)\n",
                mirvo_module_search_path(opt.module_dirs).size());
    for (mirvo_effect_module &m : found)
        mirvo_unload_effect(m);
    return found.empty() ? 1 : 0;
}

// The names of the effects on the search path, separated by ", ".
std::string found_names(const options &opt)
{
    std::vector<std::string> problems;
    std::vector<mirvo_effect_module> found = mirvo_find_effects(opt.module_dirs, problems);
    std::string names;
    for (mirvo_effect_module &m : found) {
        names += (names.empty() ? "" : ", ") + m.name;
        mirvo_unload_effect(m);
    }
    return names.empty() ? "none" : names;
}

// --help EFFECT: that effect's parameter table.
int help_effect(const options &opt, const std::string &name)
{
    mirvo_effect_module m;
    std::string error;
    if (!mirvo_load_effect(name, m, error, opt.module_dirs)) {
        fprintf(stderr, "mirvo-play: %s\n", error.c_str());
        return 2;
    }
    print_effect(m);
    mirvo_unload_effect(m);
    return 0;
}

bool parse_int(const char *s, int min, int max, int &out)
{
    char *end = nullptr;
    long v = strtol(s, &end, 10);
    if (!*s || *s < '0' || *s > '9' || *end || v < min || v > max)
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
            error = setup.module + ": font: cannot read \"" + file + "\": not found (looked in " +
                    looked + ")";
            return false;
        }
        struct stat st;
        if (stat(found, &st) != 0 || !S_ISREG(st.st_mode)) {
            error = setup.module + ": font: cannot read \"" + file + "\": not a regular file";
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

// Starts the effect; false (with the effect's reason said) when it cannot start. With
// --valist the values are first tried on an instance, for the reason, and then handed to
// the module's va_list entry point.
bool start_effect(sequence_entry &e, const mirvo_effect_module &m, bool valist)
{
    restart_requested = false;
    const mirvo_effect_descriptor *d = m.descriptor;
    const std::vector<mirvo_value> values = e.setup.value_array();
    char why[300] = "";
    playing = d->make(screen, on_instance_restart, nullptr, values.data(), int(values.size()), why,
                      sizeof why);
    if (!playing) {
        fprintf(stderr, "mirvo-play: %s: the effect could not start: %s\n", d->name, why);
        return false;
    }
    if (valist) {
        d->free(playing);
        playing = nullptr;
        if (!m.init_effect_valist || !m.draw_effect || !m.free_effect) {
            fprintf(stderr, "mirvo-play: %s: the module has no %s_LTX_init_effect_valist\n",
                    d->name, d->name);
            return false;
        }
        call_init_valist(m.init_effect_valist, screen, on_restart, e.setup.values);
    }
    return true;
}

void draw_effect(const mirvo_effect_module &m)
{
    if (playing)
        m.descriptor->draw(playing);
    else
        m.draw_effect();
}

void stop_effect(const mirvo_effect_module &m)
{
    if (playing)
        m.descriptor->free(playing);
    else
        m.free_effect();
    playing = nullptr;
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

// Reads the options into `opt`. Returns -1 to go on with the sequence at argv[optind], or
// the status to exit with at once (help, lists, version, usage errors).
int parse_options(int argc, char **argv, options &opt)
{
    static const struct option long_options[] = {{"width", required_argument, nullptr, 'W'},
                                                 {"height", required_argument, nullptr, 'H'},
                                                 {"bpp", required_argument, nullptr, 'b'},
                                                 {"fullscreen", no_argument, nullptr, 'f'},
                                                 {"headless", no_argument, nullptr, 1},
                                                 {"valist", no_argument, nullptr, 2},
                                                 {"once", no_argument, nullptr, 3},
                                                 {"module-dir", required_argument, nullptr, 'M'},
                                                 {"max-frames", required_argument, nullptr, 4},
                                                 {"exact-text", no_argument, nullptr, 5},
                                                 {"list-markdown", no_argument, nullptr, 6},
                                                 {"list", no_argument, nullptr, 'l'},
                                                 {"help", no_argument, nullptr, 'h'},
                                                 {"version", no_argument, nullptr, 7},
                                                 {nullptr, 0, nullptr, 0}};
    int c;
    // '+': options end at the first effect name, so effect parameters are never options.
    while ((c = getopt_long(argc, argv, "+W:H:b:fM:lh", long_options, nullptr)) != -1) {
        switch (c) {
        case 'W':
            if (!parse_int(optarg, 1, MAX_WIDTH, opt.width))
                fail("--width: expected a whole number from 1 to " + std::to_string(MAX_WIDTH) +
                     ", got \"" + optarg + "\"");
            break;
        case 'H':
            if (!parse_int(optarg, 1, MAX_HEIGHT, opt.height))
                fail("--height: expected a whole number from 1 to " + std::to_string(MAX_HEIGHT) +
                     ", got \"" + optarg + "\"");
            break;
        case 'b':
            if (!parse_int(optarg, 8, 32, opt.bpp) || opt.bpp % 8 != 0)
                fail(std::string("--bpp: expected 8, 16, 24 or 32, got \"") + optarg + "\"");
            break;
        case 'f':
            opt.fullscreen = true;
            break;
        case 1:
            opt.headless = true;
            break;
        case 2:
            opt.valist = true;
            break;
        case 3:
            opt.once = true;
            break;
        case 4: {
            int n = 0;
            if (!parse_int(optarg, 0, 1000000000, n))
                fail(std::string("--max-frames: expected a whole number from 0 to 1000000000, "
                                 "got \"") +
                     optarg + "\"");
            opt.max_frames = n;
            break;
        }
        case 5:
            opt.exact_text = true;
            break;
        case 6:
            fputs(catalogue_markdown().c_str(), stdout);
            return 0;
        case 'M':
            opt.module_dirs.push_back(optarg);
            break;
        case 'l':
            return list_modules(opt);
        case 'h':
            if (optind < argc)
                return help_effect(opt, argv[optind]);
            usage(stdout);
            return 0;
        case 7:
            printf("mirvo-play %s\n", MIRVO_VERSION);
            return 0;
        default:
            usage(stderr);
            return 2;
        }
    }
    if (optind >= argc) {
        usage(stderr);
        return 2;
    }
    return -1;
}

// The sequence of words[first..]: effect names with their parameter words, separated by
// "+". Loads each module once into `modules`; any error ends the program (status 2).
std::vector<sequence_entry> read_sequence(int argc, char **argv, int first, const options &opt,
                                          std::vector<mirvo_effect_module> &modules)
{
    std::vector<sequence_entry> sequence;
    for (int i = first; i < argc;) {
        std::string name = argv[i++];
        if (name == SEPARATOR)
            fail("expected an effect name before \"+\"");
        std::vector<std::string> words;
        while (i < argc && std::string(argv[i]) != SEPARATOR)
            words.push_back(argv[i++]);
        if (i < argc && ++i == argc)
            fail("expected an effect name after \"+\"");

        size_t index = 0;
        while (index < modules.size() && modules[index].name != name)
            ++index;
        if (index == modules.size()) {
            mirvo_effect_module m;
            std::string error;
            if (!mirvo_load_effect(name, m, error, opt.module_dirs)) {
                if (error.rfind("no effect module", 0) == 0)
                    fail("unknown effect \"" + name + "\" (found: " + found_names(opt) + ")");
                fail(error);
            }
            // A module asked for by path or file name may be one already loaded.
            index = 0;
            while (index < modules.size() && modules[index].name != m.name)
                ++index;
            if (index == modules.size())
                modules.push_back(m);
            else
                mirvo_unload_effect(m);
        }
        const module_spec *desc = &register_effect(modules[index].descriptor);
        sequence_entry e;
        e.module_index = index;
        std::string error;
        if (!parse_effect_params(*desc, words, opt.width, opt.height, e.setup, error) ||
            !check_effect_fits(e.setup, opt.width, error) || !check_fonts(e.setup, error))
            fail(error);
        if (!opt.exact_text)
            pad_text(e.setup, leave_screen_padding(e.setup, opt.width));
        sequence.push_back(std::move(e));
    }
    return sequence;
}

// Plays the sequence on the open screen until Escape, window close, MIRVO_FRAMES or, with
// --once, the end of the last effect. Returns the exit status; the effect running at the
// end is freed.
int play(const options &opt, std::vector<mirvo_effect_module> &modules,
         std::vector<sequence_entry> &sequence, mirvo_run::FrameRun &run)
{
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));  // a filter may start first
    MIRVO_init_timer();
    SDL_WM_SetCaption("mirvo-play", "mirvo-play");
    MIRVO_set_fps(run.rate(FRAMES_PER_SECOND));

    size_t current = 0;
    long frames = 0;  // drawn by the current effect since it started
    if (!start_effect(sequence[current], modules[sequence[current].module_index], opt.valist))
        return 1;
    for (;;) {
        MIRVO_new_time();
        run.frameStarts();
        if (!process_events())
            break;
        restart_requested = false;
        draw_effect(modules[sequence[current].module_index]);
        ++frames;
        bool last_frame = false;
        if (restart_requested || (opt.max_frames > 0 && frames >= opt.max_frames)) {
            // The effect has finished (or had its frames): free it and start the next one,
            // which draws its first frame now (a filter over what the last one left).
            stop_effect(modules[sequence[current].module_index]);
            if (current + 1 == sequence.size() && opt.once) {
                last_frame = true;
            } else {
                current = (current + 1) % sequence.size();
                const mirvo_effect_module &m = modules[sequence[current].module_index];
                if (!start_effect(sequence[current], m, opt.valist))
                    return 1;
                frames = 1;
                draw_effect(m);
                // Finishing again at once is left for the next frame.
            }
        }
        std::string error;
        if (!run.frameDrawn(screen, error)) {
            // A capture that cannot be written ends the run: one line, no rate report.
            fprintf(stderr, "MIRVO: %s\n", error.c_str());
            if (!last_frame)
                stop_effect(modules[sequence[current].module_index]);
            return 1;
        }
        if (MIRVO_fps_ok())
            SDL_Flip(screen);
        if (last_frame)
            return 0;
    }
    stop_effect(modules[sequence[current].module_index]);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    options opt;
    int status = parse_options(argc, argv, opt);
    if (status >= 0)
        return status;
    std::vector<mirvo_effect_module> modules;
    std::vector<sequence_entry> sequence = read_sequence(argc, argv, optind, opt, modules);

    mirvo_run::FrameRun run;  // MIRVO_FRAMES, MIRVO_CAPTURE, MIRVO_NOWAIT
    std::string error;
    if (!run.captureFolderWritable(error))
        fail(error, 1);
    if (opt.headless) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    } else if (!getenv("SDL_VIDEODRIVER") && !(getenv("DISPLAY") && *getenv("DISPLAY"))) {
        // SDL would fall back to a text-mode driver and draw in the terminal.
        fail("no display: DISPLAY is not set (use --headless to run without a window)", 1);
    }
    Uint32 flags = SDL_SWSURFACE | (opt.fullscreen ? SDL_FULLSCREEN : 0);
    if (MIRVO_set_video(opt.width, opt.height, opt.bpp, flags)) {
        status = play(opt, modules, sequence, run);
    } else {
        fprintf(stderr, "mirvo-play: cannot open a %dx%dx%d window%s\n", opt.width, opt.height,
                opt.bpp, getenv("DISPLAY") ? "" : " (no DISPLAY: try --headless)");
        status = 1;
    }
    for (mirvo_effect_module &m : modules)
        mirvo_unload_effect(m);
    SDL_Quit();
    if (status == 0)
        MIRVO_print_fps();
    return status;
}
