// Drives an effect module in-process, loaded through the player's own loader, on
// software surfaces, with test fonts whose every glyph pixel tells where it came from.
#ifndef MIRVO_TEST_EFFECT_HARNESS_H
#define MIRVO_TEST_EFFECT_HARNESS_H

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "effect_loader.h"
#include "effect_params.h"
#include "run_program.h"
#include "surface_helpers.h"

namespace fx_test {

using mirvotest::SurfaceFree;
using mirvotest::SurfacePtr;

// A 32-bit software target like the player's window (no alpha channel).
inline SurfacePtr makeTarget(int w, int h)
{
    return mirvotest::makeSurface(w, h, 32);
}

inline Uint32 rgb(Uint8 r, Uint8 g, Uint8 b)
{
    return (Uint32)r << 16 | (Uint32)g << 8 | b;
}

// The colour at (x, y) of a 32-bit target, without the unused top byte.
inline Uint32 pixel(SDL_Surface *s, int x, int y)
{
    return mirvotest::pixelAt(s, x, y) & 0xffffff;
}

inline void fill(SDL_Surface *s, Uint32 colour)
{
    SDL_FillRect(s, nullptr, colour);
}

inline bool allPixels(SDL_Surface *s, Uint32 colour)
{
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if (pixel(s, x, y) != colour)
                return false;
    return true;
}

inline bool sameSurface(SDL_Surface *a, SDL_Surface *b)
{
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (pixel(a, x, y) != pixel(b, x, y))
                return false;
    return true;
}

inline SurfacePtr copyOf(SDL_Surface *s)
{
    SurfacePtr c = makeTarget(s->w, s->h);
    SDL_BlitSurface(s, nullptr, c.get(), nullptr);
    return c;
}

// Glyph k, pixel (column c, row r) of a test font: red 16 + k, green 100 + c, blue
// 200 - r, never black, so a drawn pixel names its glyph, column and row.
inline Uint32 glyphColour(int k, int c, int r)
{
    return rgb((Uint8)(16 + k), (Uint8)(100 + c), (Uint8)(200 - r));
}

// Characters of the test fonts, in glyph order.
const char *const TEST_CHARACTERS = "ABCDEFGHIJKLMNOP";

// Writes a BMP font of `glyphs` cells of cw x ch in a temporary folder; returns its path.
// With `blank_right`, the last two columns of every cell are black (no ink), as in the
// bundled font.
inline std::string makeFont(int cw, int ch, int glyphs = 16, bool blank_right = false)
{
    static int serial = 0;
    static std::string dir = mirvo_test::makeTempDir("fxfont");
    SDL_Surface *font =
        SDL_CreateRGBSurface(SDL_SWSURFACE, cw * glyphs, ch, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
    for (int k = 0; k < glyphs; ++k)
        for (int r = 0; r < ch; ++r)
            for (int c = 0; c < cw; ++c) {
                Uint8 *p = (Uint8 *)font->pixels + r * font->pitch + (k * cw + c) * 3;
                Uint32 v = blank_right && c >= cw - 2 ? 0 : glyphColour(k, c, r);
                p[0] = (Uint8)v;  // little-endian 24-bit: blue, green, red
                p[1] = (Uint8)(v >> 8);
                p[2] = (Uint8)(v >> 16);
            }
    std::string path = dir + "/font" + std::to_string(serial++) + "_" + std::to_string(cw) + "x" +
                       std::to_string(ch) + ".bmp";
    SDL_SaveBMP(font, path.c_str());
    SDL_FreeSurface(font);
    return path;
}

// Restart calls seen since the last reset.
inline int &restartCount()
{
    static int count = 0;
    return count;
}
inline void countRestart(void)
{
    ++restartCount();
}

// One module loaded for a test, unloaded (and freed when started) at the end.
class Effect {
public:
    explicit Effect(const std::string &name)
    {
        std::string error;
        loaded_ = mirvo_load_effect(name, module_, error);
        EXPECT_TRUE(loaded_) << error;
        spec_ = find_module_spec(name);
    }
    ~Effect()
    {
        if (started_)
            module_.free_effect();
        mirvo_unload_effect(module_);
    }
    bool loaded() const
    {
        return loaded_;
    }
    const mirvo_effect_module &module() const
    {
        return module_;
    }

    // Starts the effect on `s` with the words a user would give the player.
    void start(SDL_Surface *s, const std::vector<std::string> &words, bool valist = false,
               mirvo_restart_fn restart = countRestart)
    {
        ASSERT_TRUE(loaded_);
        std::string error;
        ASSERT_TRUE(parse_effect_params(*spec_, words, s->w, s->h, setup_, error)) << error;
        restartCount() = 0;
        if (valist)
            call_init_valist(module_.init_effect_valist, s, restart, setup_.values);
        else
            module_.init_effect(s, restart, setup_.argument_list());
        started_ = true;
    }
    void draw()
    {
        module_.draw_effect();
    }
    void draw(int frames)
    {
        for (int i = 0; i < frames; ++i)
            module_.draw_effect();
    }
    void free()
    {
        module_.free_effect();
        started_ = false;
    }

private:
    mirvo_effect_module module_;
    const module_spec *spec_ = nullptr;
    effect_setup setup_;
    bool loaded_ = false;
    bool started_ = false;
};

// The tables' angle: i degrees with the effects' one-degree step, in single precision.
inline double tableAngle(int i)
{
    return (double)(float)(i * 0.0174532);
}

}  // namespace fx_test

#endif
