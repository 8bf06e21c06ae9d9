// web_player.h - what the page runs: rasterwave, or a sequence of effects played as
// mirvo-play plays them, one frame per call, on a screen surface whose pixels the page
// shows. The same code runs natively (mirvo-web-frames) so that its frames can be checked
// against the native programs without a browser.
#ifndef MIRVO_WEB_PLAYER_H
#define MIRVO_WEB_PLAYER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mirvo_web {

const int FRAME_MS = 20;  // the page's clock moves on 20 ms with every frame (50 per second)

struct play_options {
    int width = 640, height = 480;  // the effects' screen (rasterwave's is always 480 x 360)
    bool exact_text = false;        // as mirvo-play --exact-text: no trailing spaces
    long max_frames = 3000;         // as mirvo-play --max-frames (0: no bound)
};

// Starts `words`: either {"rasterwave"} or an effect sequence written as mirvo-play takes
// it, e.g. {"wavetext", "amplitude=60", "+", "boxflood", "0", "2"}. What ran before is
// stopped. On a bad word returns false with a one-line `error`, and nothing runs.
bool play(const std::vector<std::string> &words, const play_options &options, std::string &error);

// Draws the next frame. Nothing happens before a successful play().
void frame();

// Stops what runs and frees all it made (play() does this itself before it starts anew).
void end();

// Frames drawn since play(), and the page clock in milliseconds (20 per frame begun).
unsigned long frame_number();
uint32_t clock_ms();

int width();
int height();
// The screen as RGBA bytes, top row first, alpha 255 (valid until the next call).
const uint8_t *rgba();

// Changes parameter `name` of the sequence's effect number `entry` (counted from 0) to
// `value`, written as on mirvo-play's command line. The running effect starts again with
// it; an effect that is not running uses it from its next start. False with `error` when
// the value is refused, by the checks or by the running effect: then nothing changes.
bool set_param(size_t entry, const std::string &name, const std::string &value, std::string &error);

// Every effect's parameters, as JSON: [{"module":..., "params":[{"name", "type", "min",
// "max", "default", "help"}]}], defaults worked out for the current screen size.
std::string catalogue_json();
// The running sequence, as JSON: {"program":..., "current":N, "entries":[{"module":...,
// "values":{name: value}}]}, texts without the padding the player adds.
std::string sequence_json();

}  // namespace mirvo_web

#endif
