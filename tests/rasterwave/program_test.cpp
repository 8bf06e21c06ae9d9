// rasterwave as a program: run headless (dummy video driver) through the support
// library's automation, its frames captured as PNG files and read back along the wave.
#include "png_image.h"
#include "run_program.h"
#include "strip_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace rasterwave_test;
using mirvo_test::listFiles;
using mirvo_test::makeTempDir;
using mirvo_test::ProgramResult;
using mirvo_test::readPng;
using mirvo_test::runProgram;

namespace {

const std::string PROGRAM = RASTERWAVE_PROGRAM;
const std::string FRAME_CLOCK = RASTERWAVE_FRAME_CLOCK;
// A folder next to GFX/, so that "../GFX/font.pcx" resolves.
const std::string RUN_DIR = RASTERWAVE_RUN_DIR;

const std::string BANNER = "Rasterwave - Halvard - 2002\n";

// Frames at which the text's events fall with 20 ms frames: a glyph is printed every 7th
// frame; the pause mark is the 10th character (frame 70) and holds the text for 150
// frames (3000 ms, the first span above 2999 ms), so scrolling resumes in frame 221; the
// second mark (53rd character) pauses again from frame 521 to 671. The text has 125
// characters: its end is reached by the 126th print (frame 1182), which shows the
// leading space again, and the "M" follows in frame 1189.
const int PAUSE_PRINT_FRAME = 70;
const int PAUSE_LAST_FRAME = 220;
const int FIRST_M_FRAME = 14;
const int SECOND_M_FRAME = 1189;
const int FRAMES = SECOND_M_FRAME + 2;

void removeTree(const std::string &dir)
{
    for (const std::string &f : listFiles(dir, ""))
        unlink(f.c_str());
    rmdir(dir.c_str());
}

std::vector<std::pair<std::string, std::string>> frameClockEnv(const std::string &capture,
                                                               int frames)
{
    return {{"MIRVO_FRAMES", std::to_string(frames)},
            {"MIRVO_NOWAIT", "1"},
            {"MIRVO_CAPTURE", capture},
            {"LD_PRELOAD", FRAME_CLOCK},
            // The sanitizer runtime need not be first when the clock is preloaded.
            {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
}

int lines(const std::string &s)
{
    return (int)std::count(s.begin(), s.end(), '\n');
}

// The long run's frames, read back, are kept in one file in the build tree so that the
// tests sharing it (each in a process of its own under CTest) run the program once. The
// file is remade when the program, the clock or this test is newer than it.
const std::string CACHE = RASTERWAVE_CACHE;

time_t modified(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
}

bool cacheFresh()
{
    time_t made = modified(CACHE);
    return made != 0 && made >= modified(PROGRAM) && made >= modified(FRAME_CLOCK) &&
           made >= modified("/proc/self/exe");
}

template <typename T> void put(std::ofstream &f, const T &v)
{
    f.write((const char *)&v, sizeof v);
}
template <typename T> bool get(std::ifstream &f, T &v)
{
    return (bool)f.read((char *)&v, sizeof v);
}

void writeCache(const ProgramResult &r, const std::vector<StripFrame> &frames)
{
    std::string tmp = CACHE + ".part";
    {
        std::ofstream f(tmp, std::ios::binary);
        put(f, r.status);
        put(f, r.err.size());
        f.write(r.err.data(), (std::streamsize)r.err.size());
        put(f, frames.size());
        for (const StripFrame &s : frames) {
            put(f, s.frame);
            put(f, s.strayPixels);
            put(f, s.misplacedBars);
            put(f, s.barsFound);
            f.write((const char *)s.strip.data(), (std::streamsize)(s.strip.size() * sizeof(Rgb)));
        }
    }
    rename(tmp.c_str(), CACHE.c_str());
}

bool readCache(ProgramResult &r, std::vector<StripFrame> &frames)
{
    std::ifstream f(CACHE, std::ios::binary);
    size_t n = 0;
    if (!get(f, r.status) || !get(f, n) || n > 1 << 20)
        return false;
    r.err.resize(n);
    if (!f.read(&r.err[0], (std::streamsize)n) || !get(f, n) || n > 100000)
        return false;
    frames.resize(n);
    for (StripFrame &s : frames) {
        s.strip.resize((size_t)SCREEN_W * STRIP_H);
        if (!get(f, s.frame) || !get(f, s.strayPixels) || !get(f, s.misplacedBars) ||
            !get(f, s.barsFound) ||
            !f.read((char *)s.strip.data(), (std::streamsize)(s.strip.size() * sizeof(Rgb))))
            return false;
    }
    return true;
}

// One long run on the frame clock, shared by the tests below: long enough to pass both
// pauses and the text's restart.
class RasterwaveRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        result_ = new ProgramResult;
        frames_ = new std::vector<StripFrame>;
        int lock = open((CACHE + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
        if (lock >= 0)
            flock(lock, LOCK_EX);
        if (!cacheFresh() || !readCache(*result_, *frames_)) {
            frames_->clear();
            std::string capture = makeTempDir("rasterwave-frames");
            *result_ = runProgram({PROGRAM}, RUN_DIR, frameClockEnv(capture, FRAMES));
            std::vector<std::string> files = listFiles(capture, ".png");
            for (size_t k = 0; k < files.size(); ++k) {
                PngImage img = readPng(files[k]);
                if (img.width == SCREEN_W && img.height == SCREEN_H)
                    frames_->push_back(readStripFrame(img, (int)k + 1));
            }
            removeTree(capture);
            writeCache(*result_, *frames_);
        }
        if (lock >= 0)
            close(lock);
    }
    static void TearDownTestSuite()
    {
        delete result_;
        delete frames_;
    }

    const StripFrame &frame(int f) const
    {
        return (*frames_)[(size_t)f - 1];
    }
    bool haveAllFrames() const
    {
        return (int)frames_->size() == FRAMES;
    }

    static ProgramResult *result_;
    static std::vector<StripFrame> *frames_;
};

ProgramResult *RasterwaveRun::result_ = nullptr;
std::vector<StripFrame> *RasterwaveRun::frames_ = nullptr;

}  // namespace

// ---- start and end ----------------------------------------------------------------------

TEST(RasterwaveCommandLine, AnyArgumentPrintsTheBannerAndExits255WithoutDrawing)
{
    std::string capture = makeTempDir("rasterwave-banner");
    ProgramResult r = runProgram({PROGRAM, "--banner"}, RUN_DIR,
                                 {{"MIRVO_FRAMES", "5"}, {"MIRVO_CAPTURE", capture}});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, BANNER);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(listFiles(capture, ".png").empty()) << "no frame may be drawn";
    removeTree(capture);

    r = runProgram({PROGRAM, "a", "b"}, RUN_DIR);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, BANNER);
}

