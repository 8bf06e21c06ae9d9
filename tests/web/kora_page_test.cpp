// kora-demo's page (web/kora/, built over webgl/) against the native kora-demo:
// - glibc's random() as the web build draws it (so a seed gives the same landscape);
// - GLUT's fonts as the web build carries them (webgl/glut_fonts.inc);
// - the page itself in headless Chromium, frame against frame with the native demo at the
//   same size, camera, seed and input, and picking the white sphere in the page.
#include "glibc_random.h"
#include "png_image.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using mirvo_test::findProgram;
using mirvo_test::makeTempDir;
using mirvo_test::PngImage;
using mirvo_test::readPng;
using mirvo_test::runProgram;

namespace {

const std::string SOURCE_DIR = MIRVO_SOURCE_DIR;

// glibc's generator, seeded and reseeded, against the C library's own random().
TEST(GlibcRandom, DrawsTheCLibrarysSequence)
{
    // 0 counts as 1; the largest seeds wrap in the 31-bit arithmetic of the seeding.
    const unsigned seeds[] = {0, 1, 2, 7, 12345, 2147483647u, 2147483648u, 4294967295u};
    GlibcRandom ours(99);
    for (unsigned seed : seeds) {
        srandom(seed);
        ours.reseed(seed);
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(ours.next(), random()) << "seed " << seed << ", number " << i;
    }
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The committed tables are what the dump tool writes from the system's freeglut now: a
// freeglut with other glyphs, or a hand edit, shows here.
TEST(GlutFonts, TablesAreThoseOfTheSystemsFreeglut)
{
    const mirvo_test::ProgramResult r = runProgram({FONT_DUMP}, SOURCE_DIR);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string committed = readFile(SOURCE_DIR + "/webgl/glut_fonts.inc");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(r.out == committed)
        << "webgl/glut_fonts.inc differs from " FONT_DUMP "'s output: rewrite it with that tool";
}

// Two software rasterisers (Mesa's llvmpipe natively, SwiftShader under Chromium's WebGL)
// draw the same scene with small differences: colours rounded a few levels apart (lighting,
// fog and texture filtering in other arithmetic), a pixel here and there along an edge or
// a crack between terrain triangles, and lines one pixel wide where glLineWidth(2) draws two
// natively. Measured over the cases below, under 0.2 % of the pixels differ by more than two
// levels and no 32 x 32 tile has more than 4 % of its pixels off. So: a pixel differs when a
// channel is more than PIXEL_LEVELS apart; frames show the same scene when at most
// FRAME_SHARE of the pixels and TILE_SHARE of each tile differ. A wrong terrain, a sky face
// left undrawn or a missing line of text changes far more than that (checked below).
const int PIXEL_LEVELS = 24;
const double FRAME_SHARE = 0.005;
const int TILE = 32;
const double TILE_SHARE = 0.12;
// The title pane (frame rate, camera mode, picked sphere) is left out: the two programs'
// frame rates differ, and with their widths the pane's. The help pane below it counts.
const int TITLE_PANE_WIDTH = 520, TITLE_PANE_HEIGHT = 52;

struct Comparison {
    bool same;
    std::string why;
};

Comparison compareScenes(const PngImage &native, const PngImage &page)
{
    if (native.pixels.empty() || native.width != page.width || native.height != page.height)
        return {false, "sizes differ"};
    const int tilesX = (native.width + TILE - 1) / TILE, tilesY = (native.height + TILE - 1) / TILE;
    std::vector<int> tiles(size_t(tilesX * tilesY), 0);
    long differing = 0, compared = 0;
    for (int y = 0; y < native.height; ++y)
        for (int x = 0; x < native.width; ++x) {
            if (x < TITLE_PANE_WIDTH && y < TITLE_PANE_HEIGHT)
                continue;
            ++compared;
            const mirvo_test::Rgb &a = native.at(x, y), &b = page.at(x, y);
            const int d = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            if (d > PIXEL_LEVELS) {
                ++differing;
                ++tiles[size_t((y / TILE) * tilesX + x / TILE)];
            }
        }
    const auto worst = std::max_element(tiles.begin(), tiles.end());
    const long at = long(worst - tiles.begin());
    std::ostringstream why;
    why << differing << " of " << compared << " pixels differ; worst tile at ("
        << (at % tilesX) * TILE << ", " << (at / tilesX) * TILE << "): " << *worst << " of "
        << TILE * TILE;
    return {double(differing) <= FRAME_SHARE * double(compared) &&
                double(*worst) <= TILE_SHARE * TILE * TILE,
            why.str()};
}

// What the test runs: kora-demo's options after the common ones, and the frame kept.
struct PageCase {
    const char *name;
    std::vector<std::string> options;
};

const std::vector<std::string> COMMON = {"--size", "800x600", "--frames", "30"};

const std::vector<PageCase> CASES = {
    // Following the crystal; a click on the white sphere at frame 20 picks it.
    {"pick", {"--click", "20:560,103"}},
    // The free camera turned 30 degrees up: the top, front and right sky faces.
    {"sky", {"--free", "--press", "2:up",  "--press", "3:up",  "--press", "4:up",   "--press",
             "5:up",   "--press", "6:up",  "--press", "7:up",  "--press", "8:up",   "--press",
             "9:up",   "--press", "10:up", "--press", "11:up", "--press", "12:left"}},
    // Another landscape, looked at along the ground.
    {"seed", {"--seed", "7", "--free", "--press", "2:d", "--press", "3:d"}},
};

std::vector<std::string> joinedOptions(const std::vector<std::string> &options,
                                       const std::string &capture)
{
    std::vector<std::string> all = COMMON;
    all.insert(all.end(), options.begin(), options.end());
    all.push_back("--capture");
    all.push_back(capture);
    return all;
}

// The native demo's last frame, under Xvfb, run from demo/ (it reads ../TEXTURES/). In
// sanitizer builds without LeakSanitizer: Mesa's GLX driver holds memory to the end.
PngImage nativeFrame(const std::vector<std::string> &options, const std::string &png)
{
    std::vector<std::string> argv = {findProgram("xvfb-run"), "-a", KORA_DEMO};
    const std::vector<std::string> all = joinedOptions(options, png);
    argv.insert(argv.end(), all.begin(), all.end());
    const mirvo_test::ProgramResult r = runProgram(
        argv, SOURCE_DIR + "/demo", {{"MIRVO_DATA_DIR", ""}, {"ASAN_OPTIONS", "detect_leaks=0"}});
    EXPECT_EQ(r.status, 0) << r.err;
    return readPng(png);
}

// The page's last frame: kora_browser.py runs the page and writes the capture.
PngImage pageFrame(const std::vector<std::string> &options, const std::string &dir)
{
    std::vector<std::string> argv = {SOURCE_DIR + "/web/kora/kora_browser.py", KORA_WEB_BUILD_DIR,
                                     "frames", dir};
    const std::vector<std::string> all = joinedOptions(options, "/frame.png");
    argv.insert(argv.end(), all.begin(), all.end());
    const mirvo_test::ProgramResult r = runProgram(argv, SOURCE_DIR);
    EXPECT_EQ(r.status, 0) << r.err;
    return readPng(dir + "/frame.png");
}

// Pixels of the pick line's colour (1, 0.9, 0.3) in the title pane's second line.
int pickLinePixels(const PngImage &p)
{
    int n = 0;
    for (int y = 30; y < 50; ++y)
        for (int x = 8; x < 300; ++x) {
            const mirvo_test::Rgb &c = p.at(x, y);
            n += c.r > 200 && c.g > 170 && c.b < 130;
        }
    return n;
}

bool onPath(const char *program)
{
    return !findProgram(program).empty();
}

TEST(KoraPage, FramesShowTheNativeDemosScene)
{
    if (!onPath("emcmake"))
        GTEST_SKIP() << "emscripten is not installed (tools/deps.sh test:web installs it)";
    if (!onPath("chromium"))
        GTEST_SKIP() << "chromium is not installed (tools/deps.sh test:web installs it)";
    const mirvo_test::ProgramResult built =
        runProgram({SOURCE_DIR + "/tools/web.sh", KORA_WEB_BUILD_DIR}, SOURCE_DIR);
    ASSERT_EQ(built.status, 0) << built.out << built.err;

    const std::string dir = makeTempDir("kora-page");
    std::vector<PngImage> natives, pages;
    for (const PageCase &c : CASES) {
        SCOPED_TRACE(c.name);
        natives.push_back(nativeFrame(c.options, dir + "/" + c.name + "-native.png"));
        pages.push_back(pageFrame(c.options, dir + "/" + c.name));
        ASSERT_EQ(pages.back().width, 800);
        const Comparison same = compareScenes(natives.back(), pages.back());
        EXPECT_TRUE(same.same) << same.why;
    }

    // Picking in the page: the white sphere is named in the title, as natively.
    EXPECT_GT(pickLinePixels(natives[0]), 100) << "the native demo picked nothing";
    EXPECT_GT(pickLinePixels(pages[0]), 100) << "the page picked nothing";
    EXPECT_EQ(pickLinePixels(pages[1]), 0) << "a pick line where nothing was picked";
    // And with the mouse, through GLUT's mouse callback in the page: the free camera stands
    // still, the white sphere where the native demo picks it.
    const std::vector<std::string> still = {"--free", "--click", "1:594,280"};
    EXPECT_GT(pickLinePixels(nativeFrame(still, dir + "/still-native.png")), 100);
    const mirvo_test::ProgramResult clicked =
        runProgram({SOURCE_DIR + "/web/kora/kora_browser.py", KORA_WEB_BUILD_DIR, "click",
                    dir + "/clicked.png", "594", "280", "--size", "800x600", "--free"},
                   SOURCE_DIR);
    ASSERT_EQ(clicked.status, 0) << clicked.err;
    EXPECT_GT(pickLinePixels(readPng(dir + "/clicked.png")), 100) << "the mouse picked nothing";

    // The comparison has teeth. Another seed's landscape under the same camera:
    std::vector<std::string> seedOne = CASES[2].options;
    seedOne[1] = "1";
    const PngImage otherLandscape = nativeFrame(seedOne, dir + "/seed1-native.png");
    EXPECT_FALSE(compareScenes(otherLandscape, pages[2]).same) << "a wrong terrain passed";
    // The key help missing (h hides it):
    std::vector<std::string> noHelp = CASES[2].options;
    noHelp.insert(noHelp.end(), {"--press", "1:h"});
    const PngImage withoutHelp = nativeFrame(noHelp, dir + "/nohelp-native.png");
    EXPECT_FALSE(compareScenes(withoutHelp, pages[2]).same) << "missing text passed";
    // A sky face left undrawn shows the clear colour (the haze): here over the clouds of
    // the upper half, part of the top face.
    PngImage noSkyFace = pages[1];
    const mirvo_test::Rgb haze = {173, 199, 224};
    for (int y = 60; y < 160; ++y)
        for (int x = 300; x < 800; ++x)
            noSkyFace.pixels[size_t(y) * noSkyFace.width + x] = haze;
    EXPECT_FALSE(compareScenes(natives[1], noSkyFace).same) << "a missing sky face passed";
}

}  // namespace
