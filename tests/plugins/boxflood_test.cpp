// boxflood: the rectangle sequences, clipping, restart and the mended shrinking end.
#include "effect_harness.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

using namespace fx_test;

namespace {

const Uint32 BACKGROUND = 0x010203;
const Uint32 RED = 0xff0000;

struct Fill {
    int x, y, w, h;
    bool operator==(const Fill &o) const
    {
        return x == o.x && y == o.y && w == o.w && h == o.h;
    }
};
std::ostream &operator<<(std::ostream &os, const Fill &f)
{
    return os << "(" << f.x << ", " << f.y << ", " << f.w << ", " << f.h << ")";
}

// Draws one frame on a cleared target and returns the filled rectangle: (0, 0, 0, 0)
// when nothing was filled. Fails the test when the filled pixels are not one rectangle.
Fill drawAndMeasure(Effect &fx, SDL_Surface *s, Uint32 colour = RED)
{
    fill(s, BACKGROUND);
    fx.draw();
    int x0 = s->w, y0 = s->h, x1 = -1, y1 = -1;
    long count = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            Uint32 p = pixel(s, x, y);
            if (p == BACKGROUND)
                continue;
            EXPECT_EQ(p, colour) << "stray colour at " << x << "," << y;
            ++count;
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
    if (count == 0)
        return {0, 0, 0, 0};
    Fill f{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    EXPECT_EQ(count, (long)f.w * f.h) << "filled pixels are not a rectangle " << f;
    return f;
}

// Draws until restart is called (at most `limit` calls); returns every fill.
std::vector<Fill> runToRestart(Effect &fx, SDL_Surface *s, int limit, int &calls)
{
    std::vector<Fill> fills;
    for (calls = 1; calls <= limit; ++calls) {
        Fill f = drawAndMeasure(fx, s);
        if (restartCount() > 0)
            break;
        fills.push_back(f);
    }
    return fills;
}

}  // namespace

TEST(BoxfloodContract, IsAFilterAndFreeDoesNothing)
{
    Effect fx("boxflood");
    ASSERT_TRUE(fx.loaded());
    EXPECT_EQ(fx.module().is_filter(), 1);
    SurfacePtr s = makeTarget(64, 48);
    fx.start(s.get(), {"0", "2", "255", "0", "0"});
    fx.free();  // nothing allocated; the effect stays drawable
    EXPECT_EQ(drawAndMeasure(fx, s.get()), (Fill{0, 0, 64, 48}));
}

// A whole run at 640x480: fill k (from 0) of every call before the restart, by formula.
struct SequenceCase {
    const char *name;
    const char *direction;  // "0" shrinks, "1" grows
    const char *rate;
    int calls;  // the call that restarts
    Fill (*fill)(int k);
};

Fill shrinkingBy2(int k)
{
    // y gains trunc(1.5) = 1 from a whole number, h loses 3, x gains 2, w loses 4:
    // from (0, 0, 640, 480) to (318, 159, 4, 3) at the centre.
    return {2 * k, k, 640 - 4 * k, 480 - 3 * k};
}
Fill growingBy4(int k)
{
    // From the empty (320, 240, 0, 0), then (316, 237, 8, 6) ... (4, 3, 632, 474).
    if (k == 0)
        return {0, 0, 0, 0};
    return {320 - 4 * k, 240 - 3 * k, 8 * k, 6 * k};
}
Fill growingBy2(int k)
{
    if (k == 0)
        return {0, 0, 0, 0};
    // y loses 2 a frame (trunc(y - 1.5)), h gains 3, until y reaches 0 at fill 120 ...
    if (k <= 120)
        return {320 - 2 * k, 240 - 2 * k, 4 * k, 3 * k};
    // ... then the fill clips y -1 back to row 0: 2 more rows a frame, downward, to
    // (2, 0, 636, 438).
    return {320 - 2 * k, 0, 4 * k, 360 + 2 * (k - 120)};
}

// Named in test listings by the case, not by its bytes.
void PrintTo(const SequenceCase &c, std::ostream *os)
{
    *os << c.name;
}

class BoxfloodSequence : public ::testing::TestWithParam<SequenceCase> { };

TEST_P(BoxfloodSequence, EveryFillFollowsTheRateAndTheLastCallRestarts)
{
    const SequenceCase &c = GetParam();
    Effect fx("boxflood");
    SurfacePtr s = makeTarget(640, 480);
    fx.start(s.get(), {c.direction, c.rate, "255", "0", "0"});
    int calls = 0;
    std::vector<Fill> fills = runToRestart(fx, s.get(), 400, calls);
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(restartCount(), 1);
    ASSERT_EQ((int)fills.size(), c.calls - 1);
    for (int k = 0; k < (int)fills.size(); ++k)
        ASSERT_EQ(fills[k], c.fill(k)) << "fill " << k;
    // Finished: every further call restarts again and fills nothing.
    EXPECT_EQ(drawAndMeasure(fx, s.get()), (Fill{0, 0, 0, 0}));
    EXPECT_EQ(restartCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    At640x480, BoxfloodSequence,
    ::testing::Values(SequenceCase{"ShrinkingRate2EndsAtTheCentre", "0", "2", 161, shrinkingBy2},
                      SequenceCase{"GrowingRate4GrowsToTheEdges", "1", "4", 81, growingBy4},
                      SequenceCase{"GrowingOddRate3ActsAs4", "1", "3", 81, growingBy4},
                      SequenceCase{"GrowingRate2ReachesTheTopEdgeThenGrowsDownwardOnly", "1", "2",
                                   161, growingBy2}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return info.param.name; });

TEST(BoxfloodRestart, NullRestartLeavesAFinishedEffectIdle)
{
    Effect fx("boxflood");
    SurfacePtr s = makeTarget(64, 48);
    fx.start(s.get(), {"1", "8", "0", "255", "0"}, false, nullptr);
    fx.draw(100);  // long finished: 64 / 16 = 4 steps
    fill(s.get(), BACKGROUND);
    fx.draw(5);
    EXPECT_TRUE(allPixels(s.get(), BACKGROUND));
}

TEST(BoxfloodRestart, Rate255BecomesZeroAndNeverFinishes)
{
    Effect fx("boxflood");
    SurfacePtr s = makeTarget(64, 48);
    fx.start(s.get(), {"0", "255", "255", "0", "0"});
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(drawAndMeasure(fx, s.get()), (Fill{0, 0, 64, 48})) << "call " << i + 1;
    EXPECT_EQ(restartCount(), 0);
}

TEST(BoxfloodFilter, DrawsOverTheSurfaceWithoutClearingIt)
{
    Effect fx("boxflood");
    SurfacePtr s = makeTarget(64, 48);
    fx.start(s.get(), {"1", "4", "10", "20", "30"});
    fill(s.get(), BACKGROUND);
    fx.draw(3);  // fills (32, 24, 0, 0), (28, 21, 8, 6), (24, 18, 16, 12)
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            bool inside = x >= 24 && x < 40 && y >= 18 && y < 30;
            ASSERT_EQ(pixel(s.get(), x, y), inside ? rgb(10, 20, 30) : BACKGROUND) << x << "," << y;
        }
}

TEST(BoxfloodFilter, FillsWithAlphaZeroOnATargetThatHasAlpha)
{
    Effect fx("boxflood");
    SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 48, 32, 0x00ff0000, 0x0000ff00, 0x000000ff,
                                      0xff000000));
    fx.start(s.get(), {"1", "4", "10", "20", "30"});
    fill(s.get(), 0xff010203);
    fx.draw(3);  // the third fill is (24, 18, 16, 12)
    const Uint32 *row = (const Uint32 *)((const Uint8 *)s->pixels + 20 * s->pitch);
    EXPECT_EQ(row[30], 0x000a141eu) << "the fill colour is mapped with alpha 0";
    EXPECT_EQ(row[10], 0xff010203u) << "outside the rectangle the target stays";
}

