// The frei0r modules in the hosts that video editors are built on, used as editors use
// them: clips in sequence in a melt project, keyframed parameters, melt's own profile,
// effects added and removed many times through MLT's Python bindings, two instances in
// one ffmpeg graph, and a module that fails while ffmpeg writes video to its stdout.
#include "effect_harness.h"
#include "host_runs.h"
#include "output_capture.h"
#include "png_image.h"

#include <dlfcn.h>
#include <frei0r.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using mirvo_test::PngImage;
using mirvo_test::readPng;
using namespace fx_test;

using mirvo_test::findProgram;

namespace {

using host_runs::expectPlayersFrames;
using host_runs::HOST_ENV;
using host_runs::numbered;
using host_runs::player;
using host_runs::unit;
using host_runs::unitValue;

// melt renders `args` (clips with their own out=, filters, or a project file).
mirvo_test::ProgramResult melt(const std::vector<std::string> &args, const std::string &dir,
                               int frames, int width = 0, int height = 0)
{
    return host_runs::melt({}, {}, args, frames, width, height, dir);
}

// One frei0r module opened in this process, as a host opens it.
struct Module {
    void *handle = nullptr;
    f0r_instance_t (*construct)(unsigned int, unsigned int) = nullptr;
    void (*destruct)(f0r_instance_t) = nullptr;
    void (*set_param_value)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*update)(f0r_instance_t, double, const uint32_t *, uint32_t *) = nullptr;

    explicit Module(const std::string &name)
    {
        handle =
            dlopen((std::string(FREI0R_DIR) + "/" + name + ".so").c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        if (!handle)
            return;
        construct = reinterpret_cast<decltype(construct)>(dlsym(handle, "f0r_construct"));
        destruct = reinterpret_cast<decltype(destruct)>(dlsym(handle, "f0r_destruct"));
        set_param_value =
            reinterpret_cast<decltype(set_param_value)>(dlsym(handle, "f0r_set_param_value"));
        update = reinterpret_cast<decltype(update)>(dlsym(handle, "f0r_update"));
    }
    ~Module()
    {
        if (handle)
            dlclose(handle);
    }
    void number(f0r_instance_t i, int index, double v)
    {
        set_param_value(i, &v, index);
    }
    void text(f0r_instance_t i, int index, const char *s)
    {
        set_param_value(i, &s, index);
    }
};

// The RGB of frame pixels (frei0r's R, G, B, A bytes) as a picture.
PngImage pictureOf(const std::vector<uint32_t> &frame, int w, int h)
{
    PngImage p;
    p.width = w;
    p.height = h;
    for (uint32_t v : frame) {
        Uint8 b[4];
        memcpy(b, &v, 4);
        p.pixels.push_back({b[0], b[1], b[2]});
    }
    return p;
}

bool allBlack(const PngImage &p)
{
    for (const mirvo_test::Rgb &c : p.pixels)
        if (c != mirvo_test::Rgb{0, 0, 0})
            return false;
    return true;
}

// MLT's value of a keyframed number "0=A;LAST=B" at position k: linear.
double keyframed(double a, double b, int last, int k)
{
    return a + (b - a) * k / last;
}

}  // namespace

// A project of two clips one after the other: each clip shows the effect at its times on
// the timeline (MLT hands a source in a playlist the playlist's time), so the second clip
// shows the second 60 frames of its effect.
TEST(Frei0rInEditors, TwoClipsInSequenceInAMeltProjectEachEqualThePlayer)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    std::string mt = mirvo_test::makeTempDir("mltproject");
    std::string project = mt + "/project.mlt";
    // Frei0r's 0 to 1: amplitude 80 px, slices 3 px, a bounce of 150 of the 480 - 32 px.
    std::ofstream(project) << R"(<?xml version="1.0" encoding="utf-8"?>
<mlt>
  <producer id="wave" in="0" out="59">
    <property name="mlt_service">frei0r.wavetext</property>
    <property name="text">HELLO WORLD</property>
    <property name="amplitude">)"
                           << unit("wavetext", "amplitude", 80) << R"(</property>
    <property name="slice_width">)"
                           << unit("wavetext", "slice_width", 3) << R"(</property>
  </producer>
  <producer id="bounce" in="0" out="59">
    <property name="mlt_service">frei0r.bouncetext</property>
    <property name="text">JUMP AROUND</property>
    <property name="height">)"
                           << unit(0, 480 - 32, 150) << R"(</property>
  </producer>
  <playlist id="clips">
    <entry producer="wave" in="0" out="59"/>
    <entry producer="bounce" in="0" out="59"/>
  </playlist>
