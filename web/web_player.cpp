// web_player.cpp - rasterwave and the effect sequence for the page, linked statically: the
// effects' and rasterwave's own sources, the support library's surface and scroller code
// and the player's parameter tables, over the surface layer (surfaces/). This file holds what
// differs from the native programs: no module loading, no pacing of its own (the page calls
// frame() 50 times a second), a clock that moves 20 ms a frame, and the data files in the
// page's own file tree.
#include "web_player.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "effect_params.h"
#include "mirvo.h"
#include "mirvo_effect.h"
#include "rasterwave_frame.h"

MIRVO_EFFECT_ENTRY_POINTS(boxflood);
MIRVO_EFFECT_ENTRY_POINTS(wavetext);
MIRVO_EFFECT_ENTRY_POINTS(bouncetext);

using mirvo_web::play_options;

namespace {

uint32_t page_clock_ms = 0;

// The entry points of an effect linked into this program. Effects that serve instances
// (mirvo_effect.h declares NAME_LTX_make_instance; the build then defines
// MIRVO_WEB_INSTANCES) are played as one instance each, and a changed number reaches the
// running instance through its parameter entry point; otherwise the module's one default
// effect is played through the five entry points and starts again with a changed value.
struct linked_effect {
    const char *name;
    mirvo_init_effect_fn init;
    mirvo_draw_effect_fn draw;
    mirvo_free_effect_fn free;
#ifdef MIRVO_WEB_INSTANCES
    mirvo_make_instance_fn make_instance;
    mirvo_draw_instance_fn draw_instance;
    mirvo_set_instance_parameter_fn set_instance_parameter;
    mirvo_free_instance_fn free_instance;
#endif
};

#ifdef MIRVO_WEB_INSTANCES
#define MIRVO_WEB_LINKED(module)                                                                   \
    {                                                                                              \
#module, module##_LTX_init_effect, module##_LTX_draw_effect, module##_LTX_free_effect,     \
            module##_LTX_make_instance, module##_LTX_draw_instance,                                \
            module##_LTX_set_instance_parameter, module##_LTX_free_instance                        \
    }
#else
#define MIRVO_WEB_LINKED(module)                                                                   \
    {                                                                                              \
#module, module##_LTX_init_effect, module##_LTX_draw_effect, module##_LTX_free_effect      \
    }
#endif

const linked_effect LINKED[] = {MIRVO_WEB_LINKED(boxflood), MIRVO_WEB_LINKED(wavetext),
                                MIRVO_WEB_LINKED(bouncetext)};

const linked_effect *find_linked(const std::string &name)
{
    for (const linked_effect &e : LINKED)
        if (name == e.name)
            return &e;
    return nullptr;
}

struct entry {
    std::vector<std::string> words;  // as given (parameter words after the name)
    effect_setup setup;              // parsed, padded unless exact_text
    const linked_effect *effect = nullptr;
#ifdef MIRVO_WEB_INSTANCES
    mirvo_instance *instance = nullptr;
#endif
};

enum class program { none, rasterwave, effects };

struct state {
    program running = program::none;
    play_options options;
    std::vector<entry> sequence;
    size_t current = 0;
    long frames_of_current = 0;
    bool effect_live = false;
    unsigned long frames = 0;
    // rasterwave's frame loop locals
    unsigned scroll_step = 0, wave_phase = 0;
    std::vector<uint8_t> rgba;
};

state the;
bool restart_requested = false;

#ifdef MIRVO_WEB_INSTANCES
void on_instance_restart(void *)
{
    restart_requested = true;
}
#else
void on_restart(void)
{
    restart_requested = true;
}
#endif

// A scroller effect whose font cannot be read would stay uninitialised: refuse it first,
// as mirvo-play does.
bool font_readable(const effect_setup &setup, std::string &error)
{
    const module_spec *desc = find_module_spec(setup.module);
    for (size_t i = 0; i < desc->params.size(); ++i) {
        if (std::string(desc->params[i].name) != "font")
            continue;
        const std::string &file = setup.values[i].text;
        SDL_Surface *font = IMG_Load(file.c_str());
        if (!font) {
            error = setup.module + ": font: cannot read \"" + file + "\": " + SDL_GetError();
            return false;
        }
        SDL_FreeSurface(font);
    }
    return true;
}

bool parse_entry(entry &e, std::string &error)
{
    const module_spec *desc = find_module_spec(e.setup.module);
    const std::string module = e.setup.module;
    if (!parse_effect_params(*desc, e.words, the.options.width, the.options.height, e.setup,
                             error) ||
        !check_effect_fits(e.setup, the.options.width, error) || !font_readable(e.setup, error))
        return false;
    if (!the.options.exact_text)
        pad_text(e.setup, leave_screen_padding(e.setup, the.options.width));
    e.effect = find_linked(module);
    return true;
}

void stop_effect()
{
    entry &e = the.sequence[the.current];
    if (the.effect_live) {
#ifdef MIRVO_WEB_INSTANCES
        e.effect->free_instance(e.instance);
        e.instance = nullptr;
#else
        e.effect->free();
#endif
    }
    the.effect_live = false;
}

void start_effect()
{
    entry &e = the.sequence[the.current];
    restart_requested = false;
#ifdef MIRVO_WEB_INSTANCES
    char why[256] = "";
    e.instance = e.effect->make_instance(screen, on_instance_restart, nullptr,
                                         e.setup.argument_list(), why, sizeof why);
    // The parameters were checked before; one that still fails is said on the console and
    // the effect counts as finished, so the sequence goes on.
    if (!e.instance) {
        fprintf(stderr, "%s: %s\n", e.setup.module.c_str(), why);
        restart_requested = true;
    }
#else
    e.effect->init(screen, on_restart, e.setup.argument_list());
#endif
    the.effect_live = true;
    the.frames_of_current = 0;
}

void draw_effect()
{
    entry &e = the.sequence[the.current];
#ifdef MIRVO_WEB_INSTANCES
    if (e.instance)
        e.effect->draw_instance(e.instance);
#else
    e.effect->draw();
#endif
}

void stop_rasterwave()
{
    using namespace rasterwave;
    SDL_FreeSurface(scroll_surface);
    SDL_FreeSurface(font_surface);
    SDL_FreeSurface(copy_surface);
    SDL_FreeSurface(flipped_surface);
    scroll_surface = font_surface = copy_surface = flipped_surface = nullptr;
}

void stop()
{
    if (the.running == program::effects)
        stop_effect();
    else if (the.running == program::rasterwave)
        stop_rasterwave();
    the.running = program::none;
    the.sequence.clear();
    SDL_Quit();
    screen = nullptr;
}

// rasterwave's start-up as its main() does it, from a fresh program state.
bool start_rasterwave(std::string &error)
{
    using namespace rasterwave;
    text_pointer = text;
    stopscroller = 0;
    rasterwave::time = 0;
    sin_index = 0;
    the.scroll_step = the.wave_phase = 0;
    SDL_Init(SDL_INIT_VIDEO);
    if (!MIRVO_set_video(SCREEN_W, SCREEN_H, 8, VIDEO_FLAGS)) {
        error = std::string("rasterwave: cannot set the video mode: ") + SDL_GetError();
        return false;
    }
    SDL_Surface *font = IMG_Load(FONT_FILE);
    if (!font) {
        error =
            std::string("rasterwave: cannot load the font ") + FONT_FILE + ": " + SDL_GetError();
        return false;
    }
    SDL_FreeSurface(font);
    init();
    MIRVO_set_fps(FPS);
    SDL_SetColorKey(copy_surface, SDL_SRCCOLORKEY, SDL_MapRGB(screen->format, 0, 0, 0));
    return true;
}

}  // namespace

