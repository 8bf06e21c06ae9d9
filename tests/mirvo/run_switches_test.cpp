// The programs' run switches (MIRVO_FRAMES, MIRVO_CAPTURE, MIRVO_NOWAIT) through the probe
// program, and the switch object itself.
#include "mirvo.h"
#include "png_image.h"
#include "run_program.h"
#include "run_switches.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The probe program paints frame k with grey k (or palette entry k on 8-bit screens); with
// `last` it ends by itself after drawing that frame.
mirvo_test::ProgramResult runProbe(const std::string &bpp, const std::string &capture,
                                   const std::string &frames, const std::string &last = "")
{
    std::vector<std::string> argv{MIRVO_PROBE, bpp};
    if (!last.empty())
        argv.push_back(last);
    return mirvo_test::runProgram(
        argv, "", {{"MIRVO_FRAMES", frames}, {"MIRVO_CAPTURE", capture}, {"MIRVO_NOWAIT", "1"}});
}

void removeFolder(const std::string &dir)
{
    ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

// Captures 1..n of the probe, each 64 x 48 in the grey of its frame.
void expectProbeFrames(const std::string &dir, int n)
{
    std::vector<std::string> files = mirvo_test::listFiles(dir, ".png");
    ASSERT_EQ(files.size(), (size_t)n);
    for (int k = 1; k <= n; ++k) {
        char name[32];
        snprintf(name, sizeof name, "/frame-%06d.png", k);
        EXPECT_EQ(files[k - 1], dir + name);
        mirvo_test::PngImage img = mirvo_test::readPng(files[k - 1]);
        ASSERT_EQ(img.width, 64);
        ASSERT_EQ(img.height, 48);
        EXPECT_EQ(img.at(10, 10), (mirvo_test::Rgb{(uint8_t)k, (uint8_t)k, (uint8_t)k}))
            << "capture " << k << " does not hold frame " << k;
    }
}

TEST(RunSwitches, FrameLimitQuitsThroughTheProgramsOwnPathAndEveryFrameIsCaptured)
{
    std::string dir = mirvo_test::makeTempDir("mirvo-capture");
    mirvo_test::ProgramResult r = runProbe("32", dir, "5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("quit in frame 6"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("6 frames run, 5 frames shown"), std::string::npos) << r.out;
    expectProbeFrames(dir, 5);
    removeFolder(dir);
}

TEST(RunSwitches, TheLastFrameOfARunThatEndsByItselfIsCaptured)
{
    // No frame starts after the last one, so it must be written when it is drawn.
    std::string dir = mirvo_test::makeTempDir("mirvo-capture-last");
    mirvo_test::ProgramResult r = runProbe("32", dir, "", "4");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("done after frame 4"), std::string::npos) << r.out;
    expectProbeFrames(dir, 4);
    removeFolder(dir);
}

TEST(RunSwitches, EightBitScreensAreCapturedThroughTheirPalette)
{
    std::string dir = mirvo_test::makeTempDir("mirvo-capture8");
    mirvo_test::ProgramResult r = runProbe("8", dir, "3");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> files = mirvo_test::listFiles(dir, ".png");
    ASSERT_EQ(files.size(), 3u);
    mirvo_test::PngImage img = mirvo_test::readPng(files[2]);
    EXPECT_EQ(img.at(0, 0), (mirvo_test::Rgb{3, 252, 7}));
    removeFolder(dir);
}

TEST(RunSwitches, ACaptureThatCannotBeWrittenEndsTheRunWithStatus1AndOneLine)
{
    // Frame 3's file name is taken by a folder: frames 1 and 2 are written, then the run ends
    // through the program (the library never exits), without the rate report.
    std::string dir = mirvo_test::makeTempDir("mirvo-capture-fail");
    const std::string blocked = dir + "/frame-000003.png";
    ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
    mirvo_test::ProgramResult r = runProbe("32", dir, "10");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "MIRVO: cannot write " + blocked + ": " + strerror(EISDIR) + "\n");
    EXPECT_EQ(r.out.find("frames run"), std::string::npos) << r.out;
    ASSERT_EQ(rmdir(blocked.c_str()), 0);
    expectProbeFrames(dir, 2);
    removeFolder(dir);
}

TEST(RunSwitches, ACaptureFolderThatCannotBeMadeEndsTheRunBeforeAnyFrameIsShown)
{
    mirvo_test::ProgramResult r = runProbe("32", "/dev/null/frames", "10");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("MIRVO: cannot make capture folder /dev/null/frames: ") +
                         strerror(ENOTDIR) + "\n");
    EXPECT_EQ(r.out, "");
}

TEST(RunSwitches, AreReadFromTheEnvironment)
{
    setenv("MIRVO_FRAMES", "42", 1);
    setenv("MIRVO_CAPTURE", "/tmp/somewhere", 1);
    setenv("MIRVO_NOWAIT", "1", 1);
    mirvo_run::Switches s = mirvo_run::switchesFromEnvironment();
    EXPECT_EQ(s.frames, 42u);
    EXPECT_EQ(s.capture, "/tmp/somewhere");
    EXPECT_TRUE(s.nowait);
    EXPECT_EQ(mirvo_run::FrameRun(s).rate(50), 0) << "MIRVO_NOWAIT must turn pacing off";

    setenv("MIRVO_NOWAIT", "0", 1);
    setenv("MIRVO_CAPTURE", "", 1);
    unsetenv("MIRVO_FRAMES");
    s = mirvo_run::switchesFromEnvironment();
    EXPECT_EQ(s.frames, 0u);
    EXPECT_EQ(s.capture, "");
    EXPECT_FALSE(s.nowait);
    EXPECT_EQ(mirvo_run::FrameRun(s).rate(50), 50);
    unsetenv("MIRVO_NOWAIT");
    unsetenv("MIRVO_CAPTURE");
}

bool quitQueued()
{
    SDL_PumpEvents();
    SDL_Event e;
    return SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_QUITMASK) == 1;
}

TEST(RunSwitches, TheQuitIsPostedAtTheStartOfTheFrameAfterTheLastCountedOne)
{
    ASSERT_TRUE(MIRVO_set_video(16, 16, 32, SDL_SWSURFACE));
    while (quitQueued()) { }
    mirvo_run::Switches s;
    s.frames = 3;
    mirvo_run::FrameRun run(s);
    for (int frame = 1; frame <= 3; ++frame) {
        run.frameStarts();
        EXPECT_FALSE(quitQueued()) << "quit posted in frame " << frame;
    }
    run.frameStarts();
    EXPECT_TRUE(quitQueued()) << "no quit at the start of frame 4";
    run.frameStarts();
    EXPECT_FALSE(quitQueued()) << "the quit is posted once";
    SDL_Quit();
}

}  // namespace
