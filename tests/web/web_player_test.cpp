// The page's player and its surface layer, in-process: the SDL 1.2 rules the effects' pixels
// depend on, the page's clock, starting programs and changing parameters. Runs in player/,
// where "../GFX/font.pcx" resolves. <SDL.h> here is the web surface layer's.
#include <SDL.h>
#include <SDL_image.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rasterwave_frame.h"
#include "web_player.h"

namespace {

// What the last test left running is freed before the leak check at exit.
class EndThePlayer : public ::testing::Environment {
public:
    void TearDown() override
    {
        mirvo_web::end();
    }
};
const ::testing::Environment *const end_the_player =
    ::testing::AddGlobalTestEnvironment(new EndThePlayer);

struct surface_deleter {
    void operator()(SDL_Surface *s) const
    {
        SDL_FreeSurface(s);
    }
};
using surface_ptr = std::unique_ptr<SDL_Surface, surface_deleter>;

surface_ptr make8(int w, int h)
{
    return surface_ptr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0));
}

surface_ptr make32(int w, int h)
{
    return surface_ptr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xff0000, 0xff00, 0xff, 0));
}

Uint8 &at8(SDL_Surface *s, int x, int y)
{
    return static_cast<Uint8 *>(s->pixels)[y * s->pitch + x];
}

Uint32 at32(SDL_Surface *s, int x, int y)
{
    Uint32 v;
    memcpy(&v, static_cast<Uint8 *>(s->pixels) + y * s->pitch + x * 4, 4);
    return v;
}

void setColor(SDL_Surface *s, int i, Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Color c = {r, g, b, 0};
    SDL_SetPalette(s, SDL_LOGPAL, &c, i, 1);
}

// boxflood steps from the rectangle a fill leaves behind: a wrong write-back moves the
// whole animation.
TEST(SurfaceLayer, FillWritesTheClippedRectangleBack)
{
    surface_ptr s = make8(480, 360);
    SDL_Rect partly = {-5, -5, 10, 10};
    SDL_FillRect(s.get(), &partly, 7);
    EXPECT_EQ(partly.x, 0);
    EXPECT_EQ(partly.y, 0);
    EXPECT_EQ(partly.w, 5);
    EXPECT_EQ(partly.h, 5);
    EXPECT_EQ(at8(s.get(), 4, 4), 7);
    EXPECT_EQ(at8(s.get(), 5, 4), 0);
    // Entirely to the right: x stays, the width becomes 0, the height is kept.
    SDL_Rect outside = {500, 10, 10, 10};
    SDL_FillRect(s.get(), &outside, 7);
    EXPECT_EQ(outside.x, 500);
    EXPECT_EQ(outside.w, 0);
    EXPECT_EQ(outside.h, 10);
}

// bouncetext reads a glyph from x = font_pos - 1, which is -1 for the first glyph: SDL cuts
// the column off and moves the destination one pixel right.
TEST(SurfaceLayer, BlitFromLeftOfTheSourceMovesTheDestination)
{
    surface_ptr src = make8(32, 32), dst = make8(480, 360);
    at8(src.get(), 0, 0) = 9;
    SDL_Rect from = {-1, 0, 16, 32};
    SDL_Rect to = {470, 350, 0, 0};
    ASSERT_EQ(SDL_BlitSurface(src.get(), &from, dst.get(), &to), 0);
    EXPECT_EQ(to.x, 471);
    EXPECT_EQ(to.y, 350);
    EXPECT_EQ(to.w, 9);   // 15 columns, clipped at the right edge
    EXPECT_EQ(to.h, 10);  // clipped at the bottom
    EXPECT_EQ(at8(dst.get(), 471, 350), 9);
    EXPECT_EQ(from.x, -1);  // the source rectangle is left as it was

    SDL_Rect away = {600, 350, 0, 0};
    EXPECT_EQ(SDL_BlitSurface(src.get(), &from, dst.get(), &away), 0);
    EXPECT_EQ(away.w, 0);
    EXPECT_EQ(away.h, 0);
}

