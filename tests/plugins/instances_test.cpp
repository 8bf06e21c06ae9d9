// The effects' instances: independent of each other and of the default instance behind
// the five entry points, made and freed any number of times, and parameters changed while
// they run.
#include "effect_harness.h"

#include "output_capture.h"
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace fx_test;

namespace {

// Instances of one module, with the parameters a user would give the player.
class Instances {
public:
    explicit Instances(const std::string &name) : fx_(name), spec_(find_module_spec(name)) { }
    bool ok() const
    {
        return fx_.loaded() && fx_.module().make_instance;
    }
    const mirvo_effect_module &module() const
    {
        return fx_.module();
    }
    Effect &defaultInstance()
    {
        return fx_;
    }

    // Makes an instance on s; its restart callback counts into *restarts when given.
    mirvo_instance *make(SDL_Surface *s, const std::vector<std::string> &words,
                         int *restarts = nullptr, std::string *why_out = nullptr)
    {
        setups_.emplace_back(new effect_setup);
        std::string error;
        EXPECT_TRUE(parse_effect_params(*spec_, words, s->w, s->h, *setups_.back(), error))
            << error;
        char why[300] = "";
        mirvo_instance *fx =
            module().make_instance(s, restarts ? countInto : nullptr, restarts,
                                   setups_.back()->argument_list(), why, sizeof why);
        if (why_out)
            *why_out = why;
        return fx;
    }
    // Sets parameter `name` to a number (as its type) or a text kept by this object.
    int set(mirvo_instance *fx, const std::string &name, const std::string &value,
            std::string *why_out = nullptr)
    {
        int index = 0;
        while (std::string(spec_->params[index].name) != name)
            ++index;
        const param_spec &p = spec_->params[index];
        Uint8 u8 = (Uint8)atoi(value.c_str());
        Uint16 u16 = (Uint16)atoi(value.c_str());
        texts_.emplace_back(new std::string(value));
        const char *text = texts_.back()->c_str();
        const void *data = p.type == param_type::u8    ? (const void *)&u8
                           : p.type == param_type::u16 ? (const void *)&u16
                                                       : (const void *)&text;
        char why[300] = "";
        int r = module().set_instance_parameter(fx, index, data, why, sizeof why);
        if (why_out)
            *why_out = why;
        return r;
    }

private:
    static void countInto(void *counter)
    {
        ++*static_cast<int *>(counter);
    }
    Effect fx_;
    const module_spec *spec_;
    std::vector<std::unique_ptr<effect_setup>> setups_;  // the texts instances point at
    std::vector<std::unique_ptr<std::string>> texts_;
};

std::vector<std::string> waveWords(const std::string &font, const std::string &text, int amplitude,
                                   int slice)
{
    return {"text=" + text, "font=" + font, std::string("characters=") + TEST_CHARACTERS,
            "amplitude=" + std::to_string(amplitude), "slice_width=" + std::to_string(slice)};
}

std::vector<std::string> bounceWords(const std::string &font, const std::string &text, int width,
                                     int height)
{
    return {"text=" + text, "font=" + font, std::string("characters=") + TEST_CHARACTERS,
            "width=" + std::to_string(width), "height=" + std::to_string(height)};
}

// The picture of an instance made with `words` after `frames` frames, drawn alone.
SurfacePtr drawnAlone(Instances &in, const std::vector<std::string> &words, int frames, int w = 320,
                      int h = 240)
{
    SurfacePtr s = makeTarget(w, h);
    fill(s.get(), 0);
    int restarts = 0;
    mirvo_instance *fx = in.make(s.get(), words, &restarts);
    EXPECT_NE(fx, nullptr);
    for (int f = 0; f < frames; ++f)
        in.module().draw_instance(fx);
    in.module().free_instance(fx);
    return s;
}

}  // namespace

// Two instances drawn in turn, and the default instance beside them, each draw what it
// draws alone: no state of one leaks into another.
TEST(EffectInstances, WavetextInstancesAndTheDefaultInstanceDrawIndependently)
{
    Instances in("wavetext");
    ASSERT_TRUE(in.ok());
    std::string font = makeFont(16, 32, 16, true);
    SurfacePtr a = makeTarget(320, 240), b = makeTarget(320, 240), d = makeTarget(320, 240);
    int ra = 0, rb = 0;
    mirvo_instance *fa = in.make(a.get(), waveWords(font, "ABCDEF", 40, 1), &ra);
    mirvo_instance *fb = in.make(b.get(), waveWords(font, "FEDCBA", 90, 3), &rb);
    ASSERT_NE(fa, nullptr);
    ASSERT_NE(fb, nullptr);
    in.defaultInstance().start(d.get(), waveWords(font, "ABCDEF", 40, 1));
    for (int f = 0; f < 130; ++f) {
        in.module().draw_instance(fa);
        in.defaultInstance().draw();
        in.module().draw_instance(fb);
    }
    // "ABCDEF" is used up in frame 112: each counts its own restarts.
    EXPECT_EQ(ra, 130 - 112 + 1);
    EXPECT_EQ(rb, ra);
    EXPECT_EQ(restartCount(), ra);
    EXPECT_TRUE(sameSurface(a.get(), d.get()));
    EXPECT_TRUE(sameSurface(b.get(), drawnAlone(in, waveWords(font, "FEDCBA", 90, 3), 111).get()));
    EXPECT_FALSE(sameSurface(a.get(), b.get()));
    in.module().free_instance(fa);
    in.module().free_instance(fb);
}