</mlt>
)";
    mirvo_test::ProgramResult r = melt({project}, mt, 120, 640, 480);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string wave = mirvo_test::makeTempDir("plwave"),
                bounce = mirvo_test::makeTempDir("plbounce");
    ASSERT_EQ(player({"--exact-text", "wavetext", "HELLO WORLD", "amplitude=80", "slice_width=3"},
                     60, wave)
                  .status,
              0);
    ASSERT_EQ(
        player({"--exact-text", "bouncetext", "JUMP AROUND", "height=150"}, 120, bounce).status, 0);
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(mt, "f", 1, wave, 1, 60, 3, "first clip"));
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(mt, "f", 61, bounce, 61, 60, 3, "second clip"));
}

// Keyframed numbers move the effect frame by frame without starting it again: melt's
// frames equal the module's in this process with MLT's interpolated value set before
// each frame, and are not the frames of the unanimated value.
TEST(Frei0rInEditors, KeyframedAmplitudeAndHeightAnimateInMelt)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    const int W = 320, H = 240, LAST = 149;
    struct Case {
        const char *module, *text, *animated;
        int index;  // the animated parameter's
        double from, to;
    };
    // In frei0r's 0 to 1: amplitude 50 to 150 px; a bounce of 60 to 200 of the 240 - 32 px.
    for (const Case &c :
         {Case{"wavetext", "HELLO WORLD", "amplitude", 5, 50.0 / 65535, 150.0 / 65535},
          Case{"bouncetext", "JUMP AROUND AGAIN", "height", 6, 60.0 / 208, 200.0 / 208}}) {
        std::string mt = mirvo_test::makeTempDir("mltkeys");
        char keys[80];
        snprintf(keys, sizeof keys, "%s=0=%.17g;%d=%.17g", c.animated, c.from, LAST, c.to);
        mirvo_test::ProgramResult r =
            melt({std::string("frei0r.") + c.module, std::string("text=") + c.text, keys,
                  "out=" + std::to_string(LAST)},
                 mt, LAST + 1, W, H);
        ASSERT_EQ(r.status, 0) << r.err;

        Module m(c.module);
        ASSERT_NE(m.update, nullptr);
        f0r_instance_t animated = m.construct(W, H), fixed = m.construct(W, H);
        const std::string font = std::string(PLAYER_SOURCE_DIR) + "/../GFX/font.pcx";
        for (f0r_instance_t i : {animated, fixed}) {
            m.text(i, 0, c.text);
            m.text(i, 1, font.c_str());
            m.number(i, c.index, c.from);
        }
        std::vector<uint32_t> frame((size_t)W * H), plain((size_t)W * H);
        int differ = 0;
        for (int k = 0; k <= LAST; ++k) {
            m.number(animated, c.index, keyframed(c.from, c.to, LAST, k));
            m.update(animated, k / 50.0, nullptr, frame.data());
            m.update(fixed, k / 50.0, nullptr, plain.data());
            if (k % 10 != 9)
                continue;
            PngImage got = readPng(numbered(mt, "f", k + 1));
            ASSERT_TRUE(got == pictureOf(frame, W, H)) << c.module << " frame " << k + 1;
            if (k > 40) {
                EXPECT_FALSE(allBlack(got)) << c.module << " frame " << k + 1;
                differ += !(got == pictureOf(plain, W, H));
            }
        }
        EXPECT_GT(differ, 5) << c.module << ": the keyframes changed nothing";
        m.destruct(animated);
        m.destruct(fixed);
    }
}

