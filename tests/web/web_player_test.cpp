// The page's player in-process: its screen (the 8-bit display's palette), the page's clock,
// starting programs and changing parameters. Runs in player/, where "../GFX/font.pcx"
// resolves. <SDL.h> here is the surface layer's (its SDL rules: tests/surfaces/).
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

Uint8 &at8(SDL_Surface *s, int x, int y)
{
    return static_cast<Uint8 *>(s->pixels)[y * s->pitch + x];
}

void setColor(SDL_Surface *s, int i, Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Color c = {r, g, b, 0};
    SDL_SetPalette(s, SDL_LOGPAL, &c, i, 1);
}

// rasterwave's font colours on its 3-3-2 scroll surface: each green goes to the nearest of
// the eight green levels 0, 36, 73, 109, 146, 182, 219, 255 (indices 0, 4, 8, ... 28).
TEST(WebScreen, FontOnTheEightBitScreenTakesTheNearestColour)
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

#ifdef MIRVO_WEB_INSTANCES
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
#else
// A changed number takes effect at once: the effect starts again with it and draws what a
// fresh start with that value draws.
TEST(WebPlayer, ChangedParameterRestartsTheEffectWithIt)
{
    std::string error;
    // The text's first letter ("M" after four spaces) is on screen from frame 80 on.
    ASSERT_TRUE(mirvo_web::play({"wavetext", "amplitude=60"}, exact(), error)) << error;
    const std::vector<uint8_t> fresh = frameAfter(120);
    EXPECT_FALSE(allBlack(fresh));

    ASSERT_TRUE(mirvo_web::play({"wavetext"}, exact(), error));
    const std::vector<uint8_t> before = frameAfter(120);
    EXPECT_TRUE(before != fresh) << "amplitude 60 and 100 must draw differently";
    ASSERT_TRUE(mirvo_web::set_param(0, "amplitude", "60", error)) << error;
    EXPECT_TRUE(frameAfter(120) == fresh);
    EXPECT_NE(mirvo_web::sequence_json().find("\"amplitude\":60"), std::string::npos);
}
#endif

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
}

}  // namespace
