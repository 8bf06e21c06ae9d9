// mirvo-play run as a user runs it: command-line errors, headless capture, sequences.
#include "effect_harness.h"
#include "png_image.h"

using mirvo_test::PngImage;
using mirvo_test::readPng;
using mirvo_test::runProgram;

namespace {

mirvo_test::ProgramResult play(const std::vector<std::string> &args,
                               const std::vector<std::pair<std::string, std::string>> &env = {})
{
    std::vector<std::string> argv{MIRVO_PLAY};
    argv.insert(argv.end(), args.begin(), args.end());
    // Run from player/ so that the default font ../GFX/font.pcx is found.
    return runProgram(argv, PLAYER_SOURCE_DIR, env);
}

// One line on stderr, exit status 2, nothing drawn.
void expectUsageError(const std::vector<std::string> &args, const std::string &message)
{
    mirvo_test::ProgramResult r = play(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.err, "mirvo-play: " + message + "\n");
    EXPECT_EQ(r.out, "");  // no rate report: no window was opened
}

std::vector<std::pair<std::string, std::string>> capture(const std::string &dir, int frames)
{
    return {{"MIRVO_FRAMES", std::to_string(frames)}, {"MIRVO_CAPTURE", dir}, {"MIRVO_NOWAIT", "1"}};
}

std::string frameFile(const std::string &dir, int k)
{
    char name[32];
    snprintf(name, sizeof name, "/frame-%06d.png", k);
    return dir + name;
}

}  // namespace

TEST(PlayerCommandLine, UnknownEffectIsRefusedWithTheKnownNames)
{
    expectUsageError({"--headless", "plasma"},
                     "unknown effect \"plasma\" (known: boxflood, wavetext, bouncetext)");
}

TEST(PlayerCommandLine, ModuleWithoutAnEntryPointIsRefused)
{
    expectUsageError({"--headless", "-M", FAKE_MODULE_DIR, "boxflood"},
                     "effect module \"boxflood\" has no entry point init_effect_valist "
                     "(boxflood_LTX_init_effect_valist)");
}

TEST(PlayerCommandLine, BadParametersAreNamedWithWhatWasExpected)
{
    expectUsageError({"--headless", "wavetext", "amplitude=loud"},
                     "wavetext: amplitude: expected a whole number from 0 to 65535, got \"loud\"");
    expectUsageError({"--headless", "boxflood", "1", "300"},
                     "boxflood: rate: expected a whole number from 0 to 255, got \"300\"");
    expectUsageError({"--headless", "boxflood", "1", "2", "3", "4", "5", "6"},
                     "boxflood: too many parameters: expected at most 5 (direction rate red green "
                     "blue), got \"6\" as parameter 6");
    expectUsageError({"--headless", "wavetext", "+", "bouncetext", "character_width=0"},
                     "bouncetext: character_width: expected a whole number from 1 to 255, got \"0\"");
}

TEST(PlayerCommandLine, UnreadableFontIsRefusedBeforeAnythingIsDrawn)
{
    mirvo_test::ProgramResult r = play({"--headless", "wavetext", "font=/nonexistent/font.pcx"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("mirvo-play: wavetext: font: cannot read \"/nonexistent/font.pcx\"", 0), 0u)
        << r.err;
}

TEST(PlayerCommandLine, SequenceSeparatorsNeedEffectsOnBothSides)
{
    expectUsageError({"--headless", "boxflood", "+"}, "expected an effect name after \"+\"");
    expectUsageError({"--headless", "+", "boxflood"}, "expected an effect name before \"+\"");
    expectUsageError({"--width", "0", "boxflood"},
                     "--width: expected a whole number from 1 to 16384, got \"0\"");
}

TEST(PlayerHeadless, CapturesBoxfloodFramesAsDrawn)
{
    std::string dir = mirvo_test::makeTempDir("fxplay");
    mirvo_test::ProgramResult r =
        play({"--headless", "-W", "160", "-H", "120", "boxflood", "1", "4", "255", "0", "0"},
             capture(dir, 12));
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(mirvo_test::listFiles(dir, ".png").size(), 12u);
    // Frame 3 has filled (80, 60, 0, 0), (76, 57, 8, 6) and (72, 54, 16, 12) over black.
    PngImage img = readPng(frameFile(dir, 3));
    ASSERT_EQ(img.width, 160);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            bool inside = x >= 72 && x < 88 && y >= 54 && y < 66;
            const mirvo_test::Rgb want = inside ? mirvo_test::Rgb{255, 0, 0} : mirvo_test::Rgb{0, 0, 0};
            ASSERT_TRUE(img.at(x, y) == want) << x << "," << y;
        }
}

TEST(PlayerHeadless, ValistAndArgumentListInitDrawTheSameFrames)
{
    std::string a = mirvo_test::makeTempDir("fxlist"), b = mirvo_test::makeTempDir("fxvalist");
    std::vector<std::string> args{"--headless", "wavetext", "text=HELLO", "amplitude=80", "+",
                                  "bouncetext", "text=WORLD"};
    ASSERT_EQ(play(args, capture(a, 150)).status, 0);
    args.insert(args.begin(), "--valist");
    ASSERT_EQ(play(args, capture(b, 150)).status, 0);
    for (int k : {40, 90, 100, 140}) {
        PngImage pa = readPng(frameFile(a, k)), pb = readPng(frameFile(b, k));
        ASSERT_EQ(pa.width, 640);
        EXPECT_TRUE(pa == pb) << "frame " << k;
    }
}

// wavetext "AB" finishes in frame 48; boxflood starts in the same frame and draws over
// what wavetext left: its first fill is empty, the second (316, 237, 8, 6).
TEST(PlayerSequence, FilterStartsOverTheFinishedEffectsPicture)
{
    std::string dir = mirvo_test::makeTempDir("fxseq");
    mirvo_test::ProgramResult r = play(
        {"--headless", "--once", "wavetext", "text=AB", "+", "boxflood", "1", "4", "0", "0", "255"},
        capture(dir, 60));
    ASSERT_EQ(r.status, 0) << r.err;
    PngImage f47 = readPng(frameFile(dir, 47)), f48 = readPng(frameFile(dir, 48)),
             f49 = readPng(frameFile(dir, 49));
    ASSERT_EQ(f47.width, 640);
    bool drawn = false;
    for (const mirvo_test::Rgb &p : f47.pixels)
        drawn |= p != mirvo_test::Rgb{0, 0, 0};
    EXPECT_TRUE(drawn) << "wavetext shows its first glyph by frame 47";
    EXPECT_TRUE(f47 == f48);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            bool inside = x >= 316 && x < 324 && y >= 237 && y < 243;
            const mirvo_test::Rgb want = inside ? mirvo_test::Rgb{0, 0, 255} : f47.at(x, y);
            ASSERT_TRUE(f49.at(x, y) == want) << x << "," << y;
        }
}

TEST(PlayerSequence, OnceStopsAfterTheLastEffect)
{
    std::string dir = mirvo_test::makeTempDir("fxonce");
    // 64 x 48 at rate 8: fills in frames 1 to 4, finished in frame 5.
    mirvo_test::ProgramResult r =
        play({"--headless", "--once", "-W", "64", "-H", "48", "boxflood", "1", "8"},
             capture(dir, 100));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("MIRVO: 5 frames run"), std::string::npos) << r.out;
}