// A keyframed colour (one frei0r colour): each frame's fill (the rectangle shrinking to the centre
// covers the centre every frame) has the red of its position.
TEST(Frei0rInEditors, KeyframedColourAnimatesInMelt)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    std::string mt = mirvo_test::makeTempDir("mltred");
    ASSERT_EQ(melt({"color:black", "out=29", "-filter", "frei0r.boxflood", "direction=0",
                    "rate=" + unit("boxflood", "rate", 2), "colour=0=#002800;29=#ff2800"},
                   mt, 30, 320, 240)
                  .status,
              0);
    for (int k = 1; k <= 30; ++k) {
        PngImage p = readPng(numbered(mt, "f", k));
        ASSERT_EQ(p.width, 320) << "frame " << k;
        // MLT interpolates a colour's bytes and drops the fraction.
        const int red = (int)std::floor(keyframed(0, 255, 29, k - 1) + 1e-9);
        EXPECT_EQ(p.at(160, 120), (mirvo_test::Rgb{(uint8_t)red, 40, 0})) << "frame " << k;
    }
}

// melt with no size and no -profile detects its profile first (720 x 576), with an
// instance of its own that it never frees; the render's instance still draws.
TEST(Frei0rInEditors, MeltWithItsOwnProfileDrawsThePlayersFrames)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    std::string mt = mirvo_test::makeTempDir("mltprofile"),
                pl = mirvo_test::makeTempDir("plprofile");
    mirvo_test::ProgramResult r =
        melt({"frei0r.wavetext", "text=HELLO", "amplitude=" + unit("wavetext", "amplitude", 80),
              "slice_width=" + unit("wavetext", "slice_width", 3), "out=59"},
             mt, 60);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(readPng(numbered(mt, "f", 1)).width, 720);
    ASSERT_EQ(player({"--exact-text", "-W", "720", "-H", "576", "wavetext", "HELLO", "amplitude=80",
                      "slice_width=3"},
                     60, pl)
                  .status,
              0);
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(mt, "f", 20, pl, 20, 40, 5, "720x576"));
}

namespace {

struct Cycles {
    long rss_start = -1, rss_end = -1, maps_start = -1, maps_end = -1, blank = -1;
    std::string err;
    int status = -1;
};

// Runs frei0r_cycles.py: RSS and mapped files after `warmup` cycles and after `cycles`, and
// how many of all the cycles drew a blank frame.
Cycles runCycles(const char *service, int cycles, int warmup)
{
    mirvo_test::ProgramResult r =
        mirvo_test::runProgram({"/usr/bin/python3", FREI0R_CYCLES_SCRIPT, service,
                                std::to_string(cycles), std::to_string(warmup)},
                               PLAYER_SOURCE_DIR, HOST_ENV);
    Cycles c;
    c.status = r.status;
    c.err = r.err;
    std::istringstream lines(r.out);
    long cycle = 0;
    lines >> cycle >> c.rss_start >> c.maps_start >> c.blank >> cycle >> c.rss_end >> c.maps_end >>
        c.blank;
    std::fprintf(
        stderr, "%s: after %d cycles RSS %ld kB, %ld mappings; after %d: %ld kB, %ld; %ld blank\n",
        service, warmup, c.rss_start, c.maps_start, cycles, c.rss_end, c.maps_end, c.blank);
    return c;
}

bool mltPython()
{
    return access("/usr/bin/python3", X_OK) == 0 &&
           mirvo_test::runProgram({"/usr/bin/python3", "-c", "import mlt7"}, "/").status == 0;
}

}  // namespace

// An effect added to a clip, drawn and removed 1,000 times in one process: memory and
// mapped files stay flat. A module that stayed loaded or kept an instance each time
// would grow by its instance (over 100 kB: a frame's worth of state and the font) or by
// its mappings every cycle.
TEST(Frei0rInEditors, AThousandAddAndRemoveCyclesThroughMltsPythonBindingsStayFlat)
{
    SKIP_UNDER_SANITIZERS();
    if (!mltPython())
        GTEST_SKIP() << "python3-mlt is not installed";
    Cycles c = runCycles("boxflood", 1000, 100);
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(c.err.find("boxflood:"), std::string::npos) << c.err;
    ASSERT_GT(c.rss_start, 0);
    EXPECT_LT(c.rss_end - c.rss_start, 8 * 1024) << "kB over 900 cycles";
    EXPECT_LE(c.maps_end - c.maps_start, 2) << "mappings over 900 cycles";
    EXPECT_EQ(c.blank, 0) << "cycles whose box was not drawn";
}

