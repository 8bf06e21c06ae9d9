// mirvo-play run as a user runs it: command-line errors, headless capture, sequences.
#include "effect_harness.h"
#include "png_image.h"

#include <algorithm>
#include <cstdlib>

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
    return {
        {"MIRVO_FRAMES", std::to_string(frames)}, {"MIRVO_CAPTURE", dir}, {"MIRVO_NOWAIT", "1"}};
}

std::string frameFile(const std::string &dir, int k)
{
    char name[32];
    snprintf(name, sizeof name, "/frame-%06d.png", k);
    return dir + name;
}

// A 160 x 120 frame that is red inside [x0, x1) x [y0, y1) and black elsewhere.
void expectRedRectOnBlack(const PngImage &img, int x0, int y0, int x1, int y1)
{
    ASSERT_EQ(img.width, 160);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
            const mirvo_test::Rgb want =
                inside ? mirvo_test::Rgb{255, 0, 0} : mirvo_test::Rgb{0, 0, 0};
            ASSERT_TRUE(img.at(x, y) == want) << x << "," << y;
        }
}

}  // namespace

TEST(PlayerCommandLine, UnknownEffectIsRefusedWithTheNamesFoundOnTheModulePath)
{
    expectUsageError({"--headless", "plasma"},
                     "unknown effect \"plasma\" (found: bouncetext, boxflood, wavetext)");
}

TEST(PlayerCommandLine, ALibraryWithoutADescriptorIsRefused)
{
    const std::string fake = FAKE_MODULE_DIR "/boxflood.so";
    expectUsageError({"--headless", fake},
                     "effect module \"" + fake + "\" cannot be loaded: \"" + fake +
                         "\" is not an effect module: it has no mirvo_effect_describe");
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
    expectUsageError(
        {"--headless", "wavetext", "+", "bouncetext", "character_width=0"},
        "bouncetext: character_width: expected a whole number from 1 to 255, got \"0\"");
}

TEST(PlayerCommandLine, UnreadableFontIsRefusedBeforeAnythingIsDrawn)
{
    mirvo_test::ProgramResult r = play({"--headless", "wavetext", "font=/nonexistent/font.pcx"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("mirvo-play: wavetext: font: cannot read \"/nonexistent/font.pcx\"", 0),
              0u)
        << r.err;
}

TEST(PlayerCommandLine, SequenceSeparatorsNeedEffectsOnBothSides)
{
    expectUsageError({"--headless", "boxflood", "+"}, "expected an effect name after \"+\"");
    expectUsageError({"--headless", "+", "boxflood"}, "expected an effect name before \"+\"");
    expectUsageError({"--width", "0", "boxflood"},
                     "--width: expected a whole number from 1 to 16383, got \"0\"");
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
    ASSERT_NO_FATAL_FAILURE(expectRedRectOnBlack(readPng(frameFile(dir, 3)), 72, 54, 88, 66));
}

TEST(PlayerHeadless, ValistAndArgumentListInitDrawTheSameFrames)
{
    std::string a = mirvo_test::makeTempDir("fxlist"), b = mirvo_test::makeTempDir("fxvalist");
    std::vector<std::string> args{"--headless", "wavetext",   "text=HELLO", "amplitude=80",
                                  "+",          "bouncetext", "text=WORLD"};
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
    mirvo_test::ProgramResult r = play({"--headless", "--once", "--exact-text", "wavetext",
                                        "text=AB", "+", "boxflood", "1", "4", "0", "0", "255"},
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
    mirvo_test::ProgramResult r = play(
        {"--headless", "--once", "-W", "64", "-H", "48", "boxflood", "1", "8"}, capture(dir, 100));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("MIRVO: 5 frames run"), std::string::npos) << r.out;
}

// The run ends by itself after frame 100 (--once, --max-frames): no frame 101 starts, so
// the last frame must be written when it is drawn. The window counted MIRVO_FRAMES too.
TEST(PlayerSequence, EveryFrameDrawnIsCapturedTheLastIncluded)
{
    std::string dir = mirvo_test::makeTempDir("fxlast");
    mirvo_test::ProgramResult r =
        play({"--headless", "--once", "--max-frames", "100", "wavetext"}, capture(dir, 100));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("MIRVO: 100 frames run, 100 frames shown"), std::string::npos) << r.out;
    std::vector<std::string> files = mirvo_test::listFiles(dir, ".png");
    ASSERT_EQ(files.size(), 100u);
    EXPECT_EQ(files.back(), frameFile(dir, 100));
    // Frame 100 is the last one drawn: a glyph of the scroller is on it.
    PngImage last = readPng(frameFile(dir, 100));
    ASSERT_EQ(last.width, 640);
    bool drawn = false;
    for (const mirvo_test::Rgb &p : last.pixels)
        drawn |= p != mirvo_test::Rgb{0, 0, 0};
    EXPECT_TRUE(drawn);

    // rasterwave under the same count writes the same number of frames.
    std::string rdir = mirvo_test::makeTempDir("rwlast");
    r = runProgram({RASTERWAVE}, PLAYER_SOURCE_DIR, capture(rdir, 100));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(mirvo_test::listFiles(rdir, ".png").size(), 100u);
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' '" + rdir + "'").c_str()), 0);
}

