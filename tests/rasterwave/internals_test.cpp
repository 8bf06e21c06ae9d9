// rasterwave's tables, text and glyph lookup, its frame steps, and its key and quit
// handling, tested through the unit the program links.
#include <gtest/gtest.h>
#include <mirvo.h>

#include "rasterwave_frame.h"

#include <SDL_image.h>

#include <algorithm>
#include <string>
#include <unistd.h>

using namespace rasterwave;

namespace {

// ---- tables -----------------------------------------------------------------------------

TEST(RasterwaveTables, WaveKeepsTheStripTopBetweenRows106And254)
{
    build_tables();
    EXPECT_EQ(aSin[0], 180);
    EXPECT_EQ(aSin[30], 217);  // 180 + trunc(75 * 0.4999994)
    EXPECT_EQ(aSin[90], 254);  // 75 * sin just under 1 truncates to 74
    EXPECT_EQ(aSin[180], 180);
    EXPECT_EQ(aSin[270], 106);  // truncated toward zero: -74, not -75
    EXPECT_EQ(*std::min_element(aSin, aSin + 360), 106);
    EXPECT_EQ(*std::max_element(aSin, aSin + 360), 254);
}

TEST(RasterwaveTables, TwistHoldsOnePeriodOfHeightsWithinPlusMinus99)
{
    build_tables();
    EXPECT_EQ(aSin2[0], 0);
    EXPECT_EQ(aSin2[248], 0);  // sin of just under pi, truncated
    EXPECT_EQ(aSin2[124], 99);
    EXPECT_EQ(aSin2[372], -99);
    EXPECT_EQ(*std::min_element(aSin2, aSin2 + 496), -99);
    EXPECT_EQ(*std::max_element(aSin2, aSin2 + 496), 99);
    for (int i = 1; i < 248; ++i)
        EXPECT_GT(aSin2[i], 0) << i;  // in front for the first half period...
    for (int i = 249; i < 496; ++i)
        EXPECT_LT(aSin2[i], 0) << i;  // ...behind for the second
}

// ---- the text and the font's characters -------------------------------------------------

TEST(RasterwaveText, HoldsTheScrollTextWithTwoPauseMarks)
{
    const std::string t = text;
    EXPECT_EQ(t.size(), 125u);
    EXPECT_EQ(t.substr(0, 10), " MIRVO   \"");
    EXPECT_EQ(t.find('"'), 9u);
    EXPECT_EQ(t.find('"', 10), 52u);
    EXPECT_EQ(std::count(t.begin(), t.end(), '"'), 2);
    EXPECT_EQ(t.substr(10, 42), "     - CHEERS -           HALVARD         ");
    EXPECT_EQ(t.substr(53),
              "  -    STARTING OVER AGAIN IN -      9  8  7  6  5  4  3  2  1          ");
    for (char c : t) {
        if (c == '"')
            continue;
        EXPECT_NE(strchr(characters, c), nullptr) << "'" << c << "' is not in the font";
    }
}

TEST(RasterwaveText, CharactersRunFromSpaceToTildeWithoutTheDoubleQuote)
{
    std::string want;
    for (int c = 32; c <= 126; ++c)
        if (c != '"')
            want += (char)c;
    EXPECT_EQ(std::string(characters), want);
    EXPECT_EQ(std::string(characters), std::string(MIRVO_FONT1_CHARACTERS));
}

// ---- glyph lookup -----------------------------------------------------------------------

TEST(RasterwaveGlyphs, GlyphKIsReadOnePixelLeftOfItsCell)
{
    EXPECT_EQ(compute_font_pos(' '), 0);
    EXPECT_EQ(compute_font_pos('!'), 15);
    EXPECT_EQ(compute_font_pos('#'), 31);
    EXPECT_EQ(compute_font_pos('0'), 16 * 15 - 1);
    EXPECT_EQ(compute_font_pos('A'), 16 * 32 - 1);
    EXPECT_EQ(compute_font_pos('M'), 16 * 44 - 1);
    EXPECT_EQ(compute_font_pos('~'), 16 * 93 - 1);
}

TEST(RasterwaveGlyphs, CharacterMissingFromTheFontShowsTheSpace)
{
    stopscroller = 0;
    for (char c : {'\t', '\n', '\x7f', '\x80', '\xff'})
        EXPECT_EQ(compute_font_pos(c), 0) << (int)(unsigned char)c;
    EXPECT_EQ(stopscroller, 0);
}

TEST(RasterwaveGlyphs, PauseMarkShowsTheSpaceAndStartsThePause)
{
    SDL_Init(0);
    stopscroller = 0;
    Uint32 before = SDL_GetTicks();
    EXPECT_EQ(compute_font_pos('"'), 0);
    Uint32 after = SDL_GetTicks();
    EXPECT_EQ(stopscroller, 1);
    EXPECT_GE(rasterwave::time, before);
    EXPECT_LE(rasterwave::time, after);
    stopscroller = 0;
    SDL_Quit();
}

TEST(RasterwaveGlyphs, EndOfTextRestartsWithTheFirstCharacterAndNoPause)
{
    stopscroller = 0;
    text_pointer = text + sizeof text - 1;          // at the terminating NUL
    EXPECT_EQ(compute_font_pos(*text_pointer), 0);  // the leading space
    EXPECT_EQ(text_pointer, text + 1);
    EXPECT_EQ(stopscroller, 0);
    text_pointer = text;
}

// ---- set-up, scrolling, keys and quitting -----------------------------------------------

// The real set-up on the dummy video driver, run from a folder next to GFX/.
class RasterwaveSetUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(chdir(RASTERWAVE_RUN_DIR), 0);
        ASSERT_NE(MIRVO_set_video(SCREEN_W, SCREEN_H, 8, VIDEO_FLAGS), 0);
        text_pointer = text;
        stopscroller = 0;
        init();
        ASSERT_NE(font_surface, nullptr);
    }
    void TearDown() override
    {
        SDL_FreeSurface(scroll_surface);
        SDL_FreeSurface(font_surface);
        SDL_FreeSurface(copy_surface);
        SDL_FreeSurface(flipped_surface);
        scroll_surface = font_surface = copy_surface = flipped_surface = nullptr;
        SDL_Quit();
    }
    static Uint8 pixel(SDL_Surface *s, int x, int y)
    {
        return ((Uint8 *)s->pixels)[y * s->pitch + x];
    }
};

