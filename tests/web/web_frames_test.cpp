// The page's frames against the native programs', pixel for pixel: the first 200 frames of
// rasterwave (native: the program with a 20 ms frame clock) and of each effect and a chain
// (native: mirvo-play --exact-text, or padded as the player pads), drawn
// - by mirvo-web-frames, the page's player compiled natively over the web surface layer;
// - by the page itself in headless Chromium (tools/web.sh build, web/browser.py driver).
#include "png_image.h"
#include "run_program.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using mirvo_test::listFiles;
using mirvo_test::makeTempDir;
using mirvo_test::PngImage;
using mirvo_test::readPng;
using mirvo_test::runProgram;

namespace {

const int FRAMES = 200;
const std::string SOURCE_DIR = MIRVO_SOURCE_DIR;
// Programs run from a folder beside GFX/, where "../GFX/font.pcx" resolves.
const std::string RUN_DIR = SOURCE_DIR + "/player";

struct program_case {
    const char *name;
    std::vector<std::string> words;  // "rasterwave", or effects as mirvo-play takes them
    bool exact_text;
};

// Each effect alone, a chain whose effects hand over within the 200 frames (wavetext's
// two letters end at frame 48, boxflood shrinking by 8 ends 30 frames later), and the
// player's padded texts.
const std::vector<program_case> CASES = {
    {"rasterwave", {"rasterwave"}, true},
    {"wavetext", {"wavetext"}, true},
    {"bouncetext", {"bouncetext"}, true},
    {"boxflood", {"boxflood"}, true},
    {"chain",
     {"wavetext", "text=HI", "amplitude=60", "+", "boxflood", "0", "8", "0", "0", "255", "+",
      "bouncetext", "height=200"},
     true},
    {"padded", {"bouncetext", "text=AB", "width=200", "+", "wavetext", "slice_width=5"}, false},
};

// A font in each format the player reads: PNG, PNG with transparency, run-length BMP.
const std::vector<program_case> FONT_CASES = {
    {"png_font", {"wavetext", "font=" + SOURCE_DIR + "/tests/data/fonts/font.png"}, true},
    {"png_alpha_font",
     {"wavetext", "font=" + SOURCE_DIR + "/tests/data/fonts/font-alpha.png"},
     true},
    {"rle_bmp_font",
     {"bouncetext", "font=" + SOURCE_DIR + "/tests/data/fonts/font-rle8.bmp"},
     true},
};

std::string joined(const std::vector<std::string> &words)
{
    std::string s;
    for (const std::string &w : words)
        s += (s.empty() ? "" : " ") + w;
    return s;
}

// The native program's first FRAMES frames as PNG files in `dir`.
void captureNative(const program_case &c, const std::string &dir)
{
    std::vector<std::pair<std::string, std::string>> env = {
        {"MIRVO_FRAMES", std::to_string(FRAMES)}, {"MIRVO_NOWAIT", "1"}, {"MIRVO_CAPTURE", dir}};
    std::vector<std::string> argv;
    if (c.words[0] == "rasterwave") {
        argv = {RASTERWAVE};
        // rasterwave pauses by SDL_GetTicks: a clock of 20 ms a frame, as the page's.
        env.push_back({"LD_PRELOAD", RASTERWAVE_FRAME_CLOCK});
        env.push_back({"ASAN_OPTIONS", "verify_asan_link_order=0"});
    } else {
        argv = {MIRVO_PLAY, "--headless"};
        if (c.exact_text)
            argv.push_back("--exact-text");
        argv.insert(argv.end(), c.words.begin(), c.words.end());
    }
    const mirvo_test::ProgramResult r = runProgram(argv, RUN_DIR, env);
    ASSERT_EQ(r.status, 0) << joined(argv) << "\n" << r.err;
}

// Every frame of `got` equals the same frame of `want`; a difference is reported with its
// first pixel.
void expectSameFrames(const std::string &want, const std::string &got, const std::string &what)
{
    const std::vector<std::string> wanted = listFiles(want, ".png");
    const std::vector<std::string> gotten = listFiles(got, ".png");
    ASSERT_EQ(wanted.size(), size_t(FRAMES)) << what << ": native frames in " << want;
    ASSERT_EQ(gotten.size(), size_t(FRAMES)) << what << ": page frames in " << got;
    for (int f = 0; f < FRAMES; ++f) {
        const PngImage a = readPng(wanted[f]), b = readPng(gotten[f]);
        ASSERT_FALSE(a.pixels.empty()) << wanted[f];
        ASSERT_EQ(a.width, b.width) << what << ", frame " << f + 1;
        ASSERT_EQ(a.height, b.height) << what << ", frame " << f + 1;
        if (a.pixels == b.pixels)
            continue;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const mirvo_test::Rgb &p = a.at(x, y), &q = b.at(x, y);
                ASSERT_EQ(p, q) << what << ", frame " << f + 1 << ", pixel (" << x << ", " << y
                                << "): native (" << int(p.r) << ", " << int(p.g) << ", " << int(p.b)
                                << "), page (" << int(q.r) << ", " << int(q.g) << ", " << int(q.b)
                                << ")";
            }
    }
}