// MLT 7.12 never destroys a frei0r source's instance (it keeps them for the process), so
// a source's memory grows with MLT; its mapped files must not, and each of 2,000 sources in
// one process draws (a cap on live instances would blank every one past it).
TEST(Frei0rInEditors, TwoThousandSourcesInOneMltProcessAllDraw)
{
    SKIP_UNDER_SANITIZERS();
    if (!mltPython())
        GTEST_SKIP() << "python3-mlt is not installed";
    for (const char *source : {"wavetext", "bouncetext"}) {
        Cycles c = runCycles(source, 2000, 100);
        ASSERT_EQ(c.status, 0) << c.err;
        EXPECT_EQ(c.err.find(std::string(source) + ":"), std::string::npos) << c.err;
        EXPECT_EQ(c.blank, 0) << source << ": sources that drew nothing";
        EXPECT_LE(c.maps_end - c.maps_start, 2) << source << ": mappings over 1,900 sources";
    }
}

// Two wavetext sources side by side in one ffmpeg graph: each half is that source's own
// player frames.
TEST(Frei0rInEditors, TwoInstancesInOneFfmpegGraphEachEqualThePlayer)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("ffmpeg");
    std::string ff = mirvo_test::makeTempDir("fftwo"), a = mirvo_test::makeTempDir("pla"),
                b = mirvo_test::makeTempDir("plb");
    const std::string glyph = unit("wavetext", "character_width", 16) + "|" +
                              unit("wavetext", "character_height", 32) + "|";
    const std::string left = "frei0r_src=size=320x240:framerate=50:filter_name=wavetext:"
                             "filter_params=HELLO|||" +
                             glyph + unit("wavetext", "amplitude", 40) + "|" +
                             unit("wavetext", "slice_width", 1),
                      right = "frei0r_src=size=320x240:framerate=50:filter_name=wavetext:"
                              "filter_params=WORLD|||" +
                              glyph + unit("wavetext", "amplitude", 90) + "|" +
                              unit("wavetext", "slice_width", 4);
    mirvo_test::ProgramResult r = mirvo_test::runProgram(
        {findProgram("ffmpeg"), "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i", left,
         "-f", "lavfi", "-i", right, "-filter_complex", "[0][1]hstack", "-frames:v", "60",
         "-pix_fmt", "rgb24", ff + "/f%06d.png"},
        PLAYER_SOURCE_DIR, HOST_ENV);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(player({"--exact-text", "-W", "320", "-H", "240", "wavetext", "HELLO", "amplitude=40",
                      "slice_width=1"},
                     60, a)
                  .status,
              0);
    ASSERT_EQ(player({"--exact-text", "-W", "320", "-H", "240", "wavetext", "WORLD", "amplitude=90",
                      "slice_width=4"},
                     60, b)
                  .status,
              0);
    for (int k = 20; k <= 60; k += 8) {
        PngImage both = readPng(numbered(ff, "f", k)), pa = readPng(numbered(a, "frame-", k)),
                 pb = readPng(numbered(b, "frame-", k));
        ASSERT_EQ(both.width, 640);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                ASSERT_EQ(both.at(x, y), pa.at(x, y))
                    << "left, frame " << k << " at " << x << "," << y;
                ASSERT_EQ(both.at(320 + x, y), pb.at(x, y))
                    << "right, frame " << k << " at " << x << "," << y;
            }
    }
}

// GStreamer's frei0r elements take set values in frei0r's 0 to 1 (their properties are
// 0 to 1): wavetext with amplitude 80 px and slices of 3 draws the player's frames.
TEST(Frei0rInEditors, GStreamersFrei0rElementTakesASetValue)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("gst-launch-1.0");
    const std::string gst = mirvo_test::makeTempDir("gstwave"),
                      pl = mirvo_test::makeTempDir("plgst");
    std::vector<std::pair<std::string, std::string>> env = HOST_ENV;
    env.push_back({"GST_REGISTRY", gst + "/registry.bin"});  // the modules of this build
    mirvo_test::ProgramResult r = mirvo_test::runProgram(
        {findProgram("gst-launch-1.0"), "-q", "frei0r-src-wavetext", "num-buffers=40", "text=HELLO",
         "amplitude=" + unit("wavetext", "amplitude", 80),
         "slice-width=" + unit("wavetext", "slice_width", 3), "!",
         "video/x-raw,format=RGBA,width=320,height=240,framerate=50/1", "!", "videoconvert", "!",
         "video/x-raw,format=RGB", "!", "pngenc", "!", "multifilesink",
         "location=" + gst + "/f%06d.png"},
        PLAYER_SOURCE_DIR, env);
    if (r.status != 0 && r.err.find("no element \"frei0r-src-wavetext\"") != std::string::npos)
        GTEST_SKIP() << "GStreamer's frei0r elements are not installed (gstreamer1.0-plugins-bad)";
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(player({"--exact-text", "-W", "320", "-H", "240", "wavetext", "HELLO", "amplitude=80",
                      "slice_width=3"},
                     40, pl)
                  .status,
              0);
    // GStreamer numbers its files from 0, the player from 1.
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(gst, "f", 0, pl, 1, 40, 3, "", 320));
}

