// bouncetext: entry rhythm, pool exhaustion, recycling, clipping, and the mended faults.
#include "effect_harness.h"

#include "output_capture.h"
#include <algorithm>
#include <climits>

using namespace fx_test;

namespace {

const Uint32 BACKGROUND = 0x010203;

// Entry j of the bounce table for a bounce height: angles 0 to 179 twice, 180 to 359 once.
int bounceRow(int height, int j)
{
    int centery = height / 2;
    int angle = j < 360 ? j / 2 : j - 180;
    return centery - (int)std::trunc(centery * std::sin(tableAngle(angle)));
}

std::vector<std::string> words(const std::string &font, const std::string &text, int cw, int ch,
                               int width, int height)
{
    return {"text=" + text,
            "font=" + font,
            std::string("characters=") + TEST_CHARACTERS,
            "character_width=" + std::to_string(cw),
            "character_height=" + std::to_string(ch),
            "width=" + std::to_string(width),
            "height=" + std::to_string(height)};
}

bool columnBlack(SDL_Surface *s, int x)
{
    for (int y = 0; y < s->h; ++y)
        if (pixel(s, x, y) != 0)
            return false;
    return true;
}

// The first row of column x that is not black, or -1.
int topRow(SDL_Surface *s, int x)
{
    for (int y = 0; y < s->h; ++y)
        if (pixel(s, x, y) != 0)
            return y;
    return -1;
}

// A letter entered in this frame: it is drawn from x = width - 3, and the previous letter,
// 33 pixels further left, leaves column width - 4 black.
bool entered(SDL_Surface *s, int width)
{
    return !columnBlack(s, width - 3) && columnBlack(s, width - 4);
}

}  // namespace

TEST(BouncetextTable, HeightTwoHundredRunsFromOneTo199AroundTheMiddle)
{
    std::vector<int> t;
    for (int j = 0; j < 540; ++j)
        t.push_back(bounceRow(200, j));
    EXPECT_EQ(t[0], 100);
    EXPECT_EQ(*std::min_element(t.begin(), t.end()), 1);
    EXPECT_EQ(*std::max_element(t.begin(), t.end()), 199);
}

TEST(BouncetextRhythm, LettersEnterElevenFramesApartFromFrame12)
{
    Effect fx("bouncetext");
    ASSERT_TRUE(fx.loaded());
    EXPECT_EQ(fx.module().is_filter(), 0);
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(16, 32), std::string(40, 'B'), 16, 32, 640, 200));
    for (int f = 1; f <= 120; ++f) {
        fx.draw();
        bool due = f >= 12 && (f - 12) % 11 == 0;
        ASSERT_EQ(entered(s.get(), 640), due) << "frame " << f;
    }
    // The letter that entered in frame 111 has moved 3 pixels a frame since.
    fx.draw(4);  // frame 124
    EXPECT_FALSE(columnBlack(s.get(), 640 - 3 * 14));
    EXPECT_TRUE(columnBlack(s.get(), 640 - 3 * 14 - 1));
}

// Width 640, character width 32: 20 letters; a letter is free 225 frames after it entered,
// so the 21st entry check finds none and the next letter comes 22 frames after the last.
TEST(BouncetextPool, ExhaustedPoolLeavesAGapOf22FramesEvery20Letters)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(32, 32), std::string(100, 'B'), 32, 32, 640, 200));
    std::vector<int> entries;
    for (int f = 1; f <= 500; ++f) {
        fx.draw();
        if (entered(s.get(), 640))
            entries.push_back(f);
    }
    std::vector<int> expected;
    for (int i = 0; i < 20; ++i)
        expected.push_back(12 + 11 * i);  // 12 .. 221
    for (int i = 0; i < 20; ++i)
        expected.push_back(243 + 11 * i);  // 243 .. 452
    for (int f = 474; f <= 500; f += 11)
        expected.push_back(f);  // the third round, 22 frames after 452
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(restartCount(), 0);
}

TEST(BouncetextPool, NarrowFontAcrossHalfTheScreenNeverRunsOut)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(320, 240);
    fx.start(s.get(), words(makeFont(16, 32), std::string(100, 'B'), 16, 32, 320, 200));
    int count = 0;
    for (int f = 1; f <= 600; ++f) {
        fx.draw();
        bool due = f >= 12 && (f - 12) % 11 == 0;
        ASSERT_EQ(entered(s.get(), 320), due) << "frame " << f;
        count += due;
    }
    EXPECT_EQ(count, 54);
}