class BoxfloodInitForms : public ::testing::TestWithParam<const char *> { };

TEST_P(BoxfloodInitForms, ArgumentListAndValistGiveTheSameFills)
{
    const char *dir = GetParam();
    Effect a("boxflood"), b("boxflood");
    SurfacePtr s = makeTarget(320, 200);
    a.start(s.get(), {dir, "6", "255", "0", "0"}, false);
    int callsA = 0, callsB = 0;
    std::vector<Fill> fa = runToRestart(a, s.get(), 200, callsA);
    b.start(s.get(), {dir, "6", "255", "0", "0"}, true);
    std::vector<Fill> fb = runToRestart(b, s.get(), 200, callsB);
    EXPECT_EQ(callsA, callsB);
    EXPECT_EQ(fa, fb);
    EXPECT_GT(fa.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, BoxfloodInitForms, ::testing::Values("0", "1"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(*info.param == '0' ? "Shrinking" : "Growing");
                         });

// Without the mend these sizes step past 0, wrap in 16 bits and never finish.
struct ShrinkingEndCase {
    int w, h;
    const char *rate;
    int fills;
};

void PrintTo(const ShrinkingEndCase &c, std::ostream *os)
{
    *os << c.w << "x" << c.h << " rate " << c.rate;
}

class BoxfloodShrinkingEnd : public ::testing::TestWithParam<ShrinkingEndCase> { };

TEST_P(BoxfloodShrinkingEnd, StepPastZeroEndsAtZeroAndFinishes)
{
    const ShrinkingEndCase &c = GetParam();
    Effect fx("boxflood");
    SurfacePtr s = makeTarget(c.w, c.h);
    fx.start(s.get(), {"0", c.rate, "255", "0", "0"});
    int calls = 0;
    std::vector<Fill> fills = runToRestart(fx, s.get(), 500, calls);
    EXPECT_EQ((int)fills.size(), c.fills);
    EXPECT_EQ(calls, c.fills + 1);
    for (size_t k = 1; k < fills.size(); ++k) {
        EXPECT_LT(fills[k].w, fills[k - 1].w) << "fill " << k;
        EXPECT_LT(fills[k].h, fills[k - 1].h) << "fill " << k;
    }
    // And it stays finished.
    EXPECT_EQ(drawAndMeasure(fx, s.get()), (Fill{0, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    WrappingSizes, BoxfloodShrinkingEnd,
    ::testing::Values(
        ShrinkingEndCase{800, 600, "6", 67},     // w 800 - 12k, h 600 - 9k: k = 66 leaves (8, 6)
        ShrinkingEndCase{1024, 768, "10", 52}),  // w 1024 - 20k, h 768 - 15k: k = 51 leaves (4, 3)
    [](const ::testing::TestParamInfo<ShrinkingEndCase> &info) {
        return std::to_string(info.param.w) + "x" + std::to_string(info.param.h);
    });
