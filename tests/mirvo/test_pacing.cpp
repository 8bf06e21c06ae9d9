// Frame pacing and the environment-driven automation (frame limit, capture).
#include "mirvo.h"
#include "png_image.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Pacing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(MIRVO_set_video(32, 32, 32, SDL_SWSURFACE)); }
    static void TearDownTestSuite() { SDL_Quit(); }
};

TEST_F(Pacing, AFrameIsShownNoEarlierThanItsPeriod)
{
    MIRVO_init_timer();
    MIRVO_set_fps(50);
    MIRVO_new_time();
    Uint32 start = SDL_GetTicks();
    EXPECT_EQ(MIRVO_fps_ok(), 1);
    EXPECT_GE(SDL_GetTicks() - start, 19u) << "frame shown before it was due";
    MIRVO_new_time();
    EXPECT_EQ(MIRVO_fps_ok(), 1);
    EXPECT_GE(SDL_GetTicks() - start, 39u) << "second frame not kept to the schedule";
}

TEST_F(Pacing, AFrameMoreThanOnePeriodLateIsDroppedAndTheScheduleCatchesUp)
{
    MIRVO_init_timer();
    MIRVO_set_fps(50);
    MIRVO_new_time();
    SDL_Delay(70);  // due at 20 ms, now at 70: 50 ms late
    Uint32 before = SDL_GetTicks();
    EXPECT_EQ(MIRVO_fps_ok(), 0);
    EXPECT_LT(SDL_GetTicks() - before, 20u) << "a dropped frame must not sleep";
    // The schedule moves on one period per frame, so the frames due at 40 and 60 ms are
    // caught up within a couple of frames (exactly: 40 is 30 ms late and dropped, 60 is
    // 10 ms late and shown, unless the machine stalls between the calls).
    int dropped = 1, run = 1;
    for (;;) {
        MIRVO_new_time();
        ++run;
        if (MIRVO_fps_ok())
            break;
        ++dropped;
        ASSERT_LT(run, 10) << "the schedule never caught up";
    }
    EXPECT_GE(dropped, 2);
    // Back on schedule: the next frame is shown again.
    MIRVO_new_time();
    ++run;
    EXPECT_EQ(MIRVO_fps_ok(), 1);

    testing::internal::CaptureStdout();
    MIRVO_print_fps();
    std::string line = testing::internal::GetCapturedStdout();
    std::string counts = std::to_string(run) + " frames run, " + std::to_string(run - dropped) + " frames shown";
    EXPECT_NE(line.find(counts), std::string::npos) << line;
    EXPECT_EQ(line.back(), '\n');
}

// The probe program paints frame k with grey k (or palette entry k on 8-bit screens).
mirvo_test::ProgramResult runProbe(const std::string &bpp, const std::string &capture,
                                   const std::string &frames)
{
    return mirvo_test::runProgram({MIRVO_PROBE, bpp}, "",
                                  {{"MIRVO_FRAMES", frames}, {"MIRVO_CAPTURE", capture},
                                   {"MIRVO_NOWAIT", "1"}});
}

TEST(Automation, FrameLimitQuitsThroughTheProgramsOwnPathAndEveryFrameIsCaptured)
{
    std::string dir = mirvo_test::makeTempDir("mirvo-capture");
    mirvo_test::ProgramResult r = runProbe("32", dir, "5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("quit in frame 6"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("6 frames run, 5 frames shown"), std::string::npos) << r.out;
    std::vector<std::string> files = mirvo_test::listFiles(dir, ".png");
    ASSERT_EQ(files.size(), 5u);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(files[k - 1], dir + "/frame-00000" + std::to_string(k) + ".png");
        mirvo_test::PngImage img = mirvo_test::readPng(files[k - 1]);
        ASSERT_EQ(img.width, 64);
        ASSERT_EQ(img.height, 48);
        EXPECT_EQ(img.at(10, 10), (mirvo_test::Rgb{(uint8_t)k, (uint8_t)k, (uint8_t)k}))
            << "capture " << k << " does not hold frame " << k;
        unlink(files[k - 1].c_str());
    }
    rmdir(dir.c_str());
}

TEST(Automation, EightBitScreensAreCapturedThroughTheirPalette)
{
    std::string dir = mirvo_test::makeTempDir("mirvo-capture8");
    mirvo_test::ProgramResult r = runProbe("8", dir, "3");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> files = mirvo_test::listFiles(dir, ".png");
    ASSERT_EQ(files.size(), 3u);
    mirvo_test::PngImage img = mirvo_test::readPng(files[2]);
    EXPECT_EQ(img.at(0, 0), (mirvo_test::Rgb{3, 252, 7}));
    for (auto &f : files)
        unlink(f.c_str());
    rmdir(dir.c_str());
}

}  // namespace