TEST(BouncetextLetters, RecycledLetterIsDrawnAtWidthLess3WithBounceEntry8)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(32, 32), std::string(100, 'B'), 32, 32, 640, 200));
    fx.draw(243);  // letter 0 is taken again in frame 243
    int y = bounceRow(200, 8);
    EXPECT_EQ(y, 94);
    // The glyph is read from one pixel left of its font position: x 637 shows the last
    // column of the glyph before it (glyph 0), x 638 the first column of 'B' (glyph 1).
    EXPECT_EQ(pixel(s.get(), 637, y), glyphColour(0, 31, 0));
    EXPECT_EQ(pixel(s.get(), 638, y), glyphColour(1, 0, 0));
    EXPECT_EQ(pixel(s.get(), 639, y + 31), glyphColour(1, 1, 31));
    EXPECT_EQ(topRow(s.get(), 638), y);
}

TEST(BouncetextLetters, GlyphAtFontPositionZeroIsReadFromXMinusOne)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(32, 32), "AAAA", 32, 32, 640, 200));
    fx.draw(12);
    int y = bounceRow(200, 8);
    // Source x -1 is clipped by the blit: glyph column 0 lands one pixel right, at 638.
    EXPECT_TRUE(columnBlack(s.get(), 637));
    EXPECT_EQ(pixel(s.get(), 638, y), glyphColour(0, 0, 0));
    EXPECT_EQ(pixel(s.get(), 639, y), glyphColour(0, 1, 0));
}

TEST(BouncetextLetters, LeavingLetterIsCutOffAtTheLeftEdge)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(32, 32), std::string(100, 'B'), 32, 32, 640, 200));
    // Letter 0 entered in frame 12 at 640: in frame 225 its x is 640 - 3 * 214 = -2.
    fx.draw(225);
    int y = bounceRow(200, 8 * 214 % 540);
    EXPECT_EQ(pixel(s.get(), 0, y), glyphColour(1, 1, 0));        // columns 0 and 1 cut off
    EXPECT_EQ(pixel(s.get(), 29, y + 5), glyphColour(1, 30, 5));  // 30 columns drawn
    EXPECT_TRUE(columnBlack(s.get(), 30));                        // next letter at x 31
    EXPECT_EQ(topRow(s.get(), 0), y);
}

TEST(BouncetextPool, AreaNarrowerThanALetterDrawsBlackAndTakesNoCharacter)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(64, 64);
    fill(s.get(), BACKGROUND);
    fx.start(s.get(), words(makeFont(32, 32), "B", 32, 32, 20, 40));
    fx.draw(500);  // a one-letter text would have finished long ago had one been taken
    EXPECT_TRUE(allPixels(s.get(), 0));
    EXPECT_EQ(restartCount(), 0);
}

TEST(BouncetextRestart, CalledOnceTheTextIsUsedUpAndNothingMovesAfter)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(320, 240);
    fx.start(s.get(), words(makeFont(16, 32), "BB", 16, 32, 320, 200));
    fx.draw(33);  // letters entered in frames 12 and 23; the check in 34 finds the end
    EXPECT_EQ(restartCount(), 0);
    SurfacePtr before = copyOf(s.get());
    fx.draw();
    EXPECT_EQ(restartCount(), 1);
    EXPECT_TRUE(sameSurface(s.get(), before.get()));
    fx.draw(30);
    EXPECT_EQ(restartCount(), 31);
    EXPECT_TRUE(sameSurface(s.get(), before.get()));
}

TEST(BouncetextInitForms, ValistDrawsTheSameAsTheArgumentList)
{
    std::string font = makeFont(16, 32);
    SurfacePtr a = makeTarget(320, 240), b = makeTarget(320, 240);
    {
        Effect fx("bouncetext");
        fx.start(a.get(), words(font, "BCDEFGHIJ", 16, 32, 300, 180), false);
        fx.draw(80);
    }
    {
        Effect fx("bouncetext");
        fx.start(b.get(), words(font, "BCDEFGHIJ", 16, 32, 300, 180), true);
        fx.draw(80);
    }
    EXPECT_FALSE(allPixels(a.get(), 0));
    EXPECT_TRUE(sameSurface(a.get(), b.get()));
}

namespace {

// The seven values in the module's order, bypassing the player's range checks.
std::vector<param_value> rawValues(const std::string &font, Uint8 cw, Uint16 width)
{
    std::vector<param_value> v(7);
    const char *texts[3] = {"BBBB", font.c_str(), TEST_CHARACTERS};
    for (int i = 0; i < 3; ++i) {
        v[i].type = param_type::text;
        v[i].text = texts[i];
    }
    v[3].type = param_type::u8;
    v[3].u8 = cw;
    v[4].type = param_type::u8;
    v[4].u8 = 32;
    v[5].type = param_type::u16;
    v[5].u16 = width;
    v[6].type = param_type::u16;
    v[6].u16 = 200;
    return v;
}

}  // namespace