namespace {

bool allBlack(const PngImage &img)
{
    for (const mirvo_test::Rgb &p : img.pixels)
        if (p != mirvo_test::Rgb{0, 0, 0})
            return false;
    return true;
}

// Runs a --once sequence with capture; returns the frame files.
std::vector<std::string> playOnce(std::vector<std::string> args, mirvo_test::ProgramResult &r)
{
    std::string dir = mirvo_test::makeTempDir("fxonce");
    args.insert(args.begin(), {"--headless", "--once"});
    r = play(args, capture(dir, 20000));
    return mirvo_test::listFiles(dir, ".png");
}

}  // namespace

TEST(PlayerWindow, WidthIsCappedWhereSdlCapsItAndTheWavetextStripIsCheckedAgainstIt)
{
    expectUsageError({"-W", "16384", "boxflood"},
                     "--width: expected a whole number from 1 to 16383, got \"16384\"");
    expectUsageError({"--headless", "-W", "16380", "wavetext"},
                     "wavetext: character_width: the text strip (window width 16380 + character "
                     "width 16 = 16396 pixels) is wider than SDL's limit of 16383 pixels");
}

TEST(PlayerFailures, AnEffectWhoseInitFailsEndsTheRunWithStatus1BeforeTheFirstFrame)
{
    for (const char *form : {"--once", "--valist"}) {
        std::string dir = mirvo_test::makeTempDir("fxfail");
        mirvo_test::ProgramResult r =
            play({"--headless", form, "-M", FAILING_MODULE_DIR, "wavetext"}, capture(dir, 50));
        EXPECT_EQ(r.status, 1) << form;
        EXPECT_EQ(r.out, "") << form;
        EXPECT_EQ(r.err,
                  "mirvo-play: wavetext: the effect could not start: the fake font is unreadable\n")
            << form;
        EXPECT_TRUE(mirvo_test::listFiles(dir, ".png").empty()) << form;
    }
}