// `melt -query` shows what an editor's user sees: boxflood's real defaults in frei0r's
// terms (rate 4 of 255, the colour 255, 160, 0, growing on) rather than clamped pixels.
TEST(Frei0rInEditors, MeltQueryShowsTheRealDefaults)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    mirvo_test::ProgramResult r = mirvo_test::runProgram(
        {findProgram("melt"), "-query", "filter=frei0r.boxflood"}, PLAYER_SOURCE_DIR, HOST_ENV);
    ASSERT_EQ(r.status, 0) << r.err;
    char rate[40];
    snprintf(rate, sizeof rate, "default: %g", 4.0 / 255);  // MLT writes six digits
    for (const std::string &want :
         {std::string("title: direction"), std::string("type: boolean"), std::string(rate),
          std::string("title: colour"), std::string("type: color"),
          std::string("default: \"#ffa000\"")})
        EXPECT_NE(r.out.find(want), std::string::npos) << want << " in\n" << r.out;
}

// ffmpeg writes raw video to its standard output while a module cannot start (its text
// strip would be wider than SDL allows): the stream holds exactly the frames, black and
// opaque, and the reason is one line on stderr.
TEST(Frei0rInEditors, FailingEffectLeavesAVideoStreamOnStdoutWhole)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("ffmpeg");
    const int W = 16380, H = 4, FRAMES = 3;
    mirvo_test::ProgramResult r = mirvo_test::runProgram(
        {findProgram("ffmpeg"), "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
         "frei0r_src=size=" + std::to_string(W) + "x" + std::to_string(H) +
             ":framerate=25:filter_name=wavetext:filter_params=HELLO",
         "-frames:v", std::to_string(FRAMES), "-pix_fmt", "rgba", "-f", "rawvideo", "-"},
        PLAYER_SOURCE_DIR, HOST_ENV);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.size(), (size_t)W * H * 4 * FRAMES);
    for (size_t i = 0; i < r.out.size(); i += 4)
        ASSERT_EQ(r.out.compare(i, 4, std::string("\0\0\0\xff", 4)), 0) << "byte " << i;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("wavetext: cannot start: the text strip would be 16396 pixels wide"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("16,383"), std::string::npos) << r.err;
}

// A font path as long as a file name can be, with an escape sequence in it, is repeated
// in the message cut short and with its control bytes written out.
TEST(Frei0rInEditors, FontPathInAMessageIsCutAndEscaped)
{
    Module m("bouncetext");
    ASSERT_NE(m.update, nullptr);
    f0r_instance_t inst = m.construct(32, 32);
    std::string font = "/nonexistent/\x1b[2J" + std::string(100000, 'x') + ".pcx";
    m.text(inst, 1, font.c_str());
    std::vector<uint32_t> frame(32 * 32);
    mirvotest::captureStdout();
    mirvotest::captureStderr();
    m.update(inst, 0, nullptr, frame.data());
    std::string out = mirvotest::capturedStdout();
    std::string err = mirvotest::capturedStderr();
    EXPECT_EQ(out, "");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err.substr(0, 300);
    EXPECT_LT(err.size(), 2000u);
    EXPECT_EQ(err.find('\x1b'), std::string::npos);
    EXPECT_NE(err.find("/nonexistent/\\x1b[2Jxxx"), std::string::npos) << err.substr(0, 300);
    EXPECT_NE(err.find("..."), std::string::npos);
    m.destruct(inst);
}

// ---- the frame at the host's time ----------------------------------------------------