TEST(BouncetextFailedInit, CharacterWidthZeroFailsWithItsOwnMessage)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(320, 240);
    fill(s.get(), BACKGROUND);
    restartCount() = 0;
    mirvotest::captureStdout();
    std::vector<param_value> values = rawValues(makeFont(16, 32), 0, 320);
    call_init_valist(fx.module().init_effect_valist, s.get(), countRestart, values);
    EXPECT_EQ(mirvotest::capturedStdout(),
              "Error, initiating jumping scroller: the character width is 0\n");
    for (int i = 0; i < 100; ++i)
        fx.module().draw_effect();
    EXPECT_TRUE(allPixels(s.get(), BACKGROUND));
    EXPECT_EQ(restartCount(), 0);
    fx.module().free_effect();
}

TEST(BouncetextFailedInit, MissingFontPrintsTheMessageAndLeavesTheEffectInert)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(320, 240);
    fill(s.get(), BACKGROUND);
    mirvotest::captureStdout();
    fx.start(s.get(), words("/nonexistent/font.bmp", "BB", 16, 32, 320, 200));
    EXPECT_EQ(mirvotest::capturedStdout(), "Error, initiating jumping scroller\n");
    fx.draw(50);
    EXPECT_TRUE(allPixels(s.get(), BACKGROUND));
    EXPECT_EQ(restartCount(), 0);
    fx.free();
}

// 512 / 1 letters: kept modulo 256 the pool would be empty and nothing would ever enter.
TEST(BouncetextPool, MoreThan255LettersAreCappedAt255)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(640, 100);
    restartCount() = 0;
    std::vector<param_value> values = rawValues(makeFont(1, 32), 1, 512);  // the text must live on
    call_init_valist(fx.module().init_effect_valist, s.get(), countRestart, values);
    for (int i = 0; i < 12; ++i)
        fx.module().draw_effect();
    // 'B' at font position 1 is read from x 0: glyph 0's only column, drawn at 509.
    EXPECT_EQ(pixel(s.get(), 509, bounceRow(200, 8)), glyphColour(0, 0, 0));
    fx.module().free_effect();
}

// A letter that is never taken again keeps drifting left; in 16 bits it would wrap to the
// far right after about 11,000 frames and come back across the area as a stray letter.
TEST(BouncetextLetters, UnusedLettersNeverWrapBackOntoTheArea)
{
    Effect fx("bouncetext");
    SurfacePtr s = makeTarget(64, 64);
    // Pool of 4; at most 3 are ever in use, the 4th drifts for ever.
    fx.start(s.get(), words(makeFont(16, 16), std::string(2200, 'C'), 16, 16, 64, 40));
    for (int f = 1; f <= 23000; ++f) {
        fx.draw();
        // Letters show glyph 2 and the last column of glyph 1; glyph 0 would be the stray.
        bool stray = false;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                stray |= (pixel(s.get(), x, y) >> 16) == 16;
        ASSERT_FALSE(stray) << "frame " << f;
    }
    EXPECT_EQ(restartCount(), 0);
}

TEST(ScrollerEffectsReinitialised, WithoutAFreeInBetweenLoseNoScrollerIds)
{
    // A host may initialise an effect again straight from its restart callback. Each init
    // takes a scroller id; 300 inits without a free must not use up the 255 ids.
    std::string font = makeFont(16, 32);
    SurfacePtr s = makeTarget(320, 240);
    const std::vector<std::vector<std::string>> params = {{"wavetext", "BCDE"},
                                                          {"bouncetext", "BCDE"}};
    for (const auto &p : params) {
        SCOPED_TRACE(p[0]);
        Effect fx(p[0]);
        for (int i = 0; i < 300; ++i) {
            mirvotest::captureStdout();
            fx.start(s.get(), {p[1], font, TEST_CHARACTERS});
            std::string out = mirvotest::capturedStdout();
            ASSERT_EQ(out, "") << "init " << i << " failed";
        }
        fx.draw(60);
        EXPECT_FALSE(allPixels(s.get(), 0)) << "the last init does not draw";
        fx.free();
        // Every id is free again: the first one is handed out next.
        Uint8 id = MIRVO_add_scroller("X", font.c_str(), TEST_CHARACTERS, 16, 32);
        EXPECT_EQ(id, 0);
        MIRVO_free_scroller(id);
    }
}
