// web_main.cpp - the browser program: the page's player driven by Emscripten's main loop at
// 50 frames per second, each frame handed to the page (page.js) to put on its canvas, and
// the C entry points that the page calls to choose, change, pause and step what plays.
//
// The main loop ticks 100 times a second on Emscripten's timer and draws a frame at each tick
// at which the next frame is due on a fixed 20 ms schedule, as the support library paces the
// native programs, so a late tick delays one frame and loses none. Measured in headless
// Chromium on this (loaded) machine: Emscripten's own 50 fps timing, which sets each tick
// 20 ms after the last one began, gave 42 to 48 frames a second, and the browser's
// animation frames themselves fell to 56 a second, which left 38 to 47 frames drawn.
#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "web_player.h"

namespace {

const int TICKS_PER_SECOND = 100;
const double FRAME_PERIOD_MS = 1000.0 / 50;
// A frame is drawn at the first tick that is no more than this early for it.
const double EARLY_MS = 2.0;
// After a longer stall (a hidden tab) the schedule starts afresh instead of racing.
const double STALL_MS = 250.0;
bool paused = false;
double due_ms = 0;
std::string last_error;
std::string last_json;

// Splits the page's words: one word per line, so a text may hold spaces.
std::vector<std::string> lines(const char *text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char *p = text; *p; ++p) {
        if (*p == '\n') {
            words.push_back(word);
            word.clear();
        } else {
            word += *p;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

void present()
{
    const uint8_t *pixels = mirvo_web::rgba();
    if (!pixels)
        return;
    EM_ASM(
        {
            if (Module.present)
                Module.present(HEAPU8.subarray($0, $0 + $1 * $2 * 4), $1, $2, $3);
        },
        pixels, mirvo_web::width(), mirvo_web::height(), int(mirvo_web::frame_number()));
}

void tick()
{
    const double now = emscripten_get_now();
    if (paused) {
        due_ms = now;
        return;
    }
    if (now < due_ms - EARLY_MS)
        return;
    due_ms = now - due_ms > STALL_MS ? now + FRAME_PERIOD_MS : due_ms + FRAME_PERIOD_MS;
    mirvo_web::frame();
    present();
}

}  // namespace

extern "C" {

// Starts a program: `words` one per line ("rasterwave", or effects as mirvo-play takes
// them); exact_text 1 plays the texts without trailing spaces. 0 on success, else -1
// (web_error says why). The new program's first frame comes with the next tick.
EMSCRIPTEN_KEEPALIVE int web_play(const char *words, int exact_text, int width, int height)
{
    mirvo_web::play_options options;
    options.exact_text = exact_text != 0;
    options.width = width;
    options.height = height;
    if (!mirvo_web::play(lines(words), options, last_error))
        return -1;
    last_error.clear();
    return 0;
}

// One frame now, shown at once (the page's "step"; also while paused).
EMSCRIPTEN_KEEPALIVE void web_frame(void)
{
    mirvo_web::frame();
    present();
}

EMSCRIPTEN_KEEPALIVE void web_pause(int on)
{
    paused = on != 0;
}

EMSCRIPTEN_KEEPALIVE double web_frame_number(void)
{
    return double(mirvo_web::frame_number());
}

EMSCRIPTEN_KEEPALIVE int web_width(void)
{
    return mirvo_web::width();
}

EMSCRIPTEN_KEEPALIVE int web_height(void)
{
    return mirvo_web::height();
}

EMSCRIPTEN_KEEPALIVE const uint8_t *web_rgba(void)
{
    return mirvo_web::rgba();
}

EMSCRIPTEN_KEEPALIVE int web_set_param(int entry, const char *name, const char *value)
{
    if (entry < 0 || !mirvo_web::set_param(size_t(entry), name, value, last_error))
        return -1;
    last_error.clear();
    return 0;
}

EMSCRIPTEN_KEEPALIVE const char *web_catalogue(void)
{
    last_json = mirvo_web::catalogue_json();
    return last_json.c_str();
}

EMSCRIPTEN_KEEPALIVE const char *web_sequence(void)
{
    last_json = mirvo_web::sequence_json();
    return last_json.c_str();
}

EMSCRIPTEN_KEEPALIVE const char *web_error(void)
{
    return last_error.c_str();
}

}  // extern "C"

int main()
{
    // "../GFX/font.pcx" is read relative to the working folder, as in the native programs.
    mkdir("/mirvo", 0755);
    if (chdir("/mirvo") != 0)
        return 1;
    // The page starts a program (web_play) once it has its controls; until then ticks idle.
    due_ms = emscripten_get_now();
    emscripten_set_main_loop(tick, TICKS_PER_SECOND, 0);
    return 0;
}