namespace {

// An effect as an editor uses it: a source, or a filter over a colour clip.
struct TimedCase {
    const char *module;
    bool filter;
    std::vector<std::pair<const char *, std::string>> properties;  // as an editor sets them
    // The same, by index, for the module in this process.
    std::vector<std::pair<int, double>> numbers;
    std::vector<std::pair<int, const char *>> texts;
};

const std::vector<TimedCase> &timedCases()
{
    // Numbers as frei0r's 0 to 1 (boxflood keeps its own colour, bouncetext its frame-high
    // bounce).
    static const std::vector<TimedCase> cases{
        {"boxflood",
         true,
         {{"direction", "1"}, {"rate", unit("boxflood", "rate", 4)}},
         {{0, 1}, {1, unitValue("boxflood", "rate", 4)}},
         {}},
        {"wavetext",
         false,
         {{"text", "HELLO WORLD"},
          {"amplitude", unit("wavetext", "amplitude", 60)},
          {"slice_width", unit("wavetext", "slice_width", 3)}},
         {{5, unitValue("wavetext", "amplitude", 60)},
          {6, unitValue("wavetext", "slice_width", 3)}},
         {{0, "HELLO WORLD"}}},
        {"bouncetext", false, {{"text", "JUMP AROUND"}}, {}, {{0, "JUMP AROUND"}}},
    };
    return cases;
}

// An editor's project of one 150-frame clip of a case (the effect, or a clip with the
// effect on it) on a track. The filter's clip is a wavetext source rather than a colour clip:
// MLT 7.12's colour producer fills its cached picture while a second thread of a parallel
// render already copies it, so now and then its second frame comes out black below some
// row, under any filter (frei0r-plugins' invert0r too: 5 of 60 renders).
std::string timedProject(const TimedCase &c, const std::string &dir)
{
    std::ostringstream props;
    for (const auto &p : c.properties)
        props << "    <property name=\"" << p.first << "\">" << p.second << "</property>\n";
    const std::string effect = std::string("frei0r.") + c.module, path = dir + "/project.mlt";
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<mlt>\n  <producer id=\"clip\" in=\"0\" "
           "out=\"149\">\n";
    if (c.filter)
        out << "    <property name=\"mlt_service\">frei0r.wavetext</property>\n"
               "    <property name=\"text\">UNDER THE BOX</property>\n"
               "    <filter>\n      <property name=\"mlt_service\">"
            << effect << "</property>\n"
            << props.str() << "    </filter>\n";
    else
        out << "    <property name=\"mlt_service\">" << effect << "</property>\n" << props.str();
    out << "  </producer>\n  <playlist id=\"track\">\n    <entry producer=\"clip\" in=\"0\" "
           "out=\"149\"/>\n  </playlist>\n</mlt>\n";
    return path;
}

// melt renders frames `in` to `out` of a case's project at `fps` with `realTime` (the
// consumer's in and out, as an editor renders a zone).
mirvo_test::MeltResult meltTimed(const TimedCase &c, const std::string &dir, int in, int out,
                                 int fps = 50, int realTime = -1)
{
    mirvo_test::MeltRender render = host_runs::meltRender(dir);
    render.args = {timedProject(c, dir)};
    render.consumer = {"in=" + std::to_string(in), "out=" + std::to_string(out)};
    render.width = 320;
    render.height = 240;
    render.fps = fps;
    render.realTime = realTime;
    return mirvo_test::renderWithMelt(mirvo_test::findProgram("melt"), render);
}

// Frame `k` (from 1) of one render equals frame `j` of another.
void expectSameFrame(const std::string &a, int k, const std::string &b, int j,
                     const std::string &label)
{
    PngImage x = readPng(numbered(a, "f", k)), y = readPng(numbered(b, "f", j));
    ASSERT_EQ(x.width, 320) << label << " frame " << k;
    ASSERT_TRUE(x == y) << label << ": frame " << k << " is not frame " << j;
}

}  // namespace