TEST(EffectInstances, BouncetextAndBoxfloodInstancesEqualTheDefaultInstance)
{
    std::string font = makeFont(16, 32, 16, true);
    for (const char *name : {"bouncetext", "boxflood"}) {
        Instances in(name);
        ASSERT_TRUE(in.ok()) << name;
        std::vector<std::string> words = std::string(name) == "boxflood"
                                             ? std::vector<std::string>{"1", "4", "10", "20", "30"}
                                             : bounceWords(font, "ABCDEFGHIJ", 300, 150);
        SurfacePtr a = makeTarget(320, 240), d = makeTarget(320, 240);
        fill(a.get(), 0x010203);
        fill(d.get(), 0x010203);
        mirvo_instance *fa = in.make(a.get(), words);
        ASSERT_NE(fa, nullptr);
        in.defaultInstance().start(d.get(), words);
        for (int f = 1; f <= 90; ++f) {
            in.module().draw_instance(fa);
            in.defaultInstance().draw();
            if (f % 15 == 0) {
                ASSERT_TRUE(sameSurface(a.get(), d.get())) << name << " frame " << f;
            }
        }
        in.module().free_instance(fa);
    }
}

// More instances than the scroller table has ids are made and freed in turn; none fails,
// because each gives its scroller back.
TEST(EffectInstances, MadeAndFreedMoreTimesThanThereAreScrollerIds)
{
    std::string font = makeFont(16, 32, 16, true);
    for (const char *name : {"wavetext", "bouncetext"}) {
        Instances in(name);
        ASSERT_TRUE(in.ok());
        SurfacePtr s = makeTarget(64, 48);
        for (int i = 0; i < 600; ++i) {
            mirvo_instance *fx =
                in.make(s.get(), std::string(name) == "wavetext" ? waveWords(font, "AB", 10, 1)
                                                                 : bounceWords(font, "AB", 64, 16));
            ASSERT_NE(fx, nullptr) << name << " instance " << i;
            in.module().draw_instance(fx);
            in.module().free_instance(fx);
        }
    }
}

TEST(EffectInstances, FailedStartGivesTheReasonAndPrintsNothing)
{
    Instances in("wavetext");
    ASSERT_TRUE(in.ok());
    SurfacePtr s = makeTarget(64, 48);
    std::string why;
    mirvotest::captureStdout();
    mirvo_instance *fx =
        in.make(s.get(), waveWords("/nonexistent/font.bmp", "AB", 10, 1), nullptr, &why);
    EXPECT_EQ(mirvotest::capturedStdout(), "");
    EXPECT_EQ(fx, nullptr);
    EXPECT_NE(why.find("scroller could not be made"), std::string::npos) << why;
}

// A changed amplitude or slice width takes effect with the next frame: the picture is the
// one an instance started with the new value draws in the same frame (neither changes the
// strip or the phase).
TEST(LiveParameters, WavetextAmplitudeAndSliceWidthChangeTheNextFrame)
{
    Instances in("wavetext");
    ASSERT_TRUE(in.ok());
    std::string font = makeFont(16, 32, 16, true);
    SurfacePtr s = makeTarget(320, 240);
    mirvo_instance *fx = in.make(s.get(), waveWords(font, "ABCDEFGH", 30, 1));
    for (int f = 0; f < 50; ++f)
        in.module().draw_instance(fx);
    EXPECT_EQ(in.set(fx, "amplitude", "100"), 1);
    in.module().draw_instance(fx);
    EXPECT_TRUE(
        sameSurface(s.get(), drawnAlone(in, waveWords(font, "ABCDEFGH", 100, 1), 51).get()));
    EXPECT_EQ(in.set(fx, "slice_width", "7"), 1);
    in.module().draw_instance(fx);
    EXPECT_TRUE(
        sameSurface(s.get(), drawnAlone(in, waveWords(font, "ABCDEFGH", 100, 7), 52).get()));
    in.module().free_instance(fx);
}