// The support library's pacing: the page paces the frames itself.
extern "C" {
void MIRVO_init_timer(void) { }
void MIRVO_set_fps(int) { }
void MIRVO_new_time(void) { }
int MIRVO_fps_ok(void)
{
    return 1;
}
void MIRVO_print_fps(void) { }

// The data files lie in the page's file tree as the relative paths name them.
const char *MIRVO_find_data(const char *path, const char **looked)
{
    if (looked)
        *looked = path ? path : "";
    if (!path)
        return nullptr;
    FILE *f = fopen(path, "rb");
    if (!f)
        return nullptr;
    fclose(f);
    return path;
}

// The page's clock: frame f (counted from 1) runs at 20 f ms, so rasterwave's three-second
// pause lasts 150 frames however fast the page draws, and a paused page stops the clock.
Uint32 SDL_GetTicks(void)
{
    return page_clock_ms;
}
}

namespace mirvo_web {

void end()
{
    stop();
}

bool play(const std::vector<std::string> &words, const play_options &options, std::string &error)
{
    stop();
    the = state();
    the.options = options;
    the.frames = 0;
    page_clock_ms = 0;
    if (words.empty()) {
        error = "nothing to play";
        return false;
    }
    if (words.size() == 1 && words[0] == "rasterwave") {
        if (!start_rasterwave(error)) {
            stop();
            return false;
        }
        the.running = program::rasterwave;
        return true;
    }
    if (options.width < 1 || options.width > MAX_SURFACE_WIDTH || options.height < 1 ||
        options.height > 16384) {
        error = "the screen must be 1 to 16383 pixels wide and 1 to 16384 high";
        return false;
    }
    std::vector<entry> sequence;
    for (size_t i = 0; i < words.size();) {
        const std::string name = words[i++];
        if (name == "+") {
            error = "expected an effect name before \"+\"";
            return false;
        }
        entry e;
        while (i < words.size() && words[i] != "+")
            e.words.push_back(words[i++]);
        if (i < words.size() && ++i == words.size()) {
            error = "expected an effect name after \"+\"";
            return false;
        }
        if (!find_module_spec(name) || !find_linked(name)) {
            error = "unknown effect \"" + name +
                    "\" (known: rasterwave, boxflood, wavetext, bouncetext)";
            return false;
        }
        e.setup.module = name;
        if (!parse_entry(e, error))
            return false;
        sequence.push_back(std::move(e));
    }
    SDL_Init(SDL_INIT_VIDEO);
    if (!MIRVO_set_video(options.width, options.height, 32, SDL_SWSURFACE)) {
        error = std::string("cannot set the video mode: ") + SDL_GetError();
        stop();
        return false;
    }
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));  // a filter may start first
    the.sequence = std::move(sequence);
    the.running = program::effects;
    the.current = 0;
    start_effect();
    return true;
}