// A zone (in=100 out=149), a render on two threads (real_time=-2) and a render at 25 frames
// a second show the frames of the straight render at 50 at the same times.
TEST(Frei0rInEditors, MeltDrawsTheFrameOfEachTimeInZonesThreadsAndFrameRates)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    const int FULL = 150;
    for (const TimedCase &c : timedCases()) {
        const std::string full = mirvo_test::makeTempDir("mltfull"),
                          zone = mirvo_test::makeTempDir("mltzone"),
                          threads = mirvo_test::makeTempDir("mltthreads"),
                          slow = mirvo_test::makeTempDir("mlt25");
        mirvo_test::MeltResult r = meltTimed(c, full, 0, FULL - 1);
        ASSERT_EQ(r.status, 0) << c.module << ": " << r.err;
        r = meltTimed(c, zone, 100, 149);
        ASSERT_EQ(r.status, 0) << c.module << ": " << r.err;
        r = meltTimed(c, threads, 0, FULL - 1, 50, -2);
        ASSERT_EQ(r.status, 0) << c.module << ": " << r.err;
        r = meltTimed(c, slow, 0, FULL / 2 - 1, 25);
        ASSERT_EQ(r.status, 0) << c.module << ": " << r.err;
        const std::string m = c.module;
        for (int k = 1; k <= 50; ++k)
            ASSERT_NO_FATAL_FAILURE(expectSameFrame(zone, k, full, 100 + k, m + " zone"));
        for (int k = 1; k <= FULL; ++k)
            ASSERT_NO_FATAL_FAILURE(expectSameFrame(threads, k, full, k, m + " real_time=-2"));
        for (int k = 1; k <= FULL / 2; ++k)
            ASSERT_NO_FATAL_FAILURE(expectSameFrame(slow, k, full, 2 * k - 1, m + " 25 fps"));
    }
}

// The module asked for frames out of order (50, 10, 200, then 30 twice, then 10 again after
// playing on) draws the frames of the straight render at those times.
TEST(Frei0rInEditors, FramesAskedInAnyOrderEqualTheStraightRender)
{
    const int W = 320, H = 240, LAST = 210;
    for (const TimedCase &c : timedCases()) {
        Module m(c.module);
        ASSERT_NE(m.update, nullptr);
        const std::string font = std::string(PLAYER_SOURCE_DIR) + "/../GFX/font.pcx";
        f0r_instance_t straight = m.construct(W, H), random = m.construct(W, H);
        for (f0r_instance_t i : {straight, random}) {
            for (const auto &n : c.numbers)
                m.number(i, n.first, n.second);
            for (const auto &t : c.texts)
                m.text(i, t.first, t.second);
            if (!c.filter)
                m.text(i, 1, font.c_str());
        }
        const std::vector<uint32_t> input((size_t)W * H, 0xff603020u);
        const uint32_t *in = c.filter ? input.data() : nullptr;
        std::vector<std::vector<uint32_t>> frames;
        for (int k = 0; k <= LAST; ++k) {
            frames.emplace_back((size_t)W * H);
            m.update(straight, k / 50.0, in, frames.back().data());
        }
        std::vector<uint32_t> frame((size_t)W * H);
        int shown = 0;
        for (int k : {50, 10, 200, 30, 30, 120, 10}) {
            m.update(random, k / 50.0, in, frame.data());
            ASSERT_TRUE(frame == frames[(size_t)k]) << c.module << " frame " << k;
            shown += frame != (c.filter ? input : std::vector<uint32_t>(frame.size(), frame[0]));
        }
        EXPECT_GE(shown, 4) << c.module << ": the frames asked for show nothing";
        // After the straight render has played on, an earlier time is its frame again.
        m.update(straight, 10 / 50.0, in, frame.data());
        EXPECT_TRUE(frame == frames[10]) << c.module;
        m.destruct(straight);
        m.destruct(random);
    }
}

// A keyframed glyph height re-lays the text out at each time instead of starting the
// scroller again: once the text has come in, every frame shows it.
TEST(Frei0rInEditors, KeyframedGlyphHeightDrawsTheTextOnEveryFrame)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    for (const char *module : {"wavetext", "bouncetext"}) {
        const std::string mt = mirvo_test::makeTempDir("mltramp");
        std::vector<std::string> args = {
            std::string("frei0r.") + module, "text=RAMPING GLYPHS",
            "character_height=0=" + unit(module, "character_height", 32) +
                ";119=" + unit(module, "character_height", 24),
            "out=119"};
        if (std::string(module) == "wavetext")
            args.insert(args.begin() + 2, "amplitude=" + unit(module, "amplitude", 40));
        mirvo_test::ProgramResult r = melt(args, mt, 120, 320, 240);
        ASSERT_EQ(r.status, 0) << r.err;
        for (int k = 30; k <= 120; ++k)
            ASSERT_FALSE(allBlack(readPng(numbered(mt, "f", k)))) << module << " frame " << k;
    }
}