TEST(PlayerFailures, AModuleThatCannotBeLoadedIsReportedAndTheNextFolderIsTried)
{
    std::string dir = mirvo_test::makeTempDir("fxcorrupt");
    FILE *f = fopen((dir + "/bouncetext.so").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("not a shared object\n", f);
    fclose(f);
    mirvo_test::ProgramResult r;
    playOnce({"--max-frames", "3", "-M", dir, "bouncetext"}, r);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string head = "effect module \"bouncetext\": skipped " + dir + "/bouncetext.so: ";
    ASSERT_EQ(r.err.rfind(head, 0), 0u) << r.err;
    EXPECT_GT(r.err.size(), head.size() + 1) << "the loader's reason follows";
    EXPECT_EQ(r.err.find("file not found"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("MIRVO: 3 frames run"), std::string::npos) << r.out;
}

TEST(PlayerFailures, WithoutADisplayTheProgramsSaySoAndEndWithStatus1)
{
    const std::vector<std::pair<std::string, std::string>> no_display{{"SDL_VIDEODRIVER", ""},
                                                                      {"DISPLAY", ""}};
    mirvo_test::ProgramResult r = play({"boxflood"}, no_display);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "mirvo-play: no display: DISPLAY is not set (use --headless to run without a "
                     "window)\n");
    EXPECT_EQ(r.out, "");
    r = runProgram({RASTERWAVE}, PLAYER_SOURCE_DIR, no_display);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "MIRVO: no display: DISPLAY is not set (SDL_VIDEODRIVER=dummy runs without a "
                     "window)\n");
    // --headless needs no display.
    r = play({"--headless", "--max-frames", "2", "--once", "boxflood"}, no_display);
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(PlayerFailures, ACaptureFolderThatCannotBeWrittenEndsTheRunWithOneLine)
{
    for (const std::string &program : {std::string(MIRVO_PLAY), std::string(RASTERWAVE)}) {
        std::vector<std::string> argv{program};
        if (program == MIRVO_PLAY)
            argv.insert(argv.end(), {"--headless", "boxflood"});
        mirvo_test::ProgramResult r = runProgram(
            argv, PLAYER_SOURCE_DIR,
            {{"MIRVO_CAPTURE", "/dev/null/frames"}, {"MIRVO_FRAMES", "20"}, {"MIRVO_NOWAIT", "1"}});
        EXPECT_EQ(r.status, 1) << program;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("/dev/null/frames"), std::string::npos) << r.err;
    }
}

TEST(PlayerParameters, NumbersAreDecimal)
{
    // Rate 010 is ten: the second fill of a 160 x 120 grow is (70, 52, 20, 15).
    std::string dir = mirvo_test::makeTempDir("fxdecimal");
    mirvo_test::ProgramResult r =
        play({"--headless", "-W", "160", "-H", "120", "boxflood", "1", "010", "255", "0", "0"},
             capture(dir, 3));
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_NO_FATAL_FAILURE(expectRedRectOnBlack(readPng(frameFile(dir, 2)), 70, 52, 90, 67));
}

TEST(PlayerTexts, ByDefaultATextScrollsFullyOffBeforeTheEffectEnds)
{
    for (const char *fx : {"wavetext", "bouncetext"}) {
        mirvo_test::ProgramResult r;
        std::vector<std::string> padded =
            playOnce({"-W", "200", "-H", "120", fx, "HELLO WORLD"}, r);
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::string> exact =
            playOnce({"--exact-text", "-W", "200", "-H", "120", fx, "HELLO WORLD"}, r);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_GT(padded.size(), exact.size()) << fx;
        ASSERT_GT(exact.size(), 1u);
        EXPECT_FALSE(allBlack(readPng(exact.back())))
            << fx << ": as given, the text ends on screen";
        EXPECT_TRUE(allBlack(readPng(padded.back()))) << fx << ": padded, it has left";
        EXPECT_FALSE(allBlack(readPng(padded[exact.size() - 1]))) << fx;
    }
}

TEST(PlayerTexts, MaxFramesEndsAnEffectThatNeverFinishes)
{
    mirvo_test::ProgramResult r;
    // Rate 255 acts as 0: the rectangle never changes. The default bound is 3000 frames.
    playOnce({"-W", "32", "-H", "24", "boxflood", "1", "255"}, r);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("MIRVO: 3000 frames run"), std::string::npos) << r.out;
    // An area narrower than a glyph never takes a character.
    playOnce({"--max-frames", "40", "-W", "32", "-H", "24", "bouncetext", "width=0", "+",
              "boxflood", "1", "255"},
             r);
    EXPECT_EQ(r.status, 0) << r.err;
    // 40 frames each; the second effect's first frame is drawn in the first one's last.
    EXPECT_NE(r.out.find("MIRVO: 79 frames run"), std::string::npos) << r.out;
    expectUsageError({"--max-frames", "-1", "boxflood"},
                     "--max-frames: expected a whole number from 0 to 1000000000, got \"-1\"");
}