// The scrollers move their strip two pixels left over itself; the last two columns keep
// their pixels.
TEST(SurfaceLayer, OverlappingBlitOnOneSurfaceShiftsLeft)
{
    surface_ptr s = make32(8, 2);
    for (int x = 0; x < 8; ++x)
        static_cast<Uint32 *>(s->pixels)[x] = Uint32(x + 1);
    SDL_Rect shift = {2, 0, 8, 2};
    SDL_Rect origin = {0, 0, 0, 0};
    SDL_BlitSurface(s.get(), &shift, s.get(), &origin);
    const Uint32 want[8] = {3, 4, 5, 6, 7, 8, 7, 8};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(at32(s.get(), x, 0), want[x]) << "column " << x;
}

// rasterwave's font colours on its 3-3-2 scroll surface: each green goes to the nearest of
// the eight green levels 0, 36, 73, 109, 146, 182, 219, 255 (indices 0, 4, 8, ... 28).
TEST(SurfaceLayer, BlitBetweenPalettesTakesTheNearestColour)
{
    SDL_Init(SDL_INIT_VIDEO);
    SDL_Surface *screen8 = SDL_SetVideoMode(480, 360, 8, SDL_HWPALETTE);
    ASSERT_NE(screen8, nullptr);
    surface_ptr font = make8(5, 1);
    const Uint8 greens[5] = {0, 64, 128, 200, 255};
    for (int i = 0; i < 5; ++i) {
        setColor(font.get(), i, 0, greens[i], 0);
        at8(font.get(), i, 0) = Uint8(i);
    }
    surface_ptr strip(SDL_DisplayFormat(font.get()));
    ASSERT_NE(strip, nullptr);
    SDL_FillRect(strip.get(), nullptr, 99);
    SDL_BlitSurface(font.get(), nullptr, strip.get(), nullptr);
    const Uint8 want[5] = {0, 8, 16, 20, 28};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(at8(strip.get(), i, 0), want[i]) << "green " << int(greens[i]);
    SDL_Quit();
}

// Equal palettes copy indices as they are, even an index whose colour appears earlier in
// the palette; one differing entry makes every index go through the nearest colour, and a
// twice-present colour then goes to its first entry.
TEST(SurfaceLayer, EqualPalettesCopyIndicesUnmapped)
{
    surface_ptr a = make8(1, 1), b = make8(1, 1);
    for (SDL_Surface *s : {a.get(), b.get()}) {
        setColor(s, 4, 0, 255, 0);
        setColor(s, 28, 0, 255, 0);
    }
    at8(a.get(), 0, 0) = 28;
    SDL_BlitSurface(a.get(), nullptr, b.get(), nullptr);
    EXPECT_EQ(at8(b.get(), 0, 0), 28);

    setColor(b.get(), 200, 1, 2, 3);
    SDL_BlitSurface(a.get(), nullptr, b.get(), nullptr);
    EXPECT_EQ(at8(b.get(), 0, 0), 4);
}

// The scrollers' glyphs and rasterwave's strip leave their colour-keyed (black) pixels out.
TEST(SurfaceLayer, ColourKeyedPixelsAreLeftOut)
{
    surface_ptr glyph = make8(2, 1);
    setColor(glyph.get(), 1, 0, 255, 0);
    at8(glyph.get(), 0, 0) = 0;
    at8(glyph.get(), 1, 0) = 1;
    SDL_SetColorKey(glyph.get(), SDL_SRCCOLORKEY, SDL_MapRGB(glyph->format, 0, 0, 0));
    surface_ptr target = make32(2, 1);
    SDL_FillRect(target.get(), nullptr, 0x123456);
    SDL_BlitSurface(glyph.get(), nullptr, target.get(), nullptr);
    EXPECT_EQ(at32(target.get(), 0, 0), 0x123456u);
    EXPECT_EQ(at32(target.get(), 1, 0), 0x00ff00u);
}

// boxflood maps its colour with alpha 0; on a screen without an alpha mask it must not show.
TEST(SurfaceLayer, MapRgbaOnAScreenWithoutAlpha)
{
    surface_ptr s = make32(1, 1);
    EXPECT_EQ(SDL_MapRGBA(s->format, 255, 160, 0, 0), 0xffa000u);
    EXPECT_EQ(SDL_MapRGB(s->format, 1, 2, 3), 0x010203u);
}