TEST(RasterwaveFailures, MissingFontEndsWithStatus1AndOneLineNamingIt)
{
    std::string dir = makeTempDir("rasterwave-nofont");
    std::string run = dir + "/run";
    mkdir(run.c_str(), 0755);
    std::string capture = dir + "/frames";
    ProgramResult r = runProgram(
        {PROGRAM}, run, {{"MIRVO_FRAMES", "5"}, {"MIRVO_NOWAIT", "1"}, {"MIRVO_CAPTURE", capture}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("../GFX/font.pcx"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Rasterwave"), std::string::npos);
    EXPECT_TRUE(listFiles(capture, ".png").empty()) << "it must stop before the first frame";
    rmdir(run.c_str());
    removeTree(capture);
    rmdir(dir.c_str());
}

TEST(RasterwaveFailures, UnreadableFontEndsWithStatus1AndOneLineNamingIt)
{
    std::string dir = makeTempDir("rasterwave-badfont");
    std::string gfx = dir + "/GFX", run = dir + "/run";
    mkdir(gfx.c_str(), 0755);
    mkdir(run.c_str(), 0755);
    std::ofstream(gfx + "/font.pcx") << "this is not a picture";
    ProgramResult r = runProgram({PROGRAM}, run, {{"MIRVO_FRAMES", "5"}, {"MIRVO_NOWAIT", "1"}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("../GFX/font.pcx"), std::string::npos) << r.err;
    unlink((gfx + "/font.pcx").c_str());
    rmdir(gfx.c_str());
    rmdir(run.c_str());
    rmdir(dir.c_str());
}

TEST(RasterwavePacing, APacedRunDrawsEveryFrameAndEndsWithStatus0)
{
    std::string capture = makeTempDir("rasterwave-paced");
    ProgramResult r =
        runProgram({PROGRAM}, RUN_DIR, {{"MIRVO_FRAMES", "20"}, {"MIRVO_CAPTURE", capture}});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> files = listFiles(capture, ".png");
    ASSERT_EQ(files.size(), 20u);
    // Frames run whether or not the pacing lets them be shown: the 20th frame has the
    // wave 19 steps on.
    StripFrame last = readStripFrame(readPng(files.back()), 20);
    EXPECT_EQ(last.barsFound, SCREEN_W);
    EXPECT_EQ(last.strayPixels, 0);
    removeTree(capture);
}

TEST_F(RasterwaveRun, EndsThroughItsQuitPathAfterTheRequestedFrames)
{
    EXPECT_EQ(result_->status, 0) << result_->err;
    EXPECT_EQ(result_->err, "");
    EXPECT_TRUE(haveAllFrames()) << frames_->size() << " frames captured";
}

// ---- the wave and the bar ---------------------------------------------------------------

TEST_F(RasterwaveRun, StripTopEdgeFollowsTheWaveTableOneStepPerFrame)
{
    ASSERT_TRUE(haveAllFrames());
    for (const StripFrame &f : *frames_) {
        // Nothing is drawn outside the strip's 32 rows, and wherever the bar shows its
        // top row is 12 rows below the wave table's entry (x + f - 1) mod 360.
        ASSERT_EQ(f.strayPixels, 0) << "frame " << f.frame;
        ASSERT_EQ(f.misplacedBars, 0) << "frame " << f.frame;
        ASSERT_GT(f.barsFound, 0) << "frame " << f.frame;
    }
    // Before any text shows, the bar shows in every column.
    for (int k = 1; k <= 15; ++k)
        EXPECT_EQ(frame(k).barsFound, SCREEN_W) << "frame " << k;
}

TEST_F(RasterwaveRun, BarRowsCarryPaletteEntries1234321)
{
    ASSERT_TRUE(haveAllFrames());
    // Only the bar shows until the first letter scrolls into view: rows 12 to 18 of
    // every strip column carry entries 1, 2, 3, 4, 3, 2, 1 and all else is black.
    for (int k = 1; k <= 15; ++k)
        EXPECT_TRUE(frame(k).inkedColumns().empty()) << "frame " << k;
}

TEST_F(RasterwaveRun, TextBehindTheBarNeverCoversIt)
{
    ASSERT_TRUE(haveAllFrames());
    for (const StripFrame &f : *frames_) {
        for (int c = FIRST_SHOWN; c < FIRST_SHOWN + SCREEN_W; ++c) {
            if (twistAt(f.frame, c) > 0)
                continue;
            for (int r = 0; r < 7; ++r)
                ASSERT_EQ(f.at(c, BAR_TOP + r), PALETTE[BAR_ENTRIES[r]])
                    << "frame " << f.frame << " column " << c << " bar row " << r;
        }
    }
}

// ---- the text ---------------------------------------------------------------------------

// The "M" printed in frame `m` into columns 496 .. 511 moves two columns a frame; its
// ink starts at its third column, so scroll columns 494 and 495 are blank one frame
// later and inked two frames later, on show in front or mirrored behind.
void expectLetterEntersAt(const StripFrame &blank, const StripFrame &inked)
{
    for (int c : {494, 495})
        for (int col : columnsShowing(blank.frame, c))
            EXPECT_TRUE(blank.barOnly(col)) << "frame " << blank.frame << " column " << col;
    int shown = 0;
    for (int c : {494, 495})
        for (int col : columnsShowing(inked.frame, c))
            shown += !inked.barOnly(col);
    EXPECT_GT(shown, 0) << "frame " << inked.frame << ": the letter should have entered";
}

TEST_F(RasterwaveRun, FirstGlyphEntersInFrame7AndStaysHiddenUntilItScrollsIntoView)
{
    ASSERT_TRUE(haveAllFrames());
    // The leading space enters in frame 7, the "M" in frame 14; neither shows while it
    // sits in the hidden columns 496 .. 511.
    for (int k = 1; k <= FIRST_M_FRAME + 1; ++k)
        EXPECT_TRUE(frame(k).inkedColumns().empty()) << "frame " << k;
    expectLetterEntersAt(frame(FIRST_M_FRAME + 1), frame(FIRST_M_FRAME + 2));
    // In frame 16 the M is all there is, and only its first two columns are in view.
    std::set<int> allowed;
    for (int c : {494, 495})
        for (int col : columnsShowing(FIRST_M_FRAME + 2, c))
            allowed.insert(col);
    for (int col : frame(FIRST_M_FRAME + 2).inkedColumns())
        EXPECT_TRUE(allowed.count(col)) << "unexpected ink in strip column " << col;
}

TEST_F(RasterwaveRun, PauseMarkHoldsTheTextJustOver3SecondsWhileTwistAndWaveGoOn)
{
    ASSERT_TRUE(haveAllFrames());
    // The twist repeats every 31 frames, so a still text gives the same strip 31 frames
    // later. The text moves in frame 70, then stands still in frames 71 .. 220.
    // Pairs that span a frame in which the text moved differ wherever the text shows.
    auto expectMovedBetween = [&](int first, int last) {
        int seen = 0;
        for (int k = first; k <= last; ++k) {
            if (frame(k).inkedColumns().empty() && frame(k + 31).inkedColumns().empty())
                continue;
            ++seen;
            EXPECT_FALSE(frame(k).sameStrip(frame(k + 31)))
                << "text should have moved between frames " << k << " and " << k + 31;
        }
        EXPECT_GT(seen, 0);
    };
    expectMovedBetween(PAUSE_PRINT_FRAME - 31, PAUSE_PRINT_FRAME - 1);
    for (int k = PAUSE_PRINT_FRAME; k + 31 <= PAUSE_LAST_FRAME; ++k)
        EXPECT_TRUE(frame(k).sameStrip(frame(k + 31)))
            << "text moved between frames " << k << " and " << k + 31;
    expectMovedBetween(PAUSE_LAST_FRAME - 30, PAUSE_LAST_FRAME);  // resumed in frame 221
    // Meanwhile the twist turns every frame (the wave is checked in every frame above):
    // whenever the still text shows, the strip differs from the frame before.
    int showing = 0;
    for (int k = PAUSE_PRINT_FRAME + 1; k < PAUSE_LAST_FRAME; ++k) {
        if (frame(k).inkedColumns().empty())
            continue;
        ++showing;
        EXPECT_FALSE(frame(k).sameStrip(frame(k + 1))) << "frame " << k;
    }
    EXPECT_GT(showing, 50);
    // The pause mark's cell is blank: it was printed at 496 in frame 70 and has moved 160
    // columns by frame 300.
    for (int c = 336; c <= 351; ++c)
        for (int col : columnsShowing(300, c))
            EXPECT_TRUE(frame(300).barOnly(col)) << "strip column " << col;
}

TEST_F(RasterwaveRun, AfterTheLastCharacterTheTextRestartsWithoutAPause)
{
    ASSERT_TRUE(haveAllFrames());
    // The second pass's "M" enters 7 frames after the restart's space, exactly as the
    // first pass's did: no pause at the end of the text.
    expectLetterEntersAt(frame(SECOND_M_FRAME + 1), frame(SECOND_M_FRAME + 2));
}