TEST_F(RasterwaveSetUp, MakesThe512By32StripSurfacesAndThePalette)
{
    EXPECT_EQ(scroll_surface->w, 512);
    EXPECT_EQ(scroll_surface->h, 32);
    EXPECT_EQ(scroll_surface->format->BitsPerPixel, 8);
    EXPECT_EQ(copy_surface->w, 512);
    EXPECT_EQ(flipped_surface->h, 32);
    const Uint8 greens[5] = {0, 64, 128, 200, 255};
    for (int i = 0; i < 5; ++i) {
        for (SDL_Surface *s : {screen, copy_surface}) {
            const SDL_Color &c = s->format->palette->colors[i];
            EXPECT_EQ(c.r, 0);
            EXPECT_EQ(c.g, greens[i]);
            EXPECT_EQ(c.b, 0);
        }
    }
    // Only key presses and quit requests get through.
    EXPECT_EQ(SDL_EventState(SDL_KEYDOWN, SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SDL_EventState(SDL_QUIT, SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SDL_EventState(SDL_KEYUP, SDL_QUERY), SDL_IGNORE);
    EXPECT_EQ(SDL_EventState(SDL_MOUSEMOTION, SDL_QUERY), SDL_IGNORE);
}

TEST_F(RasterwaveSetUp, ScrollMovesTwoColumnsAFrameAndPrintsEverySeventhFrame)
{
    // A marker column shows where the text goes.
    ((Uint8 *)scroll_surface->pixels)[5 * scroll_surface->pitch + 300] = 4;
    text_pointer = text + 1;  // the "M"
    unsigned step = 0;
    SDL_Rect shift = {2, 0, 512, 32};
    for (int f = 1; f <= 6; ++f) {
        scroll_text(step, shift);
        EXPECT_EQ(step, (unsigned)(2 * f));
    }
    EXPECT_EQ(pixel(scroll_surface, 300 - 12, 5), 4);
    EXPECT_EQ(text_pointer, text + 1) << "nothing printed in the first six frames";
    scroll_text(step, shift);
    EXPECT_EQ(step, 0u);
    EXPECT_EQ(pixel(scroll_surface, 300 - 14, 5), 4);
    EXPECT_EQ(text_pointer, text + 2);
    // The M's cell went to columns 496 .. 511, read from one pixel left of its cell.
    int m = 16 * 44 - 1;
    int inked = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 16; ++x) {
            bool font_ink = ((Uint8 *)font_surface->pixels)[y * font_surface->pitch + m + x] != 0;
            EXPECT_EQ(pixel(scroll_surface, 496 + x, y) != 0, font_ink) << x << "," << y;
            inked += font_ink;
        }
    EXPECT_GT(inked, 50);
}

TEST_F(RasterwaveSetUp, PausedScrollMovesNothingUntilMoreThan2999MsHavePassed)
{
    ((Uint8 *)scroll_surface->pixels)[5 * scroll_surface->pitch + 300] = 4;
    unsigned step = 4;
    SDL_Rect shift = {2, 0, 512, 32};
    stopscroller = 1;
    rasterwave::time = SDL_GetTicks();  // just begun
    scroll_text(step, shift);
    EXPECT_EQ(stopscroller, 1);
    EXPECT_EQ(step, 4u);
    EXPECT_EQ(pixel(scroll_surface, 300, 5), 4);
    rasterwave::time = SDL_GetTicks() - 3000;  // begun 3000 ms ago
    scroll_text(step, shift);
    EXPECT_EQ(stopscroller, 0);
    EXPECT_EQ(step, 4u) << "the frame that ends the pause does not move";
    EXPECT_EQ(pixel(scroll_surface, 300, 5), 4);
    scroll_text(step, shift);
    EXPECT_EQ(pixel(scroll_surface, 298, 5), 4);
}

TEST_F(RasterwaveSetUp, TwistPutsTheBarOverColumnsBehindItAndMovesTheTwistOn)
{
    sin_index = 0;
    twist_strip();
    EXPECT_EQ(sin_index, 512 % 496) << "one twist entry per strip column";
    // Column 300 has a negative height (behind the bar): the bar's seven rows lie over it.
    ASSERT_LT(aSin2[300], 0);
    const Uint8 bar_rows[7] = {1, 2, 3, 4, 3, 2, 1};
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(pixel(copy_surface, 300, BAR_TOP_ROW + r), bar_rows[r]) << r;
    EXPECT_EQ(pixel(copy_surface, 300, BAR_TOP_ROW - 1), 0);
    EXPECT_EQ(pixel(copy_surface, 300, BAR_TOP_ROW + 7), 0);
}

TEST_F(RasterwaveSetUp, PlaceLaysStripColumnXPlus16AtTheWaveHeightOfX)
{
    SDL_FillRect(copy_surface, NULL, 0);
    for (int x : {0, 100, 479})
        ((Uint8 *)copy_surface->pixels)[x + STRIP_SHOWN_FROM] = 4;  // row 0 of the strip
    unsigned phase = 359;
    place_strip(phase);
    EXPECT_EQ(phase, 0u) << "the wave moves one step a frame and wraps at 360";
    for (int x : {0, 100, 479}) {
        const int top = aSin[(x + 359) % WAVE_STEPS];
        EXPECT_EQ(pixel(screen, x, top), 4) << x;
        EXPECT_EQ(pixel(screen, x, top + 1), 0) << x;
    }
}

void pushKey(SDLKey sym)
{
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

TEST_F(RasterwaveSetUp, OtherKeysAreIgnored)
{
    pushKey(SDLK_SPACE);
    pushKey(SDLK_q);
    process_events();
    SDL_Event e;
    EXPECT_EQ(SDL_PollEvent(&e), 0) << "every pending event is taken";
}

using RasterwaveSetUpDeathTest = RasterwaveSetUp;

TEST_F(RasterwaveSetUpDeathTest, EscapeQuitsWithStatus0)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            pushKey(SDLK_ESCAPE);
            process_events();
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(RasterwaveSetUpDeathTest, WindowCloseQuitsWithStatus0)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SDL_Event e;
            memset(&e, 0, sizeof e);
            e.type = SDL_QUIT;
            SDL_PushEvent(&e);
            process_events();
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(RasterwaveQuitDeathTest, QuitBeforeAnySurfaceExistsFreesNothing)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            scroll_surface = font_surface = copy_surface = flipped_surface = nullptr;
            quit(1);
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
