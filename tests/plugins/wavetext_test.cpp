// wavetext: glyph rhythm, wave placement, slices, restart and the mended init faults.
#include "effect_harness.h"

#include "output_capture.h"
#include <algorithm>

using namespace fx_test;

namespace {

const Uint32 BACKGROUND = 0x010203;

// The picture wavetext draws, worked out from its documented rules: glyph j (the j-th
// text character, here glyph j of the test font) is drawn at strip x = W in frame
// 16 (j + 1) and moves 2 pixels left a frame; slice x of the strip lands at row
// aSin[(x + phase) % 360], the phase moving 6 a frame.
struct WaveModel {
    int W, H, cw, ch, amplitude, slice;
    std::vector<int> aSin;

    WaveModel(int w, int h, int cw_, int ch_, int amp, int sl)
        : W(w), H(h), cw(cw_), ch(ch_), amplitude(amp), slice(sl ? sl : 1), aSin(360)
    {
        for (int i = 0; i < 360; ++i)
            aSin[i] = H / 2 + (int)std::trunc(amplitude * std::sin(tableAngle(i)));
    }

    Uint32 strip(int frame, int X, int r) const
    {
        Uint32 v = 0;
        for (int j = 0; 16 * (j + 1) <= frame; ++j) {
            int left = W - 2 * (frame - 16 * (j + 1));
            int c = X - left;
            if (c >= 0 && c < cw - 2)  // the font's last two columns are blank
                v = glyphColour(j, c, r);
        }
        return v;
    }

    SurfacePtr picture(int frame) const
    {
        SurfacePtr s = makeTarget(W, H);
        fill(s.get(), 0);
        int phase = 6 * (frame - 1) % 360;
        for (int x = 0; x < W; x += slice) {
            int y = aSin[(x + phase) % 360];
            for (int xx = x; xx < std::min(x + slice, W); ++xx)
                for (int r = 0; r < ch; ++r)
                    if (y + r >= 0 && y + r < H)
                        ((Uint32 *)((Uint8 *)s->pixels + (y + r) * s->pitch))[xx] =
                            strip(frame, xx, r);
        }
        return s;
    }
};

// Compares and names the first differing pixel.
::testing::AssertionResult samePicture(SDL_Surface *got, SDL_Surface *want)
{
    for (int y = 0; y < got->h; ++y)
        for (int x = 0; x < got->w; ++x)
            if (pixel(got, x, y) != pixel(want, x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << pixel(got, x, y)
                       << ", expected " << pixel(want, x, y);
    return ::testing::AssertionSuccess();
}

std::vector<std::string> words(const std::string &font, const std::string &text, int cw, int ch,
                               int amplitude, int slice)
{
    return {"text=" + text,
            "font=" + font,
            std::string("characters=") + TEST_CHARACTERS,
            "character_width=" + std::to_string(cw),
            "character_height=" + std::to_string(ch),
            "amplitude=" + std::to_string(amplitude),
            "slice_width=" + std::to_string(slice)};
}

}  // namespace

TEST(WavetextTable, SwingsAboutTheMiddleRowShortOfTheFullAmplitude)
{
    WaveModel m(640, 480, 16, 32, 100, 1);
    EXPECT_EQ(m.aSin[0], 240);
    EXPECT_EQ(*std::min_element(m.aSin.begin(), m.aSin.end()), 141);
    EXPECT_EQ(*std::max_element(m.aSin.begin(), m.aSin.end()), 339);
}

TEST(WavetextRhythm, TargetStaysBlackUntilTheFirstGlyphScrollsIn)
{
    Effect fx("wavetext");
    ASSERT_TRUE(fx.loaded());
    EXPECT_EQ(fx.module().is_filter(), 0);
    SurfacePtr s = makeTarget(640, 480);
    fill(s.get(), BACKGROUND);
    fx.start(s.get(), words(makeFont(16, 32, 16, true), "ABCDEFGHIJ", 16, 32, 100, 1));
    for (int f = 1; f <= 16; ++f) {
        fx.draw();
        ASSERT_TRUE(allPixels(s.get(), 0)) << "frame " << f;
    }
    fx.draw();  // frame 17: the glyph's first two columns show at x 638 and 639
    WaveModel m(640, 480, 16, 32, 100, 1);
    int y = m.aSin[(638 + 96) % 360];
    EXPECT_EQ(pixel(s.get(), 638, y), glyphColour(0, 0, 0));
    int y639 = m.aSin[(639 + 96) % 360];  // each one-pixel slice has its own height
    EXPECT_EQ(pixel(s.get(), 639, y639 + 31), glyphColour(0, 1, 31));
    EXPECT_EQ(pixel(s.get(), 637, y), 0u);
    EXPECT_TRUE(samePicture(s.get(), m.picture(17).get()));
}

TEST(WavetextRhythm, GlyphsEvery16FramesThirtyTwoPixelsApartOnTheMovingWave)
{
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(16, 32, 16, true), "ABCDEFGHIJ", 16, 32, 100, 1));
    WaveModel m(640, 480, 16, 32, 100, 1);
    for (int f = 1; f <= 150; ++f) {
        fx.draw();
        if (f == 33 || f == 50 || f == 97 || f == 150) {
            ASSERT_TRUE(samePicture(s.get(), m.picture(f).get())) << "frame " << f;
        }
    }
    EXPECT_EQ(restartCount(), 0);
}

