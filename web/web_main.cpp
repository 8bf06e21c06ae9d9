// web_main.cpp - the browser program: the page's player and the C entry points that the
// page (page.js) calls to choose, change and draw what plays. The page paces the frames
// itself on the browser's animation frames (50 a second on a fixed 20 ms schedule), so
// nothing runs here between its calls: no work while it is paused or its tab is hidden.
// Each frame drawn is handed to the page to put on its canvas.
#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "web_player.h"

namespace {

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

}  // namespace

extern "C" {

// Starts a program: `words` one per line ("rasterwave", or effects as mirvo-play takes
// them); exact_text 1 plays the texts without trailing spaces. 0 on success, else -1
// (web_error says why). Its first frame comes with the next web_frame.
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

// The next frame, drawn and shown at once.
EMSCRIPTEN_KEEPALIVE void web_frame(void)
{
    mirvo_web::frame();
    present();
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
    return 0;
}