// The font as SDL_image reads it: 94 glyphs of 16 x 32 in one 8-bit row with the bar's
// greens in entries 1 to 4 of its palette.
TEST(SurfaceLayer, ReadsTheFontAsAnEightBitPicture)
{
    surface_ptr font(IMG_Load("../GFX/font.pcx"));
    ASSERT_NE(font, nullptr) << SDL_GetError();
    EXPECT_EQ(font->w, 94 * 16);
    EXPECT_EQ(font->h, 32);
    EXPECT_EQ(font->format->BitsPerPixel, 8);
    ASSERT_NE(font->format->palette, nullptr);
    const Uint8 greens[5] = {0, 64, 128, 200, 255};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(font->format->palette->colors[i].g, greens[i]);
        EXPECT_EQ(font->format->palette->colors[i].r, 0);
    }
    // The space glyph is empty; "!" (glyph 1) is not.
    int space = 0, bang = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 16; ++x) {
            space += at8(font.get(), x, y) != 0;
            bang += at8(font.get(), 16 + x, y) != 0;
        }
    EXPECT_EQ(space, 0);
    EXPECT_GT(bang, 0);
    EXPECT_EQ(IMG_Load("../GFX/no-such-font.pcx"), nullptr);
}

std::vector<uint8_t> frameAfter(int frames)
{
    for (int i = 0; i < frames; ++i)
        mirvo_web::frame();
    const uint8_t *p = mirvo_web::rgba();
    return std::vector<uint8_t>(p, p + size_t(mirvo_web::width()) * mirvo_web::height() * 4);
}

mirvo_web::play_options exact()
{
    mirvo_web::play_options o;
    o.exact_text = true;
    return o;
}

// rasterwave's pause is read from SDL_GetTicks: with the page's clock (20 ms a frame) the
// first pause mark, printed in frame 70, holds the text until frame 220, whatever the speed
// the page draws at.
TEST(WebPlayer, RasterwavePausesOneHundredAndFiftyFrames)
{
    std::string error;
    ASSERT_TRUE(mirvo_web::play({"rasterwave"}, exact(), error)) << error;
    frameAfter(69);
    EXPECT_EQ(rasterwave::stopscroller, 0);
    EXPECT_EQ(mirvo_web::clock_ms(), 69u * 20u);
    frameAfter(1);
    EXPECT_EQ(rasterwave::stopscroller, 1);
    frameAfter(149);
    EXPECT_EQ(rasterwave::stopscroller, 1) << "frame 219";
    frameAfter(1);
    EXPECT_EQ(rasterwave::stopscroller, 0) << "frame 220";
    EXPECT_EQ(mirvo_web::width(), 480);
    EXPECT_EQ(mirvo_web::height(), 360);
}

// Playing rasterwave again starts it from its first frame: no state of the last run left.
TEST(WebPlayer, RasterwaveStartsAfreshEachTime)
{
    std::string error;
    ASSERT_TRUE(mirvo_web::play({"rasterwave"}, exact(), error));
    const std::vector<uint8_t> first = frameAfter(30);
    frameAfter(100);
    ASSERT_TRUE(mirvo_web::play({"rasterwave"}, exact(), error));
    EXPECT_TRUE(frameAfter(30) == first);
    EXPECT_EQ(mirvo_web::frame_number(), 30u);
}

bool allBlack(const std::vector<uint8_t> &rgba)
{
    for (size_t i = 0; i < rgba.size(); i += 4)
        if (rgba[i] || rgba[i + 1] || rgba[i + 2])
            return false;
    return true;
}

// A changed number reaches the running instance: the next frame draws the text where it
// was, on the new wave (a restart would show black for 80 frames, the text's leading
// spaces), and the run goes on as one with that amplitude from there.
TEST(WebPlayer, ChangedParameterTakesEffectWhileTheEffectRuns)
{
    std::string error;
    ASSERT_TRUE(mirvo_web::play({"wavetext"}, exact(), error)) << error;
    frameAfter(119);
    const std::vector<uint8_t> unchanged = frameAfter(1);
    ASSERT_TRUE(mirvo_web::play({"wavetext"}, exact(), error));
    frameAfter(119);
    ASSERT_TRUE(mirvo_web::set_param(0, "amplitude", "60", error)) << error;
    const std::vector<uint8_t> changed = frameAfter(1);
    EXPECT_FALSE(allBlack(changed)) << "the effect started again";
    EXPECT_TRUE(changed != unchanged) << "the new amplitude did not reach the frame";
    EXPECT_EQ(mirvo_web::frame_number(), 120u);
    EXPECT_NE(mirvo_web::sequence_json().find("\"amplitude\":60"), std::string::npos);
}