// A new text starts the scroller again with it: the following frames are a new start's.
TEST(LiveParameters, WavetextNewTextStartsTheScrollerAgain)
{
    Instances in("wavetext");
    ASSERT_TRUE(in.ok());
    std::string font = makeFont(16, 32, 16, true);
    SurfacePtr s = makeTarget(320, 240);
    mirvo_instance *fx = in.make(s.get(), waveWords(font, "ABCDEFGH", 60, 2));
    for (int f = 0; f < 70; ++f)
        in.module().draw_instance(fx);
    EXPECT_EQ(in.set(fx, "text", "PONML"), 1);
    for (int f = 0; f < 40; ++f)
        in.module().draw_instance(fx);
    EXPECT_TRUE(sameSurface(s.get(), drawnAlone(in, waveWords(font, "PONML", 60, 2), 40).get()));
    // A font that cannot be read leaves the instance drawing nothing, until one that can.
    std::string why;
    EXPECT_EQ(in.set(fx, "font", "/nonexistent/font.bmp", &why), 0);
    EXPECT_FALSE(why.empty());
    fill(s.get(), 0x010203);
    in.module().draw_instance(fx);
    EXPECT_TRUE(allPixels(s.get(), 0x010203));
    EXPECT_EQ(in.set(fx, "font", font), 1);
    for (int f = 0; f < 40; ++f)
        in.module().draw_instance(fx);
    EXPECT_TRUE(sameSurface(s.get(), drawnAlone(in, waveWords(font, "PONML", 60, 2), 40).get()));
    in.module().free_instance(fx);
}

// A changed bounce height rebuilds the table for the next frame; letters keep their places.
TEST(LiveParameters, BouncetextHeightChangesTheNextFrameAndWidthMovesTheEntry)
{
    Instances in("bouncetext");
    ASSERT_TRUE(in.ok());
    std::string font = makeFont(16, 32, 16, true);
    SurfacePtr s = makeTarget(320, 240);
    mirvo_instance *fx = in.make(s.get(), bounceWords(font, "ABCDEFGHIJKLMNOP", 300, 100));
    for (int f = 0; f < 60; ++f)
        in.module().draw_instance(fx);
    EXPECT_EQ(in.set(fx, "height", "200"), 1);
    in.module().draw_instance(fx);
    EXPECT_TRUE(sameSurface(
        s.get(), drawnAlone(in, bounceWords(font, "ABCDEFGHIJKLMNOP", 300, 200), 61).get()));

    // Narrowed to 100: letters that enter from now on start at x 97, none beyond.
    EXPECT_EQ(in.set(fx, "width", "100"), 1);
    for (int f = 0; f < 120; ++f)
        in.module().draw_instance(fx);
    for (int y = 0; y < 240; ++y)
        for (int x = 100 + 16; x < 320; ++x)
            ASSERT_EQ(pixel(s.get(), x, y), 0u) << x << "," << y;
    EXPECT_FALSE(allPixels(s.get(), 0));
    in.module().free_instance(fx);
}

// boxflood: a new rate moves the next step (an odd one raised by one), a new colour fills
// the next rectangle, a new direction starts the flood again.
TEST(LiveParameters, BoxfloodRateColourAndDirection)
{
    Instances in("boxflood");
    ASSERT_TRUE(in.ok());
    SurfacePtr s = makeTarget(640, 480);
    fill(s.get(), 0);
    mirvo_instance *fx = in.make(s.get(), {"1", "4", "255", "0", "0"});
    in.module().draw_instance(fx);  // (320, 240, 0, 0): nothing
    in.module().draw_instance(fx);  // (316, 237, 8, 6)
    EXPECT_EQ(pixel(s.get(), 316, 237), rgb(255, 0, 0));
    EXPECT_EQ(pixel(s.get(), 315, 237), 0u);
    // Next rectangle (312, 234, 16, 12), then a step of 7 -> 8: (304, 228, 32, 24).
    EXPECT_EQ(in.set(fx, "rate", "7"), 1);
    EXPECT_EQ(in.set(fx, "green", "200"), 1);
    in.module().draw_instance(fx);
    EXPECT_EQ(pixel(s.get(), 312, 234), rgb(255, 200, 0));
    EXPECT_EQ(pixel(s.get(), 311, 234), 0u);
    in.module().draw_instance(fx);
    EXPECT_EQ(pixel(s.get(), 304, 228), rgb(255, 200, 0));
    EXPECT_EQ(pixel(s.get(), 335, 251), rgb(255, 200, 0));
    EXPECT_EQ(pixel(s.get(), 336, 252), 0u);
    EXPECT_EQ(pixel(s.get(), 303, 228), 0u);
    // Shrinking from the whole surface now.
    EXPECT_EQ(in.set(fx, "direction", "0"), 1);
    EXPECT_EQ(in.set(fx, "blue", "9"), 1);
    in.module().draw_instance(fx);
    EXPECT_EQ(pixel(s.get(), 0, 0), rgb(255, 200, 9));
    EXPECT_EQ(pixel(s.get(), 639, 479), rgb(255, 200, 9));
    in.module().free_instance(fx);
}