void removeTree(const std::string &dir)
{
    if (!dir.empty() && dir.find("mirvo-web") != std::string::npos)
        (void)!system(("rm -rf '" + dir + "'").c_str());
}

// Test names and failure messages show a case by its words.
void PrintTo(const program_case &c, std::ostream *os)
{
    *os << c.name << ": " << joined(c.words) << (c.exact_text ? " (exact text)" : "");
}

class NativeLayer : public ::testing::TestWithParam<program_case> { };

// The surface layer and the linked-in player draw what SDL 1.2 and the loaded modules draw.
TEST_P(NativeLayer, FramesEqualTheNativeProgram)
{
    const program_case &c = GetParam();
    if (std::string(c.name).find("alpha") != std::string::npos && SDL_Linked_Version()->patch > 15)
        GTEST_SKIP() << "the native programs' sdl12-compat blends transparency by SDL 2's rules";
    const std::string dir = makeTempDir("mirvo-web-native");
    captureNative(c, dir + "/native");
    std::vector<std::string> argv = {MIRVO_WEB_FRAMES, "--frames", std::to_string(FRAMES)};
    if (c.exact_text)
        argv.push_back("--exact-text");
    argv.push_back(dir + "/page");
    argv.insert(argv.end(), c.words.begin(), c.words.end());
    const mirvo_test::ProgramResult r = runProgram(argv, RUN_DIR);
    ASSERT_EQ(r.status, 0) << r.err;
    expectSameFrames(dir + "/native", dir + "/page", c.name);
    if (!HasFailure())
        removeTree(dir);
}

INSTANTIATE_TEST_SUITE_P(Programs, NativeLayer, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<program_case> &i) {
                             return std::string(i.param.name);
                         });
INSTANTIATE_TEST_SUITE_P(Fonts, NativeLayer, ::testing::ValuesIn(FONT_CASES),
                         [](const ::testing::TestParamInfo<program_case> &i) {
                             return std::string(i.param.name);
                         });

bool onPath(const std::string &program)
{
    return system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The page in a real browser: built with Emscripten, served on 127.0.0.1, its canvas read
// back frame by frame in headless Chromium.
TEST(Browser, FramesEqualTheNativePrograms)
{
    if (!onPath("emcmake"))
        GTEST_SKIP() << "emscripten is not installed (tools/deps.sh test:web installs it)";
    if (!onPath("chromium"))
        GTEST_SKIP() << "chromium is not installed (tools/deps.sh test:web installs it)";
    const mirvo_test::ProgramResult built =
        runProgram({SOURCE_DIR + "/tools/web.sh", WEB_BUILD_DIR}, SOURCE_DIR);
    ASSERT_EQ(built.status, 0) << built.out << built.err;

    const std::string dir = makeTempDir("mirvo-web-browser");
    // One browser run per kind of text: the exact ones, then the padded one.
    for (bool exact : {true, false}) {
        std::vector<std::string> argv = {SOURCE_DIR + "/web/browser.py", WEB_BUILD_DIR, "frames",
                                         dir + "/page", std::to_string(FRAMES)};
        if (exact)
            argv.push_back("--exact");
        for (const program_case &c : CASES)
            if (c.exact_text == exact)
                argv.push_back(std::string(c.name) + "=" + joined(c.words));
        const mirvo_test::ProgramResult r = runProgram(argv, SOURCE_DIR);
        ASSERT_EQ(r.status, 0) << joined(argv) << "\n" << r.err;
    }
    ASSERT_EQ(mkdir((dir + "/native").c_str(), 0777), 0);
    for (const program_case &c : CASES) {
        SCOPED_TRACE(c.name);
        captureNative(c, dir + "/native/" + c.name);
        expectSameFrames(dir + "/native/" + c.name, dir + "/page/" + c.name, c.name);
    }
    if (!HasFailure())
        removeTree(dir);
}

}  // namespace
