// A Kdenlive project with the three effects rendered through Kdenlive's own renderer,
// kdenlive_render, as Kdenlive's render dialog runs it. The renderer runs under Xvfb, so
// these tests take their turn at it with the other Xvfb tests.
#include "host_runs.h"
#include "png_image.h"

#include <string>

using host_runs::expectPlayersFrames;
using host_runs::numbered;
using mirvo_test::PngImage;
using mirvo_test::readPng;

// Kdenlive's own render: tests/data/editors/effects.kdenlive (wavetext, a colour clip with
// boxflood on it, bouncetext, 50 frames each at 720p50), rendered through kdenlive_render as
// Kdenlive's render dialog does, equals the player's frames; tools/kdenlive-render.sh renders
// it and compares every frame. Here a few frames are compared again: each clip shows its
// effect from its own start, and boxflood's box shows over the colour clip.
TEST(Frei0rInEditors, AKdenliveProjectRendersThroughKdenliveRenderAsThePlayerDraws)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("kdenlive_render");
    NEED_PROGRAM("melt");
    NEED_PROGRAM("xvfb-run");
    NEED_PROGRAM("python3");
    const std::string out = mirvo_test::makeTempDir("kdenlive");
    mirvo_test::ProgramResult r =
        mirvo_test::runProgram({KDENLIVE_RENDER_SCRIPT, "--build", BUILD_DIR, out}, out, {});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string render = out + "/render";
    ASSERT_NO_FATAL_FAILURE(
        expectPlayersFrames(render, "frame-", 10, out + "/wavetext", 10, 40, 13, "wavetext", 1280));
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(render, "frame-", 110, out + "/bouncetext", 10, 40,
                                                13, "bouncetext", 1280));
    // Clip frame 20: after 20 steps of 6 px a side, the box in #3399ff spans x 520 to 759
    // and y 280 to 399 of the #204060 clip.
    const PngImage box = readPng(numbered(render, "frame-", 71));
    ASSERT_EQ(box.width, 1280);
    const mirvo_test::Rgb blue{0x33, 0x99, 0xff}, clip{0x20, 0x40, 0x60};
    EXPECT_EQ(box.at(640, 360), blue);
    EXPECT_EQ(box.at(520, 280), blue);
    EXPECT_EQ(box.at(759, 399), blue);
    EXPECT_EQ(box.at(519, 360), clip);
    EXPECT_EQ(box.at(760, 360), clip);
    EXPECT_EQ(box.at(640, 279), clip);
    EXPECT_EQ(box.at(5, 5), clip);
}