// The frame of any step (the descriptor's draw_step) equals the frame drawn in sequence at
// that step, whatever was asked before: asked out of order, twice, after the end (the
// effect's length, the frame of the step within it) and after a sequential run. A filter's
// target is cleared before each frame, as a host hands it a fresh input frame.
struct StepCase {
    const char *module;
    int w, h;
    int cw, ch;                      // the test font's cells (wavetext and bouncetext)
    bool blankRight;                 // the font's cells without ink in their last two columns
    std::vector<std::string> words;  // "font=" and "characters=" are added for the scrollers
    bool shows = true;               // false: the effect draws nothing (an empty text)
};

class AnyStep : public ::testing::TestWithParam<StepCase> { };

TEST_P(AnyStep, EqualsTheFrameDrawnInSequence)
{
    const StepCase &c = GetParam();
    Instances in(c.module);
    ASSERT_TRUE(in.ok());
    const mirvo_effect_descriptor *d = in.module().descriptor;
    ASSERT_NE(mirvo_effect_draw_step(d), nullptr);
    std::vector<std::string> words = c.words;
    if (std::string(c.module) != "boxflood") {
        words.push_back("font=" + makeFont(c.cw, c.ch, 16, c.blankRight));
        words.push_back(std::string("characters=") + TEST_CHARACTERS);
        words.push_back("character_width=" + std::to_string(c.cw));
        words.push_back("character_height=" + std::to_string(c.ch));
    }
    const int MOST = 420;
    SurfacePtr seq = makeTarget(c.w, c.h), at = makeTarget(c.w, c.h);
    int restarts = 0;
    mirvo_instance *fa = in.make(seq.get(), words, &restarts);
    mirvo_instance *fb = in.make(at.get(), words);
    ASSERT_NE(fa, nullptr);
    ASSERT_NE(fb, nullptr);
    std::vector<SurfacePtr> frames;
    while ((int)frames.size() < MOST) {
        fill(seq.get(), 0);
        in.module().draw_instance(fa);
        if (restarts)
            break;
        frames.push_back(copyOf(seq.get()));
    }
    const long length = restarts ? (long)frames.size() : 0;  // 0: runs longer than MOST
    int drawn = 0;
    auto expectStep = [&](long n) {
        fill(at.get(), 0);
        const long r = d->draw_step(fb, n);
        if (length && n >= length) {
            EXPECT_EQ(r, length) << c.module << " step " << n;
            return;
        }
        ASSERT_EQ(r, 0) << c.module << " step " << n;
        if (n < (long)frames.size()) {
            EXPECT_TRUE(sameSurface(at.get(), frames[n].get())) << c.module << " step " << n;
            drawn += !allPixels(at.get(), 0);
        }
    };
    for (long n : {50L, 10L, 200L, 30L, 30L, 0L, (long)frames.size() - 1, length + 7})
        expectStep(n);
    for (long n = 0; n < (long)frames.size(); n += 7)  // a sequential pass, then back again
        expectStep(n);
    for (long n = (long)frames.size() - 1; n >= 0; n -= 5)
        expectStep(n);
    if (c.shows) {
        EXPECT_GT(drawn, 10) << c.module << ": the compared frames show nothing";
    }
    in.module().free_instance(fa);
    in.module().free_instance(fb);
}

INSTANTIATE_TEST_SUITE_P(
    Effects, AnyStep,
    ::testing::Values(
        StepCase{"boxflood", 320, 240, 0, 0, false, {"direction=1", "rate=4"}},
        StepCase{"boxflood", 333, 257, 0, 0, false, {"direction=0", "rate=3"}},
        StepCase{"boxflood", 64, 48, 0, 0, false, {"direction=0", "rate=0"}},
        StepCase{"wavetext", 320, 240, 16, 32, true, {"text=HELLO WORLD", "amplitude=60"}},
        StepCase{"wavetext", 333, 200, 16, 32, false, {"text=ABCDEFGHIJKLMNOP", "slice_width=3"}},
        StepCase{"wavetext", 101, 60, 1, 8, false, {"text=ABCABCABCABCABCABCABCABC"}},
        StepCase{"wavetext", 160, 60, 5, 9, false, {"text=", "amplitude=10"}, false},
        StepCase{"bouncetext", 320, 240, 16, 32, false, {"text=JUMP AROUND", "height=150"}},
        StepCase{"bouncetext", 40, 120, 16, 16, false, {"text=NOT ENOUGH ROOM", "width=40"}}),
    [](const ::testing::TestParamInfo<StepCase> &i) {
        return std::string(i.param.module) + "_" + std::to_string(i.index);
    });