void frame()
{
    if (the.running == program::none)
        return;
    page_clock_ms += FRAME_MS;
    ++the.frames;
    if (the.running == program::rasterwave) {
        using namespace rasterwave;
        const SDL_Rect shift_source = {SCROLL_SPEED, 0, STRIP_W, STRIP_H};
        scroll_text(the.scroll_step, shift_source);
        twist_strip();
        place_strip(the.wave_phase);
        return;
    }
    // As mirvo-play: a finished effect (or one that has had its frames) is freed and the
    // next one starts and draws its first frame at once.
    restart_requested = false;
    draw_effect();
    ++the.frames_of_current;
    if (restart_requested ||
        (the.options.max_frames > 0 && the.frames_of_current >= the.options.max_frames)) {
        stop_effect();
        the.current = (the.current + 1) % the.sequence.size();
        start_effect();
        the.frames_of_current = 1;
        if (!restart_requested)
            draw_effect();
    }
}

unsigned long frame_number()
{
    return the.frames;
}

uint32_t clock_ms()
{
    return page_clock_ms;
}

int width()
{
    return screen ? screen->w : 0;
}

int height()
{
    return screen ? screen->h : 0;
}

const uint8_t *rgba()
{
    if (!screen)
        return nullptr;
    const int w = screen->w, h = screen->h;
    the.rgba.resize(size_t(w) * size_t(h) * 4);
    uint8_t *out = the.rgba.data();
    const SDL_PixelFormat *f = screen->format;
    // An 8-bit screen goes through its palette, looked up once per frame.
    uint8_t palette[256][4] = {};
    if (f->BytesPerPixel == 1 && f->palette)
        for (int i = 0; i < f->palette->ncolors && i < 256; ++i) {
            palette[i][0] = f->palette->colors[i].r;
            palette[i][1] = f->palette->colors[i].g;
            palette[i][2] = f->palette->colors[i].b;
            palette[i][3] = 255;
        }
    for (int y = 0; y < h; ++y) {
        const uint8_t *row = static_cast<const uint8_t *>(screen->pixels) + y * screen->pitch;
        if (f->BytesPerPixel == 4 && f->Rmask == 0xff0000 && f->Gmask == 0xff00 &&
            f->Bmask == 0xff) {
            for (int x = 0; x < w; ++x, out += 4) {
                uint32_t p;
                memcpy(&p, row + x * 4, 4);
                out[0] = uint8_t(p >> 16);
                out[1] = uint8_t(p >> 8);
                out[2] = uint8_t(p);
                out[3] = 255;
            }
            continue;
        }
        if (f->BytesPerPixel == 1) {
            for (int x = 0; x < w; ++x, out += 4)
                memcpy(out, &palette[row[x]], 4);
            continue;
        }
        for (int x = 0; x < w; ++x, out += 4) {
            const uint8_t *p = row + x * f->BytesPerPixel;
            uint32_t v = 0;
            memcpy(&v, p, f->BytesPerPixel);
            SDL_GetRGB(v, f, &out[0], &out[1], &out[2]);
            out[3] = 255;
        }
    }
    return the.rgba.data();
}

