// Frame pacing: the schedule, dropped frames and the rate report, on a clock the test moves
// itself: this program's SDL_GetTicks and SDL_Delay stand in for SDL's, so the library's pacing
// reads and waits on the test clock, and every figure below is exact whatever the machine load.
#include "mirvo.h"

#include <gtest/gtest.h>

#include <string>

#include "output_capture.h"

namespace {

Uint32 clock_ms = 0;
int delays = 0;

}  // namespace

extern "C" Uint32 SDL_GetTicks(void)
{
    return clock_ms;
}
extern "C" void SDL_Delay(Uint32 ms)
{
    ++delays;
    clock_ms += ms;
}

namespace {

class Pacing : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock_ms = 1000;
        delays = 0;
        MIRVO_init_timer();
        MIRVO_set_fps(50);
    }
};

TEST_F(Pacing, AFrameIsShownNoEarlierThanItsPeriod)
{
    MIRVO_new_time();
    EXPECT_EQ(MIRVO_fps_ok(), 1);
    EXPECT_EQ(clock_ms, 1020u) << "frame shown before (or long after) it was due";
    MIRVO_new_time();
    EXPECT_EQ(MIRVO_fps_ok(), 1);
    EXPECT_EQ(clock_ms, 1040u) << "second frame not kept to the schedule";
}

TEST_F(Pacing, AFrameMoreThanOnePeriodLateIsDroppedAndTheScheduleCatchesUp)
{
    MIRVO_new_time();
    clock_ms += 70;  // due at 20 ms, now at 70: 50 ms late
    EXPECT_EQ(MIRVO_fps_ok(), 0);
    EXPECT_EQ(delays, 0) << "a dropped frame must not sleep";
    EXPECT_EQ(clock_ms, 1070u);
    // The schedule moves on one period per frame: the frame due at 40 ms is 30 ms late and
    // dropped, the one due at 60 is 10 ms late and shown at once.
    int dropped = 1, run = 1;
    for (;;) {
        MIRVO_new_time();
        ++run;
        if (MIRVO_fps_ok())
            break;
        ++dropped;
        ASSERT_LT(run, 10) << "the schedule never caught up";
    }
    EXPECT_EQ(dropped, 2);
    EXPECT_EQ(delays, 0) << "a late frame that is shown must not sleep";
    // Back on schedule: the next frame, due at 80 ms, is shown after waiting for it.
    MIRVO_new_time();
    ++run;
    EXPECT_EQ(MIRVO_fps_ok(), 1);
    EXPECT_EQ(clock_ms, 1080u);

    mirvotest::captureStdout();
    MIRVO_print_fps();
    std::string line = mirvotest::capturedStdout();
    std::string counts =
        std::to_string(run) + " frames run, " + std::to_string(run - dropped) + " frames shown";
    EXPECT_NE(line.find(counts), std::string::npos) << line;
    EXPECT_EQ(line.back(), '\n');
}

TEST_F(Pacing, AfterAStallOfOverASecondTheScheduleStartsAfresh)
{
    MIRVO_new_time();
    clock_ms += 1500;
    EXPECT_EQ(MIRVO_fps_ok(), 0);
    // The next frame is due one period after the stall, not 1.5 s of dropped frames later.
    MIRVO_new_time();
    EXPECT_EQ(MIRVO_fps_ok(), 1);
    EXPECT_EQ(clock_ms, 2520u);
}

}  // namespace