// A value is checked as mirvo-play checks it, and a refused one changes nothing.
TEST(WebPlayer, RefusedParameterNamesWhatIsWrong)
{
    std::string error;
    ASSERT_TRUE(mirvo_web::play({"wavetext", "+", "boxflood"}, exact(), error));
    EXPECT_FALSE(mirvo_web::set_param(0, "amplitude", "70000", error));
    EXPECT_NE(error.find("amplitude"), std::string::npos) << error;
    EXPECT_NE(error.find("65535"), std::string::npos) << error;
    EXPECT_FALSE(mirvo_web::set_param(1, "colour", "1", error));
    EXPECT_NE(error.find("colour"), std::string::npos) << error;
    EXPECT_FALSE(mirvo_web::set_param(2, "rate", "1", error));
    EXPECT_NE(mirvo_web::sequence_json().find("\"amplitude\":100"), std::string::npos);
    // An effect that is not running keeps the value for its next start.
    EXPECT_TRUE(mirvo_web::set_param(1, "red", "0", error)) << error;
    EXPECT_NE(mirvo_web::sequence_json().find("\"red\":0"), std::string::npos);
}

TEST(WebPlayer, RefusesWhatMirvoPlayRefuses)
{
    std::string error;
    EXPECT_FALSE(mirvo_web::play({"sparkles"}, exact(), error));
    EXPECT_NE(error.find("sparkles"), std::string::npos);
    EXPECT_FALSE(mirvo_web::play({"wavetext", "+"}, exact(), error));
    EXPECT_FALSE(mirvo_web::play({"boxflood", "rate=300"}, exact(), error));
    EXPECT_FALSE(mirvo_web::play({"wavetext", "font=../GFX/none.pcx"}, exact(), error));
    EXPECT_NE(error.find("none.pcx"), std::string::npos);
    EXPECT_EQ(mirvo_web::width(), 0) << "nothing runs after a refusal";
}

// The page builds its controls from the catalogue; the surface-dependent defaults are the
// screen's width and its height less a glyph (640 and 448 for 640 x 480).
TEST(WebPlayer, CatalogueHasEveryParameterWithItsDefault)
{
    std::string error;
    ASSERT_TRUE(mirvo_web::play({"bouncetext"}, exact(), error));
    const std::string json = mirvo_web::catalogue_json();
    for (const char *name : {"\"boxflood\"", "\"wavetext\"", "\"bouncetext\"", "\"slice_width\"",
                             "\"character_height\""})
        EXPECT_NE(json.find(name), std::string::npos) << name;
    EXPECT_NE(json.find("{\"name\":\"width\",\"type\":\"number\",\"min\":0,\"max\":65535,"
                        "\"default\":640"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"default\":448"), std::string::npos);
    // What the page shows for each: a choice with its values' words, a colour's components,
    // a file, a unit.
    EXPECT_NE(json.find("{\"name\":\"direction\",\"type\":\"number\",\"min\":0,\"max\":255,"
                        "\"default\":1,\"help\":\"1 grows from the centre, 0 shrinks to the "
                        "centre\",\"label\":\"Direction\",\"control\":\"choice\",\"choices\":[{"
                        "\"value\":1,\"label\":\"grow from the centre\"},{\"value\":0,\"label\":"
                        "\"shrink to the centre\"}]}"),
              std::string::npos)
        << json;
    for (const char *component : {"red", "green", "blue"})
        EXPECT_NE(
            json.find(std::string("\"control\":\"colour\",\"component\":\"") + component + "\""),
            std::string::npos)
            << component;
    EXPECT_NE(json.find("\"label\":\"Font image\",\"control\":\"file\"}"), std::string::npos);
    EXPECT_NE(json.find("\"label\":\"Slice width\",\"control\":\"number\",\"unit\":\"px\"}"),
              std::string::npos);
}

}  // namespace