namespace {

// One number keyframed in melt from `from` to `to` (frei0r's 0 to 1) over the clip.
struct Ramp {
    const char *module, *param;
    double from, to;
};

std::ostream &operator<<(std::ostream &os, const Ramp &r)
{
    return os << r.module << "." << r.param;
}

class KeyframedRamp : public ::testing::TestWithParam<Ramp> { };

// A ramp between two of the player's numbers of a catalogue entry.
Ramp inPixels(const char *module, const char *param, long from, long to)
{
    return Ramp{module, param, unitValue(module, param, from), unitValue(module, param, to)};
}

// The adapter's own scale, 1 to 8, as frei0r's 0 to 1.
double scaleUnit(int scale)
{
    return (scale - 1) / 7.0;
}

}  // namespace

// Every number an editor can keyframe moves the effect: a ramp's first frame is the
// unramped value's, later frames differ from it, and a scroller's text stays on screen
// all the way (a number that started the scroller over would blank it).
TEST_P(KeyframedRamp, MovesTheEffectAndKeepsItDrawing)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("melt");
    const Ramp &r = GetParam();
    const int LAST = 59;
    const bool filter = std::string(r.module) == "boxflood";
    auto render = [&](const std::string &value) {
        const std::string dir = mirvo_test::makeTempDir("mltramp");
        std::vector<std::string> args =
            filter ? std::vector<std::string>{"color:black", "out=" + std::to_string(LAST),
                                              "-filter", "frei0r.boxflood"}
                   : std::vector<std::string>{std::string("frei0r.") + r.module,
                                              "text=KEYFRAMED " + std::string(r.param),
                                              "out=" + std::to_string(LAST)};
        args.push_back(std::string(r.param) + "=" + value);
        mirvo_test::ProgramResult result = melt(args, dir, LAST + 1, 320, 240);
        EXPECT_EQ(result.status, 0) << result.err;
        return dir;
    };
    char ramp[80], from[40];
    snprintf(ramp, sizeof ramp, "0=%.12g;%d=%.12g", r.from, LAST, r.to);
    snprintf(from, sizeof from, "%.12g", r.from);
    const std::string ramped = render(ramp), fixed = render(from);
    ASSERT_FALSE(HasFailure());
    EXPECT_TRUE(readPng(numbered(ramped, "f", 1)) == readPng(numbered(fixed, "f", 1)));
    int differ = 0;
    for (int k = 30; k <= LAST + 1; ++k) {
        const PngImage got = readPng(numbered(ramped, "f", k));
        ASSERT_EQ(got.width, 320) << "frame " << k;
        if (!filter) {
            EXPECT_FALSE(allBlack(got)) << "frame " << k;
        }
        differ += !(got == readPng(numbered(fixed, "f", k)));
    }
    EXPECT_GE(differ, 10) << "of the last 31 frames differ from the unramped value's";
}

INSTANTIATE_TEST_SUITE_P(
    EveryNumber, KeyframedRamp,
    ::testing::Values(Ramp{"boxflood", "direction", 0.0, 1.0},  // an on/off, frei0r's bool
                      inPixels("boxflood", "rate", 2, 20),
                      Ramp{"boxflood", "scale", scaleUnit(1), scaleUnit(4)},
                      inPixels("wavetext", "character_width", 16, 24),
                      inPixels("wavetext", "character_height", 32, 16),
                      inPixels("wavetext", "amplitude", 20, 100),
                      inPixels("wavetext", "slice_width", 1, 8),
                      Ramp{"wavetext", "scale", scaleUnit(1), scaleUnit(3)},
                      inPixels("bouncetext", "character_width", 16, 24),
                      inPixels("bouncetext", "character_height", 32, 16),
                      Ramp{"bouncetext", "width", 1.0, 0.5}, Ramp{"bouncetext", "height", 1.0, 0.3},
                      Ramp{"bouncetext", "scale", scaleUnit(1), scaleUnit(3)}),
    [](const ::testing::TestParamInfo<Ramp> &info) {
        return std::string(info.param.module) + "_" + info.param.param;
    });
