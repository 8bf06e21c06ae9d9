// The effects draw the same frames whichever SDL 1.2 they run on. Two SDLs differ where
// SDL leaves things open: what SDL_FillRect writes back for an empty rectangle (classic
// SDL 1.2 keeps the clipped x and y, sdl12-compat writes (0, 0, 0, 0)) and the palette of
// a new 8-bit surface (classic: all black; sdl12-compat: all white). This program stands
// in for SDL's SDL_FillRect and SDL_CreateRGBSurface (it exports its own, which the
// modules then call) and makes them behave as the one or the other does, whichever SDL it
// runs on; the frames must not change, and Debian 12's (classic SDL's) are the reference.
#include "effect_harness.h"

#include <dlfcn.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace fx_test;

namespace {

enum class Behaviour { native, classic, compat };
Behaviour behaviour = Behaviour::native;
long fill_calls = 0;    // calls that reached the stand-in
long new_paletted = 0;  // 8-bit surfaces made while acting as sdl12-compat

// Acts as classic SDL 1.2 or as sdl12-compat while it lives.
struct ActAs {
    explicit ActAs(Behaviour b)
    {
        behaviour = b;
    }
    ~ActAs()
    {
        behaviour = Behaviour::native;
    }
};
struct CompatMode : ActAs {
    CompatMode() : ActAs(Behaviour::compat) { }
};
struct ClassicMode : ActAs {
    ClassicMode() : ActAs(Behaviour::classic) { }
};

// Classic SDL 1.2's write-back: the rectangle cut to the surface, an empty one keeping
// its cut x and y.
SDL_Rect classicClip(const SDL_Rect &r, const SDL_Surface *s)
{
    const int x0 = std::max<int>(r.x, 0), x1 = std::min<int>(r.x + r.w, s->w);
    const int y0 = std::max<int>(r.y, 0), y1 = std::min<int>(r.y + r.h, s->h);
    return SDL_Rect{(Sint16)x0, (Sint16)y0, (Uint16)std::max(x1 - x0, 0),
                    (Uint16)std::max(y1 - y0, 0)};
}

}  // namespace

extern "C" int SDL_FillRect(SDL_Surface *dst, SDL_Rect *dstrect, Uint32 color)
{
    using fill_fn = int (*)(SDL_Surface *, SDL_Rect *, Uint32);
    static const fill_fn real = reinterpret_cast<fill_fn>(dlsym(RTLD_NEXT, "SDL_FillRect"));
    ++fill_calls;
    const SDL_Rect given = dstrect ? *dstrect : SDL_Rect{0, 0, 0, 0};
    const int result = real(dst, dstrect, color);
    if (dstrect && behaviour == Behaviour::classic)
        *dstrect = classicClip(given, dst);
    if (dstrect && behaviour == Behaviour::compat) {
        *dstrect = classicClip(given, dst);
        if (dstrect->w == 0 || dstrect->h == 0)
            *dstrect = SDL_Rect{0, 0, 0, 0};
    }
    return result;
}

extern "C" SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth,
                                             Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
{
    using create_fn = SDL_Surface *(*)(Uint32, int, int, int, Uint32, Uint32, Uint32, Uint32);
    static const create_fn real =
        reinterpret_cast<create_fn>(dlsym(RTLD_NEXT, "SDL_CreateRGBSurface"));
    SDL_Surface *s = real(flags, width, height, depth, Rmask, Gmask, Bmask, Amask);
    if (behaviour != Behaviour::native && s && s->format->palette) {
        const Uint8 v = behaviour == Behaviour::compat ? 255 : 0;
        new_paletted += behaviour == Behaviour::compat;
        std::vector<SDL_Color> colors(s->format->palette->ncolors, SDL_Color{v, v, v, 0});
        SDL_SetColors(s, colors.data(), 0, (int)colors.size());
    }
    return s;
}

namespace {

// boxflood's pictures on a black 640 x 480 target, frame by frame until it restarts.
std::vector<SurfacePtr> boxfloodFrames(const std::vector<std::string> &words)
{
    Effect fx("boxflood");
    SurfacePtr s = makeTarget(640, 480);
    fill(s.get(), 0);
    fx.start(s.get(), words);
    std::vector<SurfacePtr> frames;
    while (restartCount() == 0 && frames.size() < 400) {
        fx.draw();
        frames.push_back(copyOf(s.get()));
    }
    return frames;
}

// An 8-bit target whose palette runs from white (0) to black (255): the colour of pixel
// value 0 is the opposite of black, so a strip that is not cleared to black shows.
SurfacePtr paletteTarget(int w, int h)
{
    SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0));
    std::vector<SDL_Color> colors(256);
    for (int i = 0; i < 256; ++i) {
        const Uint8 v = (Uint8)(255 - i);
        colors[i] = SDL_Color{v, v, v, 0};
    }
    SDL_SetColors(s.get(), colors.data(), 0, 256);
    return s;
}