TEST(WavetextRhythm, WiderFontCoversThePreviousGlyphsTail)
{
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(320, 240);
    fx.start(s.get(), words(makeFont(40, 20, 16, true), "ABCDEFGHIJ", 40, 20, 60, 1));
    WaveModel m(320, 240, 40, 20, 60, 1);
    fx.draw(90);
    ASSERT_TRUE(samePicture(s.get(), m.picture(90).get()));
    // Glyph 0 at left 320 - 2 * 74 = 172, glyph 1 at 204: columns 204 to 209 show glyph 1.
    int phase = 6 * 89 % 360;
    int y = m.aSin[(205 + phase) % 360];
    EXPECT_EQ(pixel(s.get(), 205, y), glyphColour(1, 1, 0));
}

TEST(WavetextSlices, WideSlicesStepTheWave)
{
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(16, 32, 16, true), "ABCDEFGHIJ", 16, 32, 100, 6));
    WaveModel m(640, 480, 16, 32, 100, 6);
    fx.draw(120);
    EXPECT_TRUE(samePicture(s.get(), m.picture(120).get()));
}

TEST(WavetextSlices, SliceWidthZeroIsTakenAsOne)
{
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), words(makeFont(16, 32, 16, true), "ABCDEFGHIJ", 16, 32, 100, 0));
    WaveModel m(640, 480, 16, 32, 100, 1);
    fx.draw(60);  // would never return without the mend
    EXPECT_TRUE(samePicture(s.get(), m.picture(60).get()));
}

TEST(WavetextInitForms, ValistDrawsTheSameAsTheArgumentList)
{
    std::string font = makeFont(16, 32, 16, true);
    SurfacePtr a = makeTarget(400, 300), b = makeTarget(400, 300);
    {
        Effect fx("wavetext");
        fx.start(a.get(), words(font, "ABCDEFGH", 16, 32, 80, 3), false);
        fx.draw(70);
    }
    {
        Effect fx("wavetext");
        fx.start(b.get(), words(font, "ABCDEFGH", 16, 32, 80, 3), true);
        fx.draw(70);
    }
    EXPECT_FALSE(allPixels(a.get(), 0));
    EXPECT_TRUE(sameSurface(a.get(), b.get()));
}

TEST(WavetextRestart, CalledOnceTheTextIsUsedUpAndTheFrameIsNotRedrawn)
{
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(320, 240);
    fx.start(s.get(), words(makeFont(16, 32, 16, true), "AB", 16, 32, 50, 1));
    // Glyphs in frames 16 and 32; the third request, in frame 48, finds the text used up.
    fx.draw(47);
    EXPECT_EQ(restartCount(), 0);
    SurfacePtr before = copyOf(s.get());
    fx.draw();
    EXPECT_EQ(restartCount(), 1);
    EXPECT_TRUE(sameSurface(s.get(), before.get()));
    fx.draw(3);
    EXPECT_EQ(restartCount(), 4);
    EXPECT_TRUE(sameSurface(s.get(), before.get()));
}

TEST(WavetextFailedInit, MissingFontPrintsTheMessageAndLeavesTheEffectInert)
{
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(320, 240);
    fill(s.get(), BACKGROUND);
    mirvotest::captureStdout();
    fx.start(s.get(), words("/nonexistent/font.bmp", "AB", 16, 32, 50, 1));
    std::string out = mirvotest::capturedStdout();
    EXPECT_EQ(out, "Error, initiating sine scroller\n");
    fx.draw(40);
    EXPECT_TRUE(allPixels(s.get(), BACKGROUND));
    EXPECT_EQ(restartCount(), 0);
    fx.free();
    fx.free();
}

// The id is kept in a char, signed here: 255 reads as -1 and must still count as failure.
TEST(WavetextFailedInit, NoFreeScrollerIdIsDetected)
{
    std::string font = makeFont(16, 32, 16, true);
    std::vector<Uint8> taken;
    for (;;) {
        Uint8 id = MIRVO_add_scroller("X", font.c_str(), TEST_CHARACTERS, 16, 32);
        if (id == 255)
            break;
        taken.push_back(id);
    }
    ASSERT_EQ(taken.size(), 255u);
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(320, 240);
    fill(s.get(), BACKGROUND);
    mirvotest::captureStdout();
    fx.start(s.get(), words(font, "AB", 16, 32, 50, 1));
    EXPECT_EQ(mirvotest::capturedStdout(), "Error, initiating sine scroller\n");
    fx.draw(60);
    EXPECT_TRUE(allPixels(s.get(), BACKGROUND));
    EXPECT_EQ(restartCount(), 0);
    fx.free();
    for (Uint8 id : taken)
        MIRVO_free_scroller(id);
    // With ids free again the same module initialises and draws.
    fx.start(s.get(), words(font, "AB", 16, 32, 50, 1));
    fx.draw(20);
    EXPECT_FALSE(allPixels(s.get(), BACKGROUND));
}