// An effect written outside the tree (examples/effect/colorcycle.cpp, as one C++ class),
// in a module file named colorcycle-1.2.so: listed, described and played by its name.
TEST(PlayerOutsideEffects, AnEffectBuiltOutsideTheTreeIsListedAndPlayedByItsName)
{
    mirvo_test::ProgramResult r = play({"-M", OUTSIDE_MODULE_DIR, "--list"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string described = "colorcycle 1.0 (source, " OUTSIDE_MODULE_DIR
                                  "/colorcycle-1.2.so): The whole frame in one colour walking "
                                  "round the colour wheel\n"
                                  "  step              number 1..90, default 3: degrees of hue "
                                  "a frame\n";
    EXPECT_NE(r.out.find(described), std::string::npos) << r.out;
    for (const char *name : {"\nboxflood 1.0 (filter", "\nwavetext 1.0 (source", "bouncetext 1.0"})
        EXPECT_NE(r.out.find(name), std::string::npos) << name;
    r = play({"-M", OUTSIDE_MODULE_DIR, "--help", "colorcycle"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(described, 0), 0u) << r.out;

    // Hue 0, 30 and 60 degrees at full saturation, as the effect's comment says.
    const std::vector<std::string> frames = playOnce(
        {"-W", "16", "-H", "8", "-M", OUTSIDE_MODULE_DIR, "colorcycle", "step=30", "frames=3"}, r);
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_GE(frames.size(), 3u);
    const mirvo_test::Rgb want[] = {{255, 0, 0}, {255, 127, 0}, {255, 255, 0}};
    for (int k = 0; k < 3; ++k) {
        PngImage img = readPng(frames[k]);
        ASSERT_EQ(img.width, 16);
        EXPECT_TRUE(img.at(7, 3) == want[k]) << "frame " << k + 1;
    }
}

// --list passes over libraries that are not effect modules, says why a module file that
// cannot be loaded is skipped, and --help of an effect nowhere on the path is one line.
TEST(PlayerOutsideEffects, ListingSaysWhatItSkipsAndHelpOfAnUnknownEffectIsOneLine)
{
    const std::string dir = mirvo_test::makeTempDir("fxlist");
    FILE *f = fopen((dir + "/broken.so").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("not a shared object\n", f);
    fclose(f);
    mirvo_test::ProgramResult r = play({"-M", dir, "-M", FAKE_MODULE_DIR, "--list"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("mirvo-play: skipped " + dir + "/broken.so: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "the fake library is no problem";
    EXPECT_NE(r.out.find("\nboxflood 1.0 (filter"), std::string::npos) << r.out;

    r = play({"--help", "plasma"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("mirvo-play: no effect module \"plasma\" (searched ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
}

// The outside effect through its own va_list entry point (found under its effect's name, not
// its file's) draws what its descriptor's instance draws.
TEST(PlayerOutsideEffects, ValistOfARenamedModuleDrawsTheSameFrames)
{
    const std::string a = mirvo_test::makeTempDir("fxva"), b = mirvo_test::makeTempDir("fxvb");
    const std::vector<std::string> args{
        "--headless", "-W", "32", "-H", "16", "-M", OUTSIDE_MODULE_DIR, "colorcycle", "step=11"};
    std::vector<std::string> valist{"--valist"};
    valist.insert(valist.end(), args.begin(), args.end());
    ASSERT_EQ(play(args, capture(a, 40)).status, 0);
    ASSERT_EQ(play(valist, capture(b, 40)).status, 0);
    for (int k = 1; k <= 40; k += 13)
        EXPECT_TRUE(readPng(frameFile(a, k)) == readPng(frameFile(b, k))) << "frame " << k;
}