Uint8 index8(SDL_Surface *s, int x, int y)
{
    return ((const Uint8 *)s->pixels)[y * s->pitch + x];
}

// wavetext with the bundled 8-bit PCX font, as the player draws it at 8 bits.
std::vector<std::vector<Uint8>> wavetextFrames8(const std::string &font, int frames)
{
    Effect fx("wavetext");
    SurfacePtr s = paletteTarget(320, 240);
    fx.start(s.get(), {"text=ABCDEFGH", "font=" + font, "amplitude=60", "slice_width=2"});
    std::vector<std::vector<Uint8>> out;
    for (int f = 0; f < frames; ++f) {
        fx.draw();
        std::vector<Uint8> picture;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x)
                picture.push_back(index8(s.get(), x, y));
        out.push_back(picture);
    }
    return out;
}

}  // namespace

TEST(SdlVariants, StandInsActAsEitherSdlAndReachTheModules)
{
    SurfacePtr s = makeTarget(16, 16);
    {
        ClassicMode on;
        SDL_Rect empty{5, 6, 0, 3}, across{-4, 10, 30, 30};
        SDL_FillRect(s.get(), &empty, 0);
        SDL_FillRect(s.get(), &across, 0);
        EXPECT_EQ(empty.x, 5);
        EXPECT_EQ(empty.y, 6);
        EXPECT_EQ(across.x, 0);
        EXPECT_EQ(across.w, 16);
        EXPECT_EQ(across.h, 6);
        SurfacePtr p(SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 8, 0, 0, 0, 0));
        EXPECT_EQ(p->format->palette->colors[0].r, 0);
    }
    {
        CompatMode on;
        SDL_Rect empty{5, 6, 0, 3};
        SDL_FillRect(s.get(), &empty, 0);
        EXPECT_EQ(empty.x, 0);
        EXPECT_EQ(empty.y, 0);
        SurfacePtr p(SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 8, 0, 0, 0, 0));
        EXPECT_EQ(p->format->palette->colors[0].r, 255);
    }
    fill_calls = 0;
    boxfloodFrames({"0", "2", "255", "0", "0"});
    EXPECT_GT(fill_calls, 100);  // the module's fills go through the stand-in
}

// Growing from the centre starts with an empty rectangle: the next step must start from
// (316, 237), not from the (0, 0) that sdl12-compat writes back, or the flood grows from
// the top-left corner.
TEST(SdlVariants, BoxfloodGrowsFromTheCentreUnderBothFillWriteBacks)
{
    for (const char *rate : {"4", "2", "6"}) {
        std::vector<SurfacePtr> classic, other;
        {
            ClassicMode on;
            classic = boxfloodFrames({"1", rate, "255", "0", "0"});
        }
        {
            CompatMode on;
            other = boxfloodFrames({"1", rate, "255", "0", "0"});
        }
        ASSERT_EQ(classic.size(), other.size()) << "rate " << rate;
        for (size_t k = 0; k < classic.size(); ++k)
            ASSERT_TRUE(sameSurface(classic[k].get(), other[k].get()))
                << "rate " << rate << " frame " << k + 1;
    }
    // The documented start at rate 4: the first fill is empty, the second (316, 237, 8, 6).
    CompatMode on;
    std::vector<SurfacePtr> frames = boxfloodFrames({"1", "4", "255", "0", "0"});
    ASSERT_EQ(frames.size(), 81u);  // the 81st call restarts
    EXPECT_TRUE(allPixels(frames[0].get(), 0));
    EXPECT_EQ(pixel(frames[1].get(), 316, 237), rgb(255, 0, 0));
    EXPECT_EQ(pixel(frames[1].get(), 323, 242), rgb(255, 0, 0));
    EXPECT_EQ(pixel(frames[1].get(), 315, 237), 0u);
    EXPECT_EQ(pixel(frames[1].get(), 0, 0), 0u);
}

// At 8 bits the wave's band is black until glyphs are drawn on it, whatever colour a new
// 8-bit surface's palette gives pixel value 0.
TEST(SdlVariants, WavetextBandAt8BitsIsBlackWhateverANewPaletteHolds)
{
    const std::string font = std::string(PLAYER_SOURCE_DIR) + "/../GFX/font.pcx";
    std::vector<std::vector<Uint8>> classic, other;
    {
        ClassicMode on;
        classic = wavetextFrames8(font, 70);
    }
    new_paletted = 0;
    {
        CompatMode on;
        other = wavetextFrames8(font, 70);
    }
    EXPECT_GT(new_paletted, 0);
    const Uint8 black = 255;
    for (int f = 0; f < 16; ++f)  // no glyph has scrolled in yet
        for (Uint8 v : classic[f])
            ASSERT_EQ(v, black) << "frame " << f + 1;
    for (int f = 0; f < 70; ++f)
        ASSERT_TRUE(classic[f] == other[f]) << "frame " << f + 1;
    bool glyphs = false;
    for (Uint8 v : classic[69])
        glyphs |= v != black;
    EXPECT_TRUE(glyphs);
}