bool set_param(size_t index, const std::string &name, const std::string &value, std::string &error)
{
    if (the.running != program::effects || index >= the.sequence.size()) {
        error = "no effect number " + std::to_string(index) + " is playing";
        return false;
    }
    entry &e = the.sequence[index];
    const module_spec *desc = find_module_spec(e.setup.module);
    bool known = false;
    for (const param_spec &p : desc->params)
        known = known || name == p.name;
    if (!known) {
        error = e.setup.module + ": no parameter \"" + name + "\"";
        return false;
    }
    // The words again, every parameter named (positional ones too), the changed one last.
    effect_setup plain;
    if (!parse_effect_params(*desc, e.words, the.options.width, the.options.height, plain, error))
        return false;
    entry changed;
    changed.setup.module = e.setup.module;
    const std::string prefix = name + "=";
    for (size_t k = 0; k < plain.values.size(); ++k) {
        const param_value &v = plain.values[k];
        if (name == desc->params[k].name)
            continue;
        changed.words.push_back(std::string(desc->params[k].name) + "=" +
                                (v.type == param_type::u8    ? std::to_string(v.u8)
                                 : v.type == param_type::u16 ? std::to_string(v.u16)
                                                             : v.text));
    }
    changed.words.push_back(prefix + value);
    if (!parse_entry(changed, error))
        return false;
    const bool running_now = the.effect_live && index == the.current;
#ifdef MIRVO_WEB_INSTANCES
    if (running_now && e.instance) {
        // The instance is given the new value at once. The setup keeps the value the
        // instance holds (it points at the setup's texts): a value the instance refuses is
        // taken back and the one before given again, so the words stay what plays.
        size_t k = 0;
        while (desc->params[k].name != name)
            ++k;
        param_value &v = e.setup.values[k];
        const auto give = [&](char *why, size_t why_size) {
            const char *text = v.text.c_str();
            const void *p = v.type == param_type::u8    ? static_cast<const void *>(&v.u8)
                            : v.type == param_type::u16 ? static_cast<const void *>(&v.u16)
                                                        : static_cast<const void *>(&text);
            return e.effect->set_instance_parameter(e.instance, int(k), p, why, why_size) != 0;
        };
        param_value before = v;
        v = changed.setup.values[k];
        char why[256] = "";
        if (!give(why, sizeof why)) {
            error = e.setup.module + ": " + name + ": " + why;
            v = std::move(before);
            e.setup.argument_list();
            char again[256] = "";
            if (!give(again, sizeof again)) {
                stop_effect();
                start_effect();
            }
            return false;
        }
        e.words = std::move(changed.words);
        e.setup.argument_list();  // the nodes point at the value's new place
        return true;
    }
#endif
    if (running_now)
        stop_effect();
    e = std::move(changed);
    if (running_now)
        start_effect();
    return true;
}

namespace {

std::string json_string(const std::string &s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string value_text(const param_value &v)
{
    switch (v.type) {
    case param_type::u8:
        return std::to_string(v.u8);
    case param_type::u16:
        return std::to_string(v.u16);
    default:
        return json_string(v.text);
    }
}

}  // namespace

std::string catalogue_json()
{
    std::string out = "[";
    for (const module_spec &m : known_modules()) {
        effect_setup defaults;
        std::string error;
        parse_effect_params(m, {}, the.options.width, the.options.height, defaults, error);
        out += std::string(out.size() > 1 ? "," : "") + "{\"module\":" + json_string(m.module) +
               ",\"params\":[";
        for (size_t i = 0; i < m.params.size(); ++i) {
            const param_spec &p = m.params[i];
            out += std::string(i ? "," : "") + "{\"name\":" + json_string(p.name) +
                   ",\"type\":" + json_string(p.type == param_type::text ? "text" : "number") +
                   ",\"min\":" + std::to_string(p.min) + ",\"max\":" + std::to_string(p.max) +
                   ",\"default\":" +
                   (i < defaults.values.size() ? value_text(defaults.values[i]) : "null") +
                   ",\"help\":" + json_string(p.help) + "}";
        }
        out += "]}";
    }
    return out + "]";
}

std::string sequence_json()
{
    const char *names[] = {"none", "rasterwave", "effects"};
    std::string out = "{\"program\":" + json_string(names[int(the.running)]) +
                      ",\"current\":" + std::to_string(the.current) + ",\"entries\":[";
    for (size_t i = 0; i < the.sequence.size(); ++i) {
        const entry &e = the.sequence[i];
        const module_spec *desc = find_module_spec(e.setup.module);
        out += std::string(i ? "," : "") + "{\"module\":" + json_string(e.setup.module) +
               ",\"values\":{";
        // Parsed again without the padding, so the page shows the text as given.
        effect_setup plain;
        std::string error;
        parse_effect_params(*desc, e.words, the.options.width, the.options.height, plain, error);
        for (size_t k = 0; k < plain.values.size(); ++k)
            out += std::string(k ? "," : "") + json_string(desc->params[k].name) + ":" +
                   value_text(plain.values[k]);
        out += "}}";
    }
    return out + "]}";
}

}  // namespace mirvo_web
